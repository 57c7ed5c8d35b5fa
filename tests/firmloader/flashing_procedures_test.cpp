// The flashing procedures against a scripted base behind the library interface: the questions asked, the
// calls made and what was sent. (The same procedures against the base simulator are the end-to-end tests.)

#include "firmloader/flashing_procedures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "firmloader/start_up.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

// A base station as the procedures see it through the library.
class FakeBase : public KestrelApi {
 public:
  bool running = true;
  std::set<int> answer_bauds = {19200};
  int clears_to_stop = -1;  // clearing calls after which the program is gone; -1: never
  bool upload_starts_program = true;
  bool noisy = false;  // the line never goes quiet
  std::set<int> missing_ports;
  std::string name = "VELT1";
  int khz = 91700;
  int baud = 19200;

  std::vector<std::string> calls;
  std::vector<std::string> radio_messages;
  std::vector<std::string> uploaded;

  int Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
  }

  int IO_Open(int port, int rate) override {
    calls.push_back("IO_Open " + std::to_string(rate));
    if (missing_ports.count(port)) return 0;
    open_baud_ = rate;
    pending_.clear();
    return 1;
  }
  void IO_Close(int) override {
    calls.push_back("IO_Close");
    open_baud_ = 0;
  }
  int IO_Write(int, const std::string& bytes) override {
    if (bytes == "+" && running && answer_bauds.count(open_baud_)) pending_ += "-";
    return static_cast<int>(bytes.size());
  }
  int IO_Read(int, int, std::string& buffer, int) override {
    if (noisy) {
      buffer = "~";
      return 1;
    }
    if (pending_.empty()) return 0;
    buffer = pending_.substr(0, 1);
    pending_.erase(0, 1);
    return 1;
  }
  int B_BaseGetStatus(int, int& rate, std::string& text) override {
    calls.push_back("B_BaseGetStatus");
    if (!running) return 0;
    auto pad = [](std::string s, size_t n) {
      return s.append(n > s.size() ? n - s.size() : 0, ' ').substr(0, n);
    };
    text = "   " + pad(name, 5) + "     " + pad(std::to_string(khz), 5) + pad(std::to_string(baud), 6) + "R";
    rate = baud;
    return 1;
  }
  int B_SetBaseName(int, int, const std::string& text, int, int) override {
    calls.push_back("B_SetBaseName " + text);
    name = text.substr(0, 5);
    return 1;
  }
  int B_SetBaseRadio(int, int, int, int value, int) override {
    calls.push_back("B_SetBaseRadio " + std::to_string(value));
    khz = value;
    return 1;
  }
  int B_PutBaseUpload(int, int) override {
    calls.push_back("B_PutBaseUpload");
    return 1;
  }
  int B_ClearBaseProgram(int, int rate) override {
    calls.push_back("B_ClearBaseProgram " + std::to_string(rate));
    if (clears_to_stop > 0 && --clears_to_stop == 0) running = false;
    return 1;
  }
  int B_Rs232UploadProgram(const std::string& path, int) override {
    calls.push_back("B_Rs232UploadProgram");
    uploaded.push_back(test::ReadFile(path));
    if (!running && upload_starts_program) running = true;
    return 1;
  }
  int ChangeBaseNameAntenaFast(int, const std::string& command) override {
    calls.push_back("ChangeBaseNameAntenaFast " + command);
    return 1;
  }
  int Send_Message_Without_Confirmation_devkit(int, const std::string& target, const std::string& data,
                                               int mode, int wait) override {
    EXPECT_EQ(target, "VELT_PROG");
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(wait, 200);
    radio_messages.push_back(data);
    return 1;
  }
  std::string LastError() override { return ""; }

  int menu_init(int, int, int) override { return -1; }
  void radio_make_tree_mkdir(const std::string&) override {}
  void radio_make_tree_cd(const std::string&) override {}
  void radio_make_tree_cd_back() override {}
  void menu_modifier(int, const std::string&, int) override {}
  void menu_item(int, const std::string&, const std::string&, int) override {}
  void menu_item_modifier_group(const std::string&, int, int, int) override {}
  void radio_make_tree_modifier_min_max(const std::string&, int, int, int) override {}
  void radio_set_entry(int, const std::string&) override {}
  int menu_upload() override { return -1; }
  void menu_close() override {}
  int radio_init(int, int, int, int) override { return -1; }
  int menu_receive(int&, int&, int&, int&, int&, std::string&, std::string&) override { return -1; }
  void radio_close() override {}

 private:
  int open_baud_ = 0;
  std::string pending_;
};

class FlashingTest : public ::testing::Test {
 protected:
  FlashingTest()
      : files_(folder_.Path(), "http://127.0.0.1:1/", console_),
        procedures_(base_, files_, prompts_, console_, 3) {
    files_.StoreInCache("fw", image_, "header");
  }
  int Waits(int ms) const {
    return static_cast<int>(std::count(console_.waits.begin(), console_.waits.end(), ms));
  }
  int Logged(const std::string& line) const {
    return static_cast<int>(std::count(console_.log.begin(), console_.log.end(), line));
  }
  // How many times `line` was logged before the first `marker`.
  int LoggedBefore(const std::string& line, const std::string& marker) const {
    auto end = std::find(console_.log.begin(), console_.log.end(), marker);
    return static_cast<int>(std::count(console_.log.begin(), end, line));
  }

  std::string image_ = std::string("\x00\xff", 2) + "firmware";
  test::TempFolder folder_;
  FakeBase base_;
  ScriptedPrompts prompts_;
  RecordingConsole console_;
  FirmwareFiles files_;  // offline: the firmware comes from the cache above
  FlashingProcedures procedures_;
};

TEST_F(FlashingTest, TheProbeAsksAt19200ThenAt38400) {
  EXPECT_TRUE(procedures_.ProbeBase());
  EXPECT_EQ(base_.Count("IO_Open 38400"), 0);
  base_.answer_bauds = {38400};
  base_.calls.clear();
  EXPECT_TRUE(procedures_.ProbeBase());
  EXPECT_EQ(base_.calls,
            (std::vector<std::string>{"IO_Open 19200", "IO_Close", "IO_Open 38400", "IO_Close"}));
  base_.running = false;
  EXPECT_FALSE(procedures_.ProbeBase());
  // A line that never goes quiet still ends the probe.
  base_.noisy = true;
  EXPECT_TRUE(procedures_.ProbeBaseAtSpeed(19200));
}

TEST_F(FlashingTest, ABaseThatNeverClearsGetsSixPassesAndTheMessage) {
  prompts_.yes_no = {true};
  EXPECT_FALSE(procedures_.UpdateBase("fw"));
  EXPECT_EQ(base_.Count("B_ClearBaseProgram 19200"), 6);
  EXPECT_EQ(base_.Count("B_ClearBaseProgram 38400"), 6);
  EXPECT_EQ(Logged("Please disconnect base from the power and connect it again."), 1);
  EXPECT_EQ(LoggedBefore("Clearing Base firmware...",
                         "Please disconnect base from the power and connect it again."),
            3);
  EXPECT_EQ(Waits(30000), 1);
  EXPECT_EQ(Waits(10000), 6);
  EXPECT_EQ(prompts_.messages,
            (std::vector<std::string>{"Can't clear the old firmware, please contact Velt for help."}));
  EXPECT_EQ(base_.Count("B_Rs232UploadProgram"), 0);

  // No to the first question changes nothing.
  base_.calls.clear();
  prompts_.yes_no = {false};
  EXPECT_FALSE(procedures_.UpdateBase("fw"));
  EXPECT_TRUE(base_.calls.empty());
}

TEST_F(FlashingTest, ABaseThatClearsAtOnceTakesTheCachedFirmware) {
  base_.clears_to_stop = 1;
  base_.answer_bauds = {38400};  // and answers at 38400 only
  prompts_.yes_no = {true};
  EXPECT_TRUE(procedures_.UpdateBase("fw"));
  EXPECT_EQ(base_.uploaded, std::vector<std::string>{image_});
  EXPECT_EQ(base_.Count("ChangeBaseNameAntenaFast !DOWN"), 1);
  EXPECT_EQ(base_.Count("IO_Open 115200"), 1);
  EXPECT_EQ(Waits(15000), 1);  // offline
  EXPECT_EQ(Waits(45000), 1);
  EXPECT_EQ(console_.log.back(), "Base should beep and it's OK.");
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(FlashingTest, ABaseThatNeverStartsIsTriedSixTimes) {
  base_.running = false;
  base_.upload_starts_program = false;
  prompts_.yes_no = {true};
  EXPECT_FALSE(procedures_.UpdateBase("fw"));
  EXPECT_EQ(base_.Count("B_Rs232UploadProgram"), 6);
  EXPECT_EQ(Logged("Let's try again..."), 6);
  EXPECT_EQ(Logged("Please disconnect base from the power and connect it again."), 1);
  EXPECT_EQ(LoggedBefore("Let's try again...", "Please disconnect base from the power and connect it again."),
            3);
  EXPECT_EQ(console_.log.back(), "Base should have some problem or Serial port is not working properly.");
}

TEST_F(FlashingTest, AMissingFirmwareStopsBeforeAnythingIsSent) {
  base_.running = false;
  prompts_.yes_no = {true, true};
  EXPECT_FALSE(procedures_.UpdateBase("absent"));
  EXPECT_TRUE(files_.NetError());
  EXPECT_EQ(base_.Count("B_Rs232UploadProgram"), 0);
  EXPECT_EQ(Logged(kNotAvailableMessage), 1);
  EXPECT_FALSE(procedures_.UpdateMenuTerminal("absent"));
  EXPECT_TRUE(base_.radio_messages.empty());
}

TEST_F(FlashingTest, TheMenuTerminalGetsTheImageWithItsSumsTwicePerPass) {
  prompts_.yes_no = {false, true};  // received on the second pass
  EXPECT_TRUE(procedures_.UpdateMenuTerminal("fw"));
  ASSERT_EQ(base_.radio_messages.size(), 4u);
  for (const std::string& message : base_.radio_messages) EXPECT_EQ(message, TransferMessage(image_));
  EXPECT_EQ(base_.Count("B_PutBaseUpload"), 4);
  EXPECT_EQ(Waits(8000), 4);
  EXPECT_EQ(Logged("Trying again..."), 1);
  EXPECT_EQ(prompts_.questions, (std::vector<std::string>{"The Tabulo received the program?",
                                                          "The Tabulo received the program?"}));
  EXPECT_EQ(prompts_.messages[1], "Password is 5293, then press option 7");

  base_.running = false;
  EXPECT_FALSE(procedures_.UpdateMenuTerminal("fw"));
  EXPECT_EQ(prompts_.messages.back(), "Error communicating with Base!");
}

TEST_F(FlashingTest, TheTerminalThroughTheBaseAndOverTheCradle) {
  // Not beeped, light blinking: the radio advice, then beeped and received.
  prompts_.yes_no = {true, false, true, true, true};
  EXPECT_TRUE(procedures_.UpdateTerminal("fw"));
  EXPECT_EQ(base_.radio_messages.size(), 4u);
  EXPECT_EQ(Waits(7000), 4);
  EXPECT_EQ(std::count(prompts_.messages.begin(), prompts_.messages.end(),
                       "The problem must be the Radio BaudRate"),
            1);

  base_.radio_messages.clear();
  prompts_.yes_no = {true, false, false};  // not beeped, light not blinking
  EXPECT_FALSE(procedures_.UpdateTerminal("fw"));
  EXPECT_EQ(prompts_.messages.back(), "Unknown problem ...");

  prompts_.yes_no = {false, false, true};  // the cradle, received on the second try
  EXPECT_TRUE(procedures_.UpdateTerminal("fw"));
  EXPECT_EQ(base_.uploaded, (std::vector<std::string>{image_, image_}));
  EXPECT_EQ(Logged("Sending to serial..."), 2);
}

TEST_F(FlashingTest, NameAndRadioUnchangedAndChanged) {
  procedures_.SetBaseName("VELT1");
  procedures_.SetBaseRadio(91700);
  EXPECT_EQ(base_.Count("B_SetBaseName VELT1"), 0);
  EXPECT_EQ(base_.Count("B_SetBaseRadio 91700"), 0);

  base_.baud = 38400;
  procedures_.SetBaseName("CAFE2");
  EXPECT_EQ(base_.name, "CAFE2");
  EXPECT_EQ(procedures_.BaseBaudRate(), 38400);  // taken from the status
  EXPECT_EQ(procedures_.SetBaseRadio(92500), 92500);
  // A shorter name is always sent, and the base taking it is no error.
  procedures_.SetBaseName("AB");
  EXPECT_EQ(base_.Count("B_SetBaseName AB"), 1);
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_EQ(console_.log[0], "Changing base name to :VELT1");
  EXPECT_EQ(console_.log[1], "Changing radio speed to :91700");

  base_.running = false;
  procedures_.SetBaseName("X");
  EXPECT_EQ(prompts_.messages, (std::vector<std::string>{"Error communicating with Base"}));
}

TEST_F(FlashingTest, TheClickSetsRadioAndNameOnlyAfterASend) {
  XmlScanner catalogue;
  catalogue.SetText(
      "<B1><Hardware>Antena</Hardware><Filename>fw</Filename><RadioKhz>92100</RadioKhz><BaseName>NEWNM</"
      "BaseName></B1>"
      "<B2><Hardware>Antena</Hardware><Filename>../fw</Filename><BaseName>OTHER</BaseName></B2>");
  base_.clears_to_stop = 1;
  prompts_.yes_no = {true};
  procedures_.FlashProgram(catalogue, "B1");
  EXPECT_EQ(base_.khz, 92100);
  EXPECT_EQ(base_.name, "NEWNM");
  EXPECT_EQ(console_.log.back(), "Done!");

  procedures_.FlashProgram(catalogue, "B2");  // refused name: nothing sent, nothing set
  EXPECT_EQ(base_.name, "NEWNM");
  EXPECT_EQ(base_.Count("B_Rs232UploadProgram"), 1);
  EXPECT_EQ(console_.log.back(), "The program was not sent.");
}

TEST_F(FlashingTest, ADamagedOfflineCopyIsRefusedAndCanBeFetchedAgain) {
  test::WriteFile(folder_ / "fw.bin", "random bytes in place of the image");
  prompts_.yes_no = {false};  // do not fetch it again
  EXPECT_FALSE(procedures_.UpdateMenuTerminal("fw"));
  EXPECT_TRUE(files_.NetError());
  EXPECT_EQ(prompts_.questions,
            (std::vector<std::string>{"The offline copy of fw is damaged and is not sent. "
                                      "Fetch it again from the internet? (The PC must "
                                      "be connected.)"}));
  EXPECT_TRUE(base_.radio_messages.empty());
  EXPECT_TRUE(console_.waits.empty()) << "nothing was done on the device";

  // Yes fetches it from the server, here one that is not there: still nothing is sent.
  prompts_.yes_no = {true};
  files_.ClearNetError();
  EXPECT_FALSE(procedures_.UpdateMenuTerminal("fw"));
  EXPECT_EQ(Logged("Reading last version from Internet..."), 1);
  EXPECT_TRUE(base_.radio_messages.empty());
}

TEST_F(FlashingTest, AScriptGetsBoundedPassesAndGivesUpWhenItsAnswersEnd) {
  // Answers that run out: the next question finds none.
  struct EndingPrompts : ScriptedPrompts {
    bool ended = false;
    bool YesNo(const std::string& text, const std::string& title) override {
      ended = ended || yes_no.empty();
      return ScriptedPrompts::YesNo(text, title);
    }
  } prompts;
  ProcedureLimits limits{kScriptMaxPasses, [&prompts] { return prompts.ended; }};
  FlashingProcedures script(base_, files_, prompts, console_, 3, limits);

  // "No" for ever: each loop ends after its passes.
  limits.answers_ended = nullptr;
  FlashingProcedures no_for_ever(base_, files_, prompts_, console_, 3, limits);
  prompts_.yes_no.assign(100, false);
  EXPECT_FALSE(no_for_ever.UpdateMenuTerminal("fw"));
  EXPECT_EQ(base_.radio_messages.size(), 2u * kScriptMaxPasses);
  prompts_.yes_no = {true};
  prompts_.yes_no.insert(prompts_.yes_no.end(), 100, false);  // through the base, never beeped nor...
  for (size_t i = 2; i < prompts_.yes_no.size(); i += 2) prompts_.yes_no[i] = true;  // ...but blinking
  base_.radio_messages.clear();
  EXPECT_FALSE(no_for_ever.UpdateTerminal("fw"));
  EXPECT_EQ(base_.radio_messages.size(), 2u * kScriptMaxPasses);
  prompts_.yes_no.assign(100, false);  // the cradle, never received
  EXPECT_FALSE(no_for_ever.UpdateTerminal("fw"));
  EXPECT_EQ(base_.uploaded.size(), static_cast<size_t>(kScriptMaxPasses));

  // Answers that end: given up at the question that finds none, whatever the loop.
  XmlScanner catalogue;
  catalogue.SetText(
      "<M><Hardware>Ementa</Hardware><Filename>fw</Filename></M>"
      "<T><Hardware>Terminal</Hardware><Filename>fw</Filename></T>");
  base_.radio_messages.clear();
  prompts.yes_no = {false};
  EXPECT_FALSE(script.FlashProgram(catalogue, "M"));
  EXPECT_TRUE(script.GivenUp());
  EXPECT_EQ(base_.radio_messages.size(), 4u) << "one pass after the \"no\", none after the end";
  EXPECT_EQ(console_.log.back(), "The program was not sent.");
  EXPECT_EQ(console_.log.end()[-2], "No more answers: the procedure was given up.");
  prompts.ended = false;
  prompts.yes_no = {false};  // not through the base
  base_.uploaded.clear();
  EXPECT_FALSE(script.FlashProgram(catalogue, "T"));
  EXPECT_EQ(base_.uploaded.size(), 1u);
}

TEST_F(FlashingTest, BadCatalogueValuesAreRefusedBeforeTheDeviceIsTouched) {
  XmlScanner catalogue;
  catalogue.SetText(
      "<R><Hardware>Antena</Hardware><Filename>fw</Filename><RadioKhz>abc</RadioKhz></R>"
      "<N><Hardware>Antena</Hardware><Filename>fw</Filename><BaseName>TOOLONG</BaseName></N>");
  for (const char* key : {"R", "N"}) {
    prompts_.yes_no = {true};
    EXPECT_FALSE(procedures_.FlashProgram(catalogue, key));
    EXPECT_EQ(console_.log.back(), "The program was not sent.");
  }
  EXPECT_TRUE(base_.calls.empty());
  ASSERT_EQ(prompts_.messages.size(), 2u);
  EXPECT_NE(prompts_.messages[0].find("\"abc\""), std::string::npos);
  EXPECT_NE(prompts_.messages[1].find("\"TOOLONG\""), std::string::npos);
  EXPECT_TRUE(prompts_.questions.empty()) << "not even asked to start";
}

TEST(StartUp, ThePortAnswerIsCheckedByOpeningIt) {
  EXPECT_EQ(PortNumberFromAnswer("com4"), 4);
  EXPECT_EQ(PortNumberFromAnswer("4"), 4);
  EXPECT_EQ(PortNumberFromAnswer(" COM12 "), 12);  // taken whole
  EXPECT_EQ(PortNumberFromAnswer("Com3"), 3);
  EXPECT_EQ(PortNumberFromAnswer("abc"), 0);

  FakeBase base;
  base.missing_ports = {9};
  ScriptedPrompts prompts;
  prompts.inputs = {std::string("abc"), std::string("com9"), std::string("COM12")};
  EXPECT_EQ(AskComPort(prompts, base), 12);
  EXPECT_EQ(prompts.questions,
            std::vector<std::string>(3, "Which serial port are the Base or Cradle connected to?"));
  EXPECT_EQ(base.calls, (std::vector<std::string>{"IO_Open 19200", "IO_Open 19200", "IO_Close"}));
  for (std::optional<std::string> answer : {std::optional<std::string>(""), std::optional<std::string>()}) {
    prompts.inputs = {answer};
    EXPECT_EQ(AskComPort(prompts, base), std::nullopt);
  }
  prompts.yes_no = {true};
  EXPECT_TRUE(AskInternetConexion(prompts));
  EXPECT_FALSE(AskInternetConexion(prompts));
  EXPECT_EQ(prompts.questions.back(), "Are you connected to Internet ?");
}

}  // namespace
}  // namespace tabulo
