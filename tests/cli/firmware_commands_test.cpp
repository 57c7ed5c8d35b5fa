// tabulo firmware: the firmware tool's catalogue, offline update and procedures on the command line against
// a download server on 127.0.0.1 and kestrel-basesim, and the questions asked on a terminal.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_support.h"
#include "firmloader/firmware_files.h"
#include "tests/firmloader/download_server.h"
#include "tests/kestrel/basesim_process.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

std::string Program(const std::string& key, const std::string& hardware, const std::string& filename) {
  return "<" + key + "><Descricao>" + key + " program</Descricao><Hardware>" + hardware +
         "</Hardware><Filename>" + filename + "</Filename></" + key + ">\r\n";
}

// Bytes a firmware may hold: not text.
std::string Binary(const std::string& tag) {
  return tag + std::string("\0\x01\xff", 3);
}

TEST(TerminalPrompts, AnswersComeFromTheInputAndItsEndSaysNoAndIsKnown) {
  std::istringstream in("maybe\nYes\n\n n \ncom3\n\n");
  std::ostringstream out;
  cli::TerminalPrompts prompts(in, out);
  EXPECT_TRUE(prompts.YesNo("The Tabulo received the program?")) << "asked again after \"maybe\"";
  prompts.Message("Password is 5293");
  EXPECT_FALSE(prompts.YesNo("The Terminal Beeped?"));
  EXPECT_EQ(prompts.Input("Port?", "Porta Serie", ""), "com3");
  EXPECT_EQ(prompts.Input("Port?", "Porta Serie", "1"), "1") << "an empty answer takes the default";
  EXPECT_FALSE(prompts.InputEnded());
  EXPECT_FALSE(prompts.YesNo("Are you sure you want to update the Base firmware?"));
  EXPECT_TRUE(prompts.InputEnded());
  EXPECT_EQ(prompts.Input("Port?", "Porta Serie", "1"), std::nullopt);
  prompts.Message("Unknown problem ...");  // does not wait at the end of the input
  EXPECT_EQ(out.str().find("The Tabulo received the program? [y/n] The Tabulo received the program? [y/n] "
                           "Password is 5293 [Enter] "),
            0u)
      << out.str();

  // Input that never answers is no answer.
  std::istringstream noise(std::string(1000, '\n'));
  cli::TerminalPrompts deaf(noise, out);
  EXPECT_FALSE(deaf.YesNo("The Tabulo received the program?"));
  EXPECT_TRUE(deaf.InputEnded());
}

class TabuloFirmware : public ::testing::Test {
 protected:
  test::ProgramRun Tabulo(std::vector<std::string> args, std::vector<std::string> environment = {}) {
    args.insert(args.begin(), "firmware");
    environment.insert(environment.end(),
                       {"FIRMLOADER_HOME=" + home_.Path(), "FIRMLOADER_SERVER=" + server_.Folder(),
                        "KESTREL_LIBRARY=" + test::BuiltLibrary()});
    return test::RunProgram(test::BuiltProgram("tabulo"), args, environment);
  }

  test::TempFolder home_;
  test::DownloadServer server_;
};

TEST_F(TabuloFirmware, UpdateFetchesEverythingWholeAndListShowsThePrograms) {
  EXPECT_EQ(Tabulo({"list"}).exit_code, 2) << "no catalogue yet";
  server_.Put("Conf.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- two -->\n" +
                              Program("MENU", "Ementa", "menu7") + Program("BASE", "Antena", "base3"));
  for (const char* name : {"menu7.bin", "menu7.hea", "base3.bin"}) server_.Put(name, Binary(name));
  server_.Put("base3.hea", Binary("base3.hea"), test::Serve::kHalfWithoutLengthThenClose);

  test::ProgramRun run = Tabulo({"update"});
  EXPECT_EQ(run.exit_code, 1) << "base3.hea came without its length and was cut short";
  EXPECT_NE(run.out.find("File is not available at the moment!\nbase3.hea: "), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Done!"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(home_ / "base3.bin")) << "a pair is cached whole or not at all";

  // The command line's server wins over the environment's.
  test::DownloadServer good;
  good.Put("Conf.xml", Program("MENU", "Ementa", "menu7") + Program("BASE", "Antena", "base3"));
  for (const char* name : {"menu7.bin", "menu7.hea", "base3.bin", "base3.hea"}) good.Put(name, Binary(name));
  run = Tabulo({"update", "--server", good.Folder()});
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "Reading all the files from internet...\nDone!\n");
  for (const char* name : {"menu7.bin", "menu7.hea", "base3.bin", "base3.hea"}) {
    EXPECT_EQ(test::ReadFile(home_ / name), Binary(name));
    EXPECT_TRUE(std::filesystem::exists(home_ / (std::string(name) + ".sha256")));
  }

  run = Tabulo({"list"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "MENU\tEmenta\tmenu7\tMENU program\nBASE\tAntena\tbase3\tBASE program\n");
}

// Every procedure ends when its input does, with exit 1 and nothing sent after the answers ran out; a
// script that keeps saying "no" or nothing useful is not a loop.
TEST_F(TabuloFirmware, EveryProcedureEndsWhenItsInputEnds) {
  test::WriteFile(home_ / "Conf.xml", Program("MENU", "Ementa", "menu7") +
                                          Program("TERM", "Terminal", "menu7") +
                                          Program("BASE", "Antena", "menu7"));
  RecordingConsole console;
  ASSERT_TRUE(FirmwareFiles(home_.Path(), "", console).StoreInCache("menu7", Binary("menu7"), "h").ok);
  test::TempFolder sim;
  test::BaseSimulator base(sim.Path(), {"--events", sim / "events.jsonl"});
  std::vector<std::string> environment = base.Environment();
  environment.insert(environment.end(), {"KESTREL_TIMEOUT_MS=60", "KESTREL_ATTEMPTS=2"});
  auto firmware_sent = [&] {
    size_t sent = 0;
    for (const auto& event : test::JsonLines(sim / "events.jsonl")) sent += event["event"] == "firmware";
    return sent;
  };

  for (const char* key : {"MENU", "TERM", "BASE"}) {
    SCOPED_TRACE(key);
    test::ProgramRun run = Tabulo({"send", key, "--offline"}, environment);  // input: /dev/null
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.out.find("No more answers: the procedure was given up.\nThe program was not sent.\n"),
              std::string::npos)
        << run.out;
  }
  EXPECT_EQ(firmware_sent(), 0u);

  // The answers a person gave a terminal update by cradle, then nothing: one send, not thousands.
  test::ProgramRun run = test::RunProgram(
      "/bin/sh",
      {"-c", "printf '\\n\\nn\\n\\n\\n' | exec \"$0\" firmware send TERM --offline",
       test::BuiltProgram("tabulo")},
      [&] {
        std::vector<std::string> all = environment;
        all.insert(all.end(), {"FIRMLOADER_HOME=" + home_.Path(), "FIRMLOADER_SERVER=" + server_.Folder()});
        return all;
      }());
  EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
  EXPECT_EQ(firmware_sent(), 1u) << run.out;
}

}  // namespace
}  // namespace tabulo
