// The firmware tool's calls through the binding against the simulated base: the byte-level probe at the
// base's speed only, status, name and radio, clearing and loading a program, and terminal firmware by radio
// with its checksums verified.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "designer/link/kestrel_binding.h"
#include "kestrel/protocol.h"
#include "tests/kestrel/basesim_process.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

bool BaseAnswersProbe(KestrelApi& api, int baud) {
  if (api.IO_Open(1, baud) == 0) return false;
  std::string byte;
  while (api.IO_Read(1, 1, byte, 100) == 1) {
  }
  api.IO_Write(1, "+");
  int reads = 0;
  std::string last = "X";
  while (api.IO_Read(1, 1, byte, 100) == 1) {
    ++reads;
    last = byte;
  }
  api.IO_Close(1);
  return (reads > 0 && last == "-") || reads >= 2;
}

std::string RadioMessage(const std::string& image, bool intact) {
  kestrel::FirmwareChecksum sums;
  sums.Add(image);
  if (!intact) ++sums.sum2;
  std::string message = image;
  for (uint16_t sum : {sums.sum1, sums.sum2}) {
    message += static_cast<char>(sum & 0xff);
    message += static_cast<char>(sum >> 8);
  }
  return message;
}

TEST(FirmwareCalls, DriveTheSimulatedBaseThroughItsStates) {
  test::TempFolder folder;
  std::string events = folder / "events.jsonl";
  test::BaseSimulator base(folder.Path(), {"--events", events, "--name", "VELT1", "--radio", "91700"});
  ::setenv("KESTREL_PORT_1", base.Link().c_str(), 1);
  ::setenv("KESTREL_LIBRARY", test::BuiltLibrary().c_str(), 1);
  ::setenv("KESTREL_TIMEOUT_MS", "60", 1);
  ::setenv("KESTREL_ATTEMPTS", "2", 1);
  KestrelBinding api;

  EXPECT_FALSE(BaseAnswersProbe(api, 19200)) << "the base listens at 38400 only";
  EXPECT_TRUE(BaseAnswersProbe(api, 38400));

  int baud = 19200;
  std::string status;
  ASSERT_EQ(api.B_BaseGetStatus(1, baud, status), 1) << api.LastError();
  ASSERT_EQ(status.size(), 25u) << status;
  EXPECT_EQ(status.substr(3, 5), "VELT1");
  EXPECT_EQ(status.substr(13, 5), "91700");
  EXPECT_EQ(status.substr(18, 6), " 38400");
  EXPECT_EQ(baud, 38400) << "the baud rate is handed back";

  EXPECT_EQ(api.B_SetBaseName(1, baud, "BAR", 0, 0), 1);
  EXPECT_EQ(api.B_SetBaseRadio(1, baud, 0, 86900, 0), 1);
  ASSERT_EQ(api.B_BaseGetStatus(1, baud, status), 1);
  EXPECT_EQ(status.substr(3, 5), "BAR  ");
  EXPECT_EQ(status.substr(13, 5), "86900");

  // Terminal firmware by radio: armed by B_PutBaseUpload, sent on the port the tool opened.
  std::string image(10000, '\0');
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
  for (bool intact : {true, false}) {
    EXPECT_EQ(api.B_PutBaseUpload(1, baud), 1);
    ASSERT_EQ(api.IO_Open(1, baud), 1);
    EXPECT_EQ(
        api.Send_Message_Without_Confirmation_devkit(1, "VELT_PROG", RadioMessage(image, intact), 1, 200), 1)
        << api.LastError();
    api.IO_Close(1);
  }
  EXPECT_EQ(api.Send_Message_Without_Confirmation_devkit(1, "VELT_PROG", RadioMessage(image, true), 1, 200),
            0)
      << "not armed";

  // Clearing: at the base's speed only; a cleared base is silent to the probe and refuses the menu link.
  EXPECT_EQ(api.B_ClearBaseProgram(1, 19200), 0);
  EXPECT_EQ(api.B_ClearBaseProgram(1, 38400), 1);
  EXPECT_FALSE(BaseAnswersProbe(api, 19200));
  EXPECT_FALSE(BaseAnswersProbe(api, 38400));
  EXPECT_LT(api.menu_init(1, 1, 65535), 0);
  EXPECT_NE(api.LastError().find("has no program running"), std::string::npos) << api.LastError();

  // The boot loader takes a program after "!DOWN" at 115200 baud; then the base runs again.
  std::string firmware = folder / "firmware.bin";
  test::WriteFile(firmware, image);
  EXPECT_EQ(api.B_Rs232UploadProgram(firmware, 1), 0) << "not in download mode yet";
  ASSERT_EQ(api.IO_Open(1, 115200), 1);
  EXPECT_NE(api.ChangeBaseNameAntenaFast(1, "!DOWN"), 0);
  api.IO_Close(1);
  // The image crosses the line at the boot loader's 115200 baud, telling how far it has come.
  struct Seen : TransferProgress {
    std::vector<long long> done;
    bool Transferred(long long so_far, long long total) override {
      EXPECT_EQ(total, 10000);
      done.push_back(so_far);
      return true;
    }
  } progress;
  api.SetTransferProgress(&progress);
  EXPECT_EQ(api.B_Rs232UploadProgram(firmware, 1), 1) << api.LastError();
  api.SetTransferProgress(nullptr);
  ASSERT_GE(progress.done.size(), 3u);
  EXPECT_EQ(progress.done.front(), 0);
  EXPECT_EQ(progress.done.back(), 10000);
  EXPECT_TRUE(std::is_sorted(progress.done.begin(), progress.done.end()));
  EXPECT_TRUE(BaseAnswersProbe(api, 38400));
  EXPECT_EQ(api.B_Rs232UploadProgram(folder / "missing.bin", 1), 0);

  std::vector<nlohmann::json> seen = test::JsonLines(events);
  std::vector<nlohmann::json> expected = {
      {{"event", "name"}, {"name", "BAR"}},
      {{"event", "radio"}, {"khz", 86900}},
      {{"event", "firmware"},
       {"name", "VELT_PROG"},
       {"route", "radio"},
       {"target", "terminal"},
       {"bytes", 10000},
       {"checksum_ok", true}},
      {{"event", "firmware"},
       {"name", "VELT_PROG"},
       {"route", "radio"},
       {"target", "terminal"},
       {"bytes", 10000},
       {"checksum_ok", false}},
      {{"event", "cleared"}},
      {{"event", "firmware"},
       {"name", "firmware.bin"},
       {"route", "serial"},
       {"target", "base"},
       {"bytes", 10000}},
  };
  EXPECT_EQ(seen, expected);
}

TEST(BaseSimulatorProgram, HelpSaysWhatItDoes) {
  test::ProgramRun run = test::RunProgram(test::BuiltProgram("kestrel-basesim"), {"--help"});
  EXPECT_EQ(run.exit_code, 0);
  for (const char* option : {"--link PATH", "--menu-out FILE", "--orders FILE", "--drop N", "--corrupt N",
                             "--delay MS", "--cleared", "--never-clears", "standard input",
                             "--line-rate BAUD", "--turnaround MS", "--instant", "--lose-end-answers"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
  run = test::RunProgram(test::BuiltProgram("kestrel-basesim"), {"--drop", "x"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("--drop needs a number"), std::string::npos);

  // --link replaces only a link of its own kind, never someone's file.
  test::TempFolder folder;
  std::string file = folder / "notes.txt";
  test::WriteFile(file, "keep me");
  run = test::RunProgram(test::BuiltProgram("kestrel-basesim"), {"--link", file});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find(file + " exists and is not a link this program made"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadFile(file), "keep me");
  std::string elsewhere = folder / "elsewhere";
  std::filesystem::create_symlink(file, elsewhere);
  run = test::RunProgram(test::BuiltProgram("kestrel-basesim"), {"--link", elsewhere});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(std::filesystem::read_symlink(elsewhere), file);
}

}  // namespace
}  // namespace tabulo
