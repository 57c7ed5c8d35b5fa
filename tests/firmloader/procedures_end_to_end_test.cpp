// The flashing procedures through the real library against kestrel-basesim on a pseudo-terminal: what the
// simulated hardware took, what the user was told and asked. Firmware comes from the offline cache; the
// waits are recorded, not slept.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "designer/link/kestrel_binding.h"
#include "firmloader/flashing_procedures.h"
#include "tests/kestrel/basesim_process.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using nlohmann::json;

// An image with every byte value, so that both checksums see carries and rotations.
std::string Image() {
  std::string image;
  for (int i = 0; i < 3000; ++i) image.push_back(static_cast<char>((i * 37) % 256));
  return image;
}

class ProceduresEndToEnd : public ::testing::Test {
 protected:
  // Starts the simulated base with `options` and points port 1 at it.
  void StartBase(std::vector<std::string> options) {
    options.insert(options.end(), {"--events", Events()});
    base_ = std::make_unique<test::BaseSimulator>(folder_.Path(), options);
    ::setenv("KESTREL_PORT_1", base_->Link().c_str(), 1);
    ::setenv("KESTREL_LIBRARY", test::BuiltLibrary().c_str(), 1);
    // A call the base cannot answer at the speed tried fails quickly.
    ::setenv("KESTREL_TIMEOUT_MS", "60", 1);
    ::setenv("KESTREL_ATTEMPTS", "2", 1);
  }
  void SetUp() override { ASSERT_TRUE(files_.StoreInCache("fw", Image(), "header").ok); }

  std::string Events() { return folder_ / "events.jsonl"; }
  std::vector<json> EventsOf(const std::string& kind) {
    std::vector<json> found;
    for (const json& event : test::JsonLines(Events())) {
      if (event["event"] == kind) found.push_back(event);
    }
    return found;
  }
  int LogCount(const std::string& line) {
    return static_cast<int>(std::count(console_.log.begin(), console_.log.end(), line));
  }
  json RadioFirmware() {
    return {{"event", "firmware"},  {"name", "VELT_PROG"},     {"route", "radio"},
            {"target", "terminal"}, {"bytes", Image().size()}, {"checksum_ok", true}};
  }
  json SerialFirmware(const char* target) {
    return {{"event", "firmware"},
            {"name", "firmware.bin"},
            {"route", "serial"},
            {"target", target},
            {"bytes", Image().size()}};
  }

  // A catalogue of one program "P" sending "fw".
  XmlScanner Catalogue(const std::string& hardware, const std::string& khz, const std::string& name) {
    XmlScanner catalogue;
    catalogue.SetText("<P><Hardware>" + hardware + "</Hardware><Filename>fw</Filename><RadioKhz>" + khz +
                      "</RadioKhz><BaseName>" + name + "</BaseName></P>");
    return catalogue;
  }

  test::TempFolder folder_;
  std::unique_ptr<test::BaseSimulator> base_;
  KestrelBinding api_;
  RecordingConsole console_;
  ScriptedPrompts prompts_;
  FirmwareFiles files_{folder_.Path(), "http://127.0.0.1:9/", console_};
  FlashingProcedures procedures_{api_, files_, prompts_, console_, 1};
};

TEST_F(ProceduresEndToEnd, ABaseThatClearsAtOnceTakesTheProgramAndRunsIt) {
  StartBase({"--baud", "19200"});
  prompts_.yes_no = {true};
  EXPECT_TRUE(procedures_.UpdateBase("fw")) << api_.LastError();
  EXPECT_EQ(LogCount("Clearing Base firmware..."), 1);
  EXPECT_EQ(LogCount("Base should beep and it's OK."), 1);
  EXPECT_EQ(LogCount("Please disconnect base from the power and connect it again."), 0);
  EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front();
  EXPECT_EQ(EventsOf("cleared").size(), 1u);
  EXPECT_EQ(EventsOf("firmware"), std::vector<json>{SerialFirmware("base")});
  EXPECT_TRUE(procedures_.ProbeBase()) << "the new program runs";
}

TEST_F(ProceduresEndToEnd, ABaseAnsweringAt38400OnlyIsFoundAndUpdated) {
  StartBase({"--baud", "38400"});
  EXPECT_FALSE(procedures_.ProbeBaseAtSpeed(19200));
  EXPECT_TRUE(procedures_.ProbeBaseAtSpeed(38400));
  prompts_.yes_no = {true};
  EXPECT_TRUE(procedures_.UpdateBase("fw")) << api_.LastError();
  EXPECT_EQ(EventsOf("cleared").size(), 1u);
  EXPECT_EQ(EventsOf("firmware"), std::vector<json>{SerialFirmware("base")});
}

TEST_F(ProceduresEndToEnd, ABaseThatNeverClearsIsClearedSixTimesThenTheUserIsSentForHelp) {
  StartBase({"--never-clears"});
  prompts_.yes_no = {true};
  EXPECT_FALSE(procedures_.UpdateBase("fw"));
  EXPECT_EQ(LogCount("Clearing Base firmware..."), 6);
  EXPECT_EQ(LogCount("Please disconnect base from the power and connect it again."), 1);
  auto advice = std::find(console_.log.begin(), console_.log.end(),
                          "Please disconnect base from the power and connect it again.");
  EXPECT_EQ(std::count(console_.log.begin(), advice, "Clearing Base firmware..."), 3)
      << "the power-cycle advice comes on the third pass";
  EXPECT_EQ(prompts_.messages,
            std::vector<std::string>{"Can't clear the old firmware, please contact Velt for help."});
  EXPECT_EQ(EventsOf("clear-ignored").size(), 6u) << "cleared at the base's own speed once a pass";
  EXPECT_TRUE(EventsOf("firmware").empty());
}

TEST_F(ProceduresEndToEnd, TheMenuTerminalReceivesOnTheFirstTry) {
  StartBase({});
  prompts_.yes_no = {true};
  EXPECT_TRUE(procedures_.UpdateMenuTerminal("fw"));
  EXPECT_EQ(EventsOf("firmware"), std::vector<json>(2, RadioFirmware())) << "the image goes out twice";
  EXPECT_EQ(prompts_.questions, std::vector<std::string>{"The Tabulo received the program?"});
  EXPECT_EQ(LogCount("Trying again..."), 0);
}

TEST_F(ProceduresEndToEnd, TheMenuTerminalReceivesOnALaterTry) {
  StartBase({});
  prompts_.yes_no = {false, false, true};
  EXPECT_TRUE(procedures_.UpdateMenuTerminal("fw"));
  EXPECT_EQ(EventsOf("firmware"), std::vector<json>(6, RadioFirmware()));
  EXPECT_EQ(LogCount("Trying again..."), 2);
  EXPECT_EQ(std::count(console_.waits.begin(), console_.waits.end(), 3000), 2);
  EXPECT_EQ(std::count(console_.waits.begin(), console_.waits.end(), 8000), 6);
}

TEST_F(ProceduresEndToEnd, AMenuTerminalWithoutABaseIsNotSentAnything) {
  StartBase({"--cleared"});
  EXPECT_FALSE(procedures_.UpdateMenuTerminal("fw"));
  EXPECT_EQ(prompts_.messages.back(), "Error communicating with Base!");
  EXPECT_TRUE(EventsOf("firmware").empty());
}

TEST_F(ProceduresEndToEnd, ATerminalTakesTheProgramOverTheCradle) {
  StartBase({});
  prompts_.yes_no = {false, false, true};  // not through the base; received on the second send
  EXPECT_TRUE(procedures_.UpdateTerminal("fw"));
  EXPECT_EQ(LogCount("Sending to serial..."), 2);
  EXPECT_EQ(EventsOf("firmware"), std::vector<json>(2, SerialFirmware("terminal")));
}

TEST_F(ProceduresEndToEnd, ATerminalTakesTheProgramThroughTheBase) {
  StartBase({});
  prompts_.yes_no = {true, true, true};  // through the base; beeped; received
  EXPECT_TRUE(procedures_.UpdateTerminal("fw"));
  EXPECT_EQ(EventsOf("firmware"), std::vector<json>(2, RadioFirmware()));
}

TEST_F(ProceduresEndToEnd, AMissingOrDamagedCachedFirmwareIsNeverSent) {
  StartBase({});
  std::string damaged = Image();
  damaged[damaged.size() / 2] ^= 1;
  for (const char* what : {"damaged", "missing"}) {
    SCOPED_TRACE(what);
    if (std::string(what) == "damaged") {
      test::WriteFile(folder_ / "fw.bin", damaged);
    } else {
      std::filesystem::remove(folder_ / "fw.bin");
    }
    console_.log.clear();
    prompts_.yes_no = {false};  // a damaged copy is not fetched again
    EXPECT_FALSE(procedures_.FlashProgram(Catalogue("Terminal", "", ""), "P"));
    EXPECT_TRUE(files_.NetError());
    EXPECT_EQ(LogCount("File is not available at the moment!"), 1);
    EXPECT_EQ(console_.log.back(), "The program was not sent.");
  }
  EXPECT_EQ(prompts_.questions.size(), 1u) << "the offer to fetch again, for the damaged copy only";
  EXPECT_TRUE(EventsOf("firmware").empty());
}

TEST_F(ProceduresEndToEnd, BadCatalogueValuesSetNothingOnTheBase) {
  StartBase({"--name", "VELT1", "--radio", "91700"});
  for (auto [khz, name] : {std::pair{"abc", "BAR01"}, std::pair{"91,7", ""}, std::pair{"123456", ""},
                           std::pair{"86900", "LONGNAME"}, std::pair{"", "\xd0\x91\xd0\xb0\xd0\xb7"}}) {
    SCOPED_TRACE(std::string(khz) + " " + name);
    prompts_.yes_no = {true};
    EXPECT_FALSE(procedures_.FlashProgram(Catalogue("Ementa", khz, name), "P"));
    EXPECT_EQ(console_.log.back(), "The program was not sent.");
  }
  EXPECT_EQ(prompts_.messages.size(), 5u) << "one refusal each, nothing asked of the user";
  EXPECT_TRUE(prompts_.questions.empty());
  EXPECT_TRUE(EventsOf("firmware").empty());
  EXPECT_TRUE(EventsOf("name").empty());
  EXPECT_TRUE(EventsOf("radio").empty());
  int baud = 19200;
  std::string status;
  ASSERT_EQ(api_.B_BaseGetStatus(1, baud, status), 1);
  EXPECT_EQ(status.substr(3, 5), "VELT1");
  EXPECT_EQ(status.substr(13, 5), "91700");
}

// The base's name and radio after a program: set when they differ from the catalogue's, left alone when not.
class BaseSettingsAfterAProgram : public ProceduresEndToEnd,
                                  public ::testing::WithParamInterface<std::pair<const char*, const char*>> {
};

TEST_P(BaseSettingsAfterAProgram, FollowTheCatalogue) {
  auto [name, khz] = GetParam();
  StartBase({"--name", "VELT1", "--radio", "91700"});
  XmlScanner catalogue;
  catalogue.SetText(std::string("<MENU><Descricao>Menu terminal</Descricao><Hardware>Ementa</Hardware>") +
                    "<Filename>fw</Filename><RadioKhz>" + khz + "</RadioKhz><BaseName>" + name +
                    "</BaseName></MENU>");
  prompts_.yes_no = {true};
  procedures_.FlashProgram(catalogue, "MENU");
  EXPECT_EQ(
      prompts_.messages,
      (std::vector<std::string>{"Remove battery, Insert battery and press the last right key while booting.",
                                "Password is 5293, then press option 7"}))
      << "no error after the instructions";
  EXPECT_EQ(console_.log.back(), "Done!");
  bool changed = std::string(name) != "VELT1";
  EXPECT_EQ(EventsOf("name").size(), changed ? 1u : 0u);
  EXPECT_EQ(EventsOf("radio").size(), changed ? 1u : 0u);
  int baud = 19200;
  std::string status;
  ASSERT_EQ(api_.B_BaseGetStatus(1, baud, status), 1);
  EXPECT_EQ(status.substr(3, 5), name);
  EXPECT_EQ(status.substr(13, 5), khz);
}

INSTANTIATE_TEST_SUITE_P(Unchanged, BaseSettingsAfterAProgram,
                         ::testing::Values(std::pair{"VELT1", "91700"}));
INSTANTIATE_TEST_SUITE_P(Changed, BaseSettingsAfterAProgram, ::testing::Values(std::pair{"BAR01", "86900"}));

}  // namespace
}  // namespace tabulo
