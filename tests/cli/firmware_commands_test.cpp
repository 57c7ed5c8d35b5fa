// tabulo firmware: the firmware tool's catalogue, offline update and procedures on the command line, and
// the questions asked on a terminal.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_support.h"
#include "tests/firmloader/download_server.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

std::string Program(const std::string& key, const std::string& hardware, const std::string& filename) {
  return "<" + key + "><Descricao>" + key + " program</Descricao><Hardware>" + hardware +
         "</Hardware><Filename>" + filename + "</Filename></" + key + ">\r\n";
}

TEST(TerminalPrompts, AnswersComeFromTheInputAndItsEndSaysNo) {
  std::istringstream in("maybe\nYes\n\n n \ncom3\n\n");
  std::ostringstream out;
  cli::TerminalPrompts prompts(in, out);
  EXPECT_TRUE(prompts.YesNo("The Tabulo received the program?")) << "asked again after \"maybe\"";
  prompts.Message("Password is 5293");
  EXPECT_FALSE(prompts.YesNo("The Terminal Beeped?"));
  EXPECT_EQ(prompts.Input("Port?", "Porta Serie", ""), "com3");
  EXPECT_EQ(prompts.Input("Port?", "Porta Serie", "1"), "1") << "an empty answer takes the default";
  EXPECT_FALSE(prompts.YesNo("Are you sure you want to update the Base firmware?"));
  EXPECT_EQ(prompts.Input("Port?", "Porta Serie", "1"), std::nullopt);
  prompts.Message("Unknown problem ...");  // does not wait at the end of the input
  EXPECT_EQ(out.str().find("The Tabulo received the program? [y/n] The Tabulo received the program? [y/n] "
                           "Password is 5293 [Enter] "),
            0u)
      << out.str();
}

class TabuloFirmware : public ::testing::Test {
 protected:
  test::ProgramRun Tabulo(std::vector<std::string> args) {
    args.insert(args.begin(), "firmware");
    return test::RunProgram(test::BuiltProgram("tabulo"), args,
                            {"FIRMLOADER_HOME=" + home_.Path(), "FIRMLOADER_SERVER=" + server_.Folder(),
                             "KESTREL_LIBRARY=" + std::string(TABULO_BINARY_DIR) + "/kestrel/libkestrel.so"});
  }

  test::TempFolder home_;
  test::DownloadServer server_;
};

TEST_F(TabuloFirmware, UpdateFetchesEverythingAndListShowsThePrograms) {
  EXPECT_EQ(Tabulo({"list"}).exit_code, 2) << "no catalogue yet";
  server_.Put("Conf.xml", Program("MENU", "Ementa", "menu7") + Program("BASE", "Antena", "base3"));
  for (const char* name : {"menu7.bin", "menu7.hea", "base3.bin"}) server_.Put(name, name);

  test::ProgramRun run = Tabulo({"update"});
  EXPECT_EQ(run.exit_code, 1) << "base3.hea is missing";
  EXPECT_NE(run.out.find("File is not available at the moment!"), std::string::npos) << run.out;
  server_.Put("base3.hea", "base3.hea");
  run = Tabulo({"update"});
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "Reading all the files from internet...\nDone!\n");
  for (const char* name : {"menu7.bin", "menu7.hea", "base3.bin", "base3.hea"}) {
    EXPECT_EQ(test::ReadFile(home_ / name), name);
  }

  run = Tabulo({"list"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "MENU\tEmenta\tmenu7\tMENU program\nBASE\tAntena\tbase3\tBASE program\n");
}

TEST_F(TabuloFirmware, SendEndsOnTheAnswersAndNeverSendsAMissingFirmware) {
  test::WriteFile(home_ / "Conf.xml",
                  Program("MENU", "Ementa", "menu7") + Program("BASE", "Antena", "base3"));
  EXPECT_EQ(Tabulo({"send", "NONE", "--offline"}).exit_code, 2);

  // No answers: "Are you sure ...?" is answered no.
  test::ProgramRun run = Tabulo({"send", "BASE", "--offline", "--port", "COM1"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "Are you sure you want to update the Base firmware? [y/n] \nDone!\n");

  run = Tabulo({"send", "MENU", "--offline"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.out.find("File is not available at the moment!\nDone!\n"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(home_ / "firmware.bin"));
}

}  // namespace
}  // namespace tabulo
