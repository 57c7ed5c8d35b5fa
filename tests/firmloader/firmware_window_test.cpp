// The firmware tool's window as the user meets it: the start-up questions, the program list, the offline
// update against a download server on 127.0.0.1, and a program sent to kestrel-basesim on a pseudo-terminal
// through the built library by a click on the list.

#include "firmloader/firmware_window.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "designer/link/kestrel_binding.h"
#include "tests/firmloader/download_server.h"
#include "tests/kestrel/basesim_process.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

// The window with its waits recorded instead of slept, and what the window looked like during them.
class QuickWindow : public FirmwareWindow {
 public:
  using FirmwareWindow::FirmwareWindow;

  std::vector<int> waits;
  std::vector<bool> list_enabled_during_waits;
  bool close_during_waits = false;

  void WaitMilliseconds(int ms) override {
    waits.push_back(ms);
    list_enabled_during_waits.push_back(List1->isEnabled() || Command1->isEnabled());
    if (close_during_waits) close();
    QApplication::processEvents();
  }
};

std::string Program(const std::string& key, const std::string& description, const std::string& hardware,
                    const std::string& filename) {
  return "<" + key + ">\r\n  <Descricao>" + description + "</Descricao>\r\n  <Hardware>" + hardware +
         "</Hardware>\r\n  <Filename>" + filename + "</Filename>\r\n</" + key + ">\r\n";
}

std::vector<std::string> LogLines(const FirmwareWindow& window) {
  std::vector<std::string> lines;
  for (const QString& line : window.Text1->toPlainText().split('\n', Qt::SkipEmptyParts)) {
    lines.push_back(line.toStdString());
  }
  return lines;
}

bool Logged(const FirmwareWindow& window, const std::string& line) {
  std::vector<std::string> lines = LogLines(window);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void ClickRow(QListWidget* list, int row) {
  QApplication::processEvents();  // laid out, so that the row has its place
  QRect rect = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

// Bytes a firmware may hold: not text.
std::string Binary(const std::string& tag) {
  return tag + std::string("\0\x01\xff", 3);
}

class FirmwareWindowTest : public ::testing::Test {
 protected:
  // Keeps a firmware in the tool's offline cache, as a fetch does.
  void Cache(const std::string& name, const std::string& body) {
    RecordingConsole console;
    ASSERT_TRUE(FirmwareFiles(tool_.Path(), "", console).StoreInCache(name, body, Binary("header")).ok);
  }

  void SetUp() override {
    ::setenv("KESTREL_LIBRARY", test::BuiltLibrary().c_str(), 1);
    ::setenv("KESTREL_TIMEOUT_MS", "60", 1);
    ::setenv("KESTREL_ATTEMPTS", "2", 1);
    ::setenv("KESTREL_PORT_9", (folder_ / "no-such-device").c_str(), 1);
  }
  void TearDown() override {
    window_.reset();
    for (const char* name :
         {"KESTREL_LIBRARY", "KESTREL_TIMEOUT_MS", "KESTREL_ATTEMPTS", "KESTREL_PORT_1", "KESTREL_PORT_9"}) {
      ::unsetenv(name);
    }
  }

  void StartBase() {
    base_ = std::make_unique<test::BaseSimulator>(
        folder_.Path(), std::vector<std::string>{"--events", folder_ / "events.jsonl"});
    ::setenv("KESTREL_PORT_1", base_->Link().c_str(), 1);
  }
  // Opens the window on the tool folder and answers the start-up questions.
  bool Open(bool online, std::deque<std::optional<std::string>> ports = {"COM1"}) {
    window_ = std::make_unique<QuickWindow>(api_, prompts_, tool_.Path(), server_.Folder());
    window_->show();
    prompts_.yes_no = {online};
    prompts_.inputs = std::move(ports);
    return window_->Form_Load();
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int i = 0; i < window_->List1->count(); ++i)
      rows.push_back(window_->List1->item(i)->text().toStdString());
    return rows;
  }

  test::TempFolder folder_;
  test::TempFolder tool_;
  test::DownloadServer server_;
  std::unique_ptr<test::BaseSimulator> base_;
  KestrelBinding api_;
  ScriptedPrompts prompts_;
  std::unique_ptr<QuickWindow> window_;
};

TEST_F(FirmwareWindowTest, StartUpListsTheLocalCatalogueAndAsksForAPortThatOpens) {
  StartBase();
  test::WriteFile(tool_ / "Conf.xml", Program("MENU", "Menu terminal", "Ementa", "menu7") +
                                          Program("BASE", "Base station", "Antena", "base3"));
  ASSERT_TRUE(Open(true, {"com9", "COM1"})) << "port 9 cannot be opened; the question comes again";
  EXPECT_EQ(window_->windowTitle(), "Velt - Upgrade Firmware 2");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Menu terminal", "Base station"}));
  EXPECT_TRUE(window_->Command1->isVisible());
  EXPECT_EQ(prompts_.questions,
            (std::vector<std::string>{"Are you connected to Internet ?",
                                      "Which serial port are the Base or Cradle connected to?",
                                      "Which serial port are the Base or Cradle connected to?"}));
  EXPECT_TRUE(window_->Files().InternetConexion());
}

TEST_F(FirmwareWindowTest, OfflineHidesTheUpdateButtonAndNoPortEndsTheProgram) {
  ASSERT_FALSE(Open(false, {""}));
  EXPECT_FALSE(window_->Command1->isVisible());
  EXPECT_FALSE(window_->Files().InternetConexion());
  EXPECT_TRUE(window_->List1->count() == 0);
  EXPECT_NE(window_->Text1->toPlainText().indexOf("There is no program list"), -1);
  ASSERT_FALSE(Open(false, {std::nullopt})) << "a cancelled question ends it too";
}

TEST_F(FirmwareWindowTest, UpdateForOfflineFetchesTheCatalogueAndEveryFirmwareIntoTheCache) {
  StartBase();
  server_.Put("Conf.xml", Program("MENU", "Menu terminal", "Ementa", "menu7") +
                              Program("TERM", "Order terminal", "Terminal", "term2") +
                              Program("EVIL", "Elsewhere", "Terminal", "..\\..\\evil"));
  for (const char* name : {"menu7.bin", "menu7.hea", "term2.bin", "term2.hea"})
    server_.Put(name, Binary(name));
  ASSERT_TRUE(Open(true));
  EXPECT_TRUE(Rows().empty());

  QTest::mouseClick(window_->Command1, Qt::LeftButton);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Menu terminal", "Order terminal", "Elsewhere"}));
  for (const char* name : {"menu7.bin", "menu7.hea", "term2.bin", "term2.hea"}) {
    EXPECT_EQ(test::ReadFile(tool_ / name), Binary(name));
  }
  std::vector<std::string> log = LogLines(*window_);
  EXPECT_EQ(log[1], "Reading all the files from internet...");
  EXPECT_EQ(log.back(), "Not every file could be fetched: the offline copies are incomplete.")
      << "EVIL's firmware was refused, so the update is not done";
  EXPECT_TRUE(Logged(*window_,
                     "The file name \"..\\..\\evil\" of program EVIL is not a plain name and is not used."));
  for (const std::string& request : server_.Requests()) EXPECT_EQ(request.find("evil"), std::string::npos);
  EXPECT_TRUE(window_->List1->isEnabled());
  EXPECT_TRUE(window_->Command1->isEnabled());

  // A later run without the internet sends from that cache.
  ASSERT_TRUE(Open(false));
  EXPECT_EQ(Rows().size(), 3u);
  prompts_.yes_no = {true};  // received
  ClickRow(window_->List1, 0);
  std::vector<nlohmann::json> firmware;
  for (const auto& event : test::JsonLines(folder_ / "events.jsonl")) {
    if (event["event"] == "firmware") firmware.push_back(event);
  }
  ASSERT_EQ(firmware.size(), 2u);
  EXPECT_EQ(firmware[0]["bytes"], Binary("menu7.bin").size());
  EXPECT_TRUE(firmware[0]["checksum_ok"]);
}

TEST_F(FirmwareWindowTest, AClickSendsTheProgramWithTheWindowLockedUntilItEnds) {
  StartBase();
  test::WriteFile(tool_ / "Conf.xml", Program("MENU", "Menu terminal", "Ementa", "menu7"));
  Cache("menu7", std::string(5000, '\x01'));
  ASSERT_TRUE(Open(false));
  window_->close_during_waits = true;
  prompts_.yes_no = {false, true};  // received on the second try
  ClickRow(window_->List1, 0);

  EXPECT_TRUE(window_->isVisible()) << "closing is refused while a program is sent";
  EXPECT_TRUE(Logged(*window_, "Please wait until the current step ends."));
  ASSERT_FALSE(window_->list_enabled_during_waits.empty());
  for (bool enabled : window_->list_enabled_during_waits) EXPECT_FALSE(enabled);
  EXPECT_EQ(window_->waits, (std::vector<int>{10000, 1000, 8000, 1000, 8000, 3000, 1000, 8000, 1000, 8000}));
  EXPECT_EQ(LogLines(*window_).back(), "Done!");
  EXPECT_TRUE(window_->List1->isEnabled());
  EXPECT_EQ(window_->Files().NetError(), false);

  std::vector<std::string> log = LogLines(*window_);
  EXPECT_EQ(std::count(log.begin(), log.end(), "Done!"), 1) << "one click, one procedure";

  // Enter on the list sends the current row; moving through the list sends nothing.
  window_->close_during_waits = false;
  window_->waits.clear();
  QTest::keyClick(window_->List1, Qt::Key_Down);
  EXPECT_TRUE(window_->waits.empty());
  prompts_.yes_no = {true};
  window_->List1->setCurrentRow(0);
  QTest::keyClick(window_->List1, Qt::Key_Return);
  EXPECT_EQ(window_->waits.size(), 5u);
  EXPECT_TRUE(window_->close()) << "closing is allowed once the procedure ended";
}

TEST_F(FirmwareWindowTest, AMissingFirmwareOrAWebPageInItsPlaceIsReportedAndNothingIsSent) {
  StartBase();
  test::WriteFile(tool_ / "Conf.xml", Program("MENU", "Menu terminal", "Ementa", "menu7"));
  ASSERT_TRUE(Open(false));
  ClickRow(window_->List1, 0);
  EXPECT_TRUE(Logged(*window_, "File is not available at the moment!"));
  EXPECT_TRUE(Logged(*window_, "menu7.bin: not in the offline cache"));
  EXPECT_EQ(LogLines(*window_).back(), "The program was not sent.");
  EXPECT_TRUE(window_->waits.empty()) << "the procedure stops before any step on the device";

  // Online behind a captive portal: its page is no firmware.
  server_.PortalPage(true);
  Cache("menu7", Binary("menu7.bin"));
  ASSERT_TRUE(Open(true));
  ClickRow(window_->List1, 0);
  EXPECT_TRUE(Logged(*window_, "menu7.bin: the answer is a web page, not the file"));
  EXPECT_EQ(LogLines(*window_).back(), "The program was not sent.");
  EXPECT_EQ(window_->Status->text(), "The download failed: menu7.bin: the answer is a web page, not the file")
      << "the failure stays in sight above the log";
  EXPECT_TRUE(window_->waits.empty());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "events.jsonl"));
  EXPECT_EQ(test::ReadFile(tool_ / "menu7.bin"), Binary("menu7.bin")) << "the cache keeps its good copy";
}

TEST_F(FirmwareWindowTest, TheServerAddressIsShownAndCanBeSet) {
  ASSERT_FALSE(Open(false, {""}));
  EXPECT_EQ(window_->ServerFolder->text().toStdString(), server_.Folder() + "/");
  QStringList saved;
  QObject::connect(window_.get(), &FirmwareWindow::ServerFolderChanged,
                   [&](const QString& address) { saved << address; });
  window_->ServerFolder->setText("file:///etc");
  emit window_->ServerFolder->editingFinished();
  EXPECT_EQ(window_->Files().ServerFolder(), server_.Folder() + "/") << "only http and https";
  EXPECT_EQ(window_->ServerFolder->text().toStdString(), server_.Folder() + "/");
  window_->ServerFolder->setText(" http://127.0.0.1:9/site ");
  emit window_->ServerFolder->editingFinished();
  EXPECT_EQ(window_->Files().ServerFolder(), "http://127.0.0.1:9/site/");
  EXPECT_EQ(saved, QStringList{"http://127.0.0.1:9/site/"});
}

TEST(FirmwareWindowWaits, EventsFlowWhileTheWindowWaits) {
  test::TempFolder tool;
  KestrelBinding api;
  ScriptedPrompts prompts;
  FirmwareWindow window(api, prompts, tool.Path(), "http://127.0.0.1:9/");
  bool fired = false;
  QTimer::singleShot(20, [&] { fired = true; });
  QElapsedTimer clock;
  clock.start();
  window.WaitMilliseconds(250);
  EXPECT_TRUE(fired);
  EXPECT_GE(clock.elapsed(), 240);
  EXPECT_FALSE(window.WaitProgress->isVisible()) << "a short wait shows no bar";

  // A long wait shows how long it still takes.
  window.show();
  bool shown = false;
  QString text;
  QTimer::singleShot(300, [&] {
    shown = window.WaitProgress->isVisible();
    text = window.WaitProgress->text();
  });
  window.WaitMilliseconds(kProgressFromMs);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(text.endsWith(" s left")) << text.toStdString();
  EXPECT_FALSE(window.WaitProgress->isVisible());
}

TEST(FirmwareTool, IsBuiltBesideTheDesignerThatStartsIt) {
  std::filesystem::path designer = test::BuiltProgram("tabulodesk");
  EXPECT_TRUE(std::filesystem::exists(designer.parent_path() / "firmloader"));
}

}  // namespace
}  // namespace tabulo
