// The send dialog and the reception window as the user meets them: opened from the main window's Send and
// Receive, driven through their widgets, talking to kestrel-basesim on a pseudo-terminal through the built
// libkestrel.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>

#include "designer/history/sent_menus.h"
#include "designer/link/reception_window.h"
#include "designer/link/send_dialog.h"
#include "designer/mainwindow/main_window.h"
#include "designer/storage/project_files.h"
#include "designer/storage/project_layout.h"
#include "platform/folders.h"
#include "platform/settings.h"
#include "tests/kestrel/basesim_process.h"
#include "tests/link/fake_kestrel.h"
#include "tests/link/small_menu.h"
#include "tests/support/designer_test.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using nlohmann::json;
using test::BaseSimulator;
using test::WithoutRawTexts;

std::vector<std::string> TraceNames(const std::string& path) {
  std::vector<std::string> names;
  for (const json& call : test::JsonLines(path)) names.push_back(call[0]);
  return names;
}

// What the dialog looked like at each caption change.
struct CaptionSeen {
  QString caption;
  Qt::CursorShape dialog_cursor;
  Qt::CursorShape main_cursor;
  bool autosave_running;
};

// A designer started in a maker folder and a settings folder of its own, on the small menu's work copy,
// with the radio library of the build and the environment the library reads.
class LinkWindows : public test::DesignerTest {
 protected:
  void SetUp() override {
    DesignerTest::SetUp();
    // The designer's settings file, which Qt's settings (used below to check it) read too.
    ::setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(home_ / "config"));
    ::setenv("KESTREL_LIBRARY", test::BuiltLibrary().c_str(), 1);
    ::setenv("KESTREL_TRACE", trace_.c_str(), 1);
    // A base that stops answering is given up on quickly.
    ::setenv("KESTREL_TIMEOUT_MS", "200", 1);
    ::setenv("KESTREL_ATTEMPTS", "2", 1);
  }
  void TearDown() override {
    DesignerTest::TearDown();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const char* name : {"XDG_CONFIG_HOME", "KESTREL_LIBRARY", "KESTREL_TRACE", "KESTREL_TIMEOUT_MS",
                             "KESTREL_ATTEMPTS", "KESTREL_PORT_1", "KESTREL_PORT_3"}) {
      ::unsetenv(name);
    }
  }

  void Start() {
    LeaveWorkCopy([](MenuDocument& previous) { previous = *test::SmallMenu(); });
    DesignerTest::Start();
  }

  void PointPortAt(int port, const std::string& device) {
    ::setenv(("KESTREL_PORT_" + std::to_string(port)).c_str(), device.c_str(), 1);
  }

  template <class W>
  static W* TopLevel(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == name && !widget->isHidden()) {
        if (auto* window = qobject_cast<W*>(widget)) return window;
      }
    }
    return nullptr;
  }
  template <class W>
  static bool Gone(const QPointer<W>& window) {
    return QTest::qWaitFor([&] { return window.isNull(); }, 2000);
  }

  SendDialog* OpenSend() {
    window_->findChild<QAction*>("SendAll")->trigger();
    return TopLevel<SendDialog>("Form1");
  }
  ReceptionWindow* OpenReception() {
    window_->findChild<QAction*>("Receive")->trigger();
    return TopLevel<ReceptionWindow>("Form3");
  }
  bool AutosaveRunning() { return window_->findChild<QTimer*>("Timer1")->isActive(); }

  // Presses Send, waits for its outcome and returns the captions shown while it ran.
  std::vector<CaptionSeen> PressSend(SendDialog* dialog) {
    std::vector<CaptionSeen> seen;
    auto connection = QObject::connect(dialog, &QWidget::windowTitleChanged, [&](const QString& title) {
      seen.push_back({title, dialog->cursor().shape(), window_->cursor().shape(), AutosaveRunning()});
    });
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->Sending(); }, 60000));
    QObject::disconnect(connection);
    return seen;
  }
  // Presses a reception window's Open Com Port and waits until the link opened or did not.
  static void OpenLink(ReceptionWindow* reception) {
    QTest::mouseClick(reception->Command1, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return reception->Command1->isEnabled() || reception->Command2->isEnabled(); }, 20000));
  }

  std::string trace_ = home_ / "trace.jsonl";
};

TEST_F(LinkWindows, SendWritesTheWorkCopyAndTheBaseStoresTheMenu) {
  std::string menu_file = home_ / "menu.json";
  BaseSimulator base(home_.Path(), {"--menu-out", menu_file});
  PointPortAt(1, base.Link());
  Start();
  doc_->ProjectBase = home_ / "elsewhere";  // as after a Load: Send goes back to the work copy
  std::filesystem::remove(WorkBase() + kModifierDefinitionsFile);

  SendDialog* dialog = OpenSend();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(doc_->ProjectBase, WorkBase());
  EXPECT_EQ(dialog->SinceLastSent->text(), "No send is kept yet: the whole menu goes out.");
  EXPECT_TRUE(std::filesystem::exists(WorkBase() + kModifierDefinitionsFile)) << "the work copy is written";
  EXPECT_EQ(dialog->windowTitle(), "Send");
  EXPECT_EQ(dialog->parentWidget(), window_.get()) << "owned by the main window";
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->Label2->text(), "ComPort");
  EXPECT_EQ(dialog->Text2->text(), "1") << "the setting's default";
  EXPECT_EQ(dialog->Check1->text(), "13 Pages from 1 - 13");
  EXPECT_FALSE(dialog->Check1->isChecked()) << "PagesVersion is 0";
  EXPECT_EQ(dialog->Check2->text(), "Old firmware without language option");
  EXPECT_FALSE(dialog->Check2->isChecked());
  EXPECT_EQ(dialog->Command1->text(), "Send");
  EXPECT_EQ(dialog->Command2->text(), "Close Window");
  EXPECT_EQ(dialog->GetBotao(1), 145);
  EXPECT_EQ(dialog->GetBotao(2), 193);
  EXPECT_EQ(dialog->GetBotao(5), 0) << "on no line";
  EXPECT_EQ(OpenSend(), dialog) << "one shared instance";

  std::vector<CaptionSeen> seen = PressSend(dialog);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].caption, "Sending");
  EXPECT_EQ(seen[0].dialog_cursor, Qt::WaitCursor);
  EXPECT_EQ(seen[0].main_cursor, Qt::WaitCursor);
  EXPECT_FALSE(seen[0].autosave_running) << "the autosave is held during the transfer";
  EXPECT_EQ(seen[1].caption, "Sent");
  EXPECT_EQ(dialog->windowTitle(), "Sent");
  EXPECT_TRUE(window_->findChild<QLabel*>("SendStatus")->text().startsWith("Last send: The terminals have"))
      << "the designer's status bar keeps the outcome";
  EXPECT_EQ(dialog->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(window_->cursor().shape(), Qt::ArrowCursor);
  EXPECT_TRUE(AutosaveRunning());
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_EQ(dialog->Progress->value(), 100);
  EXPECT_EQ(dialog->Status->text(), "The terminals have the new menu (2 items, 2 modifier choices).");

  std::vector<json> calls = test::JsonLines(trace_);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), json({"menu_init", 1, 1, 65535}));
  EXPECT_EQ(calls.back(), json({"menu_close"}));
  json menu = json::parse(test::ReadFile(menu_file));
  json tree = test::SmallMenuTree();
  EXPECT_EQ(WithoutRawTexts(menu["tree"]), tree);
  EXPECT_EQ(menu["languages"], json({"Portugues", "English", "Italiano", "Frances", "Espanol"}));

  // Plain page numbers, and choices edited while the dialog stayed open are sent as they now are.
  QTest::mouseClick(dialog->Check1, Qt::LeftButton);
  EXPECT_EQ(dialog->GetBotao(1), 1);
  doc_->ModifierDefs[0].Count = 1;  // Mayo is no longer a choice
  PressSend(dialog);
  menu = json::parse(test::ReadFile(menu_file));
  EXPECT_EQ(menu["tree"][0]["children"].size(), 1u);
  EXPECT_EQ(menu["tree"][0]["children"][0]["button"], 2);
  EXPECT_EQ(menu["tree"][1]["button"], 1);
  EXPECT_EQ(menu["tree"][3]["button"], 49);

  // Old firmware: each block is the description alone; the flag outlives the dialog and the reopened
  // dialog shows it.
  QTest::mouseClick(dialog->Check2, Qt::LeftButton);
  EXPECT_EQ(ReadSetting(kOldFirmwareSettingKey), "true");
  PressSend(dialog);
  menu = json::parse(test::ReadFile(menu_file));
  EXPECT_EQ(menu["tree"][1]["text"], "Soup");
  EXPECT_EQ(menu["entries"][0]["text"], "Portugues");

  QPointer<SendDialog> closed = dialog;
  QTest::mouseClick(dialog->Command2, Qt::LeftButton);
  EXPECT_TRUE(Gone(closed)) << "Close Window destroys the dialog";
  dialog = OpenSend();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Send");
  EXPECT_FALSE(dialog->Check1->isChecked());
  EXPECT_TRUE(dialog->Check2->isChecked());
  EXPECT_EQ(QSettings("TABULO", "TABULO").value("COM/OldFirmware").toBool(), true) << "Qt reads it as a flag";

  // Every confirmed send kept the menu as sent; the dialog says before the next one what changed since,
  // and the main window reverts to it as one step.
  ASSERT_EQ(SentMenus().size(), 3u);
  EXPECT_EQ(dialog->SinceLastSent->text().toStdString(),
            "Nothing changed since the last send (" + SentMenus().front().name + ").");
  const std::string sent_price = doc_->PluPrice[0];
  doc_->PluPrice[0] = "3.10";
  EXPECT_EQ(OpenSend(), dialog);
  EXPECT_EQ(dialog->SinceLastSent->text().toStdString(),
            "Since the last send (" + SentMenus().front().name + "): 1 price.");
  window_->findChild<QAction*>("RevertToSent")->trigger();
  EXPECT_EQ(doc_->PluPrice[0], sent_price);
  EXPECT_EQ(doc_->ProjectBase, WorkBase()) << "the project keeps its own name";
  window_->findChild<QAction*>("Undo")->trigger();
  EXPECT_EQ(doc_->PluPrice[0], "3.10");
  closed = dialog;
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_TRUE(Gone(closed)) << "Escape closes it as Close Window does";
}

TEST_F(LinkWindows, ABaseThatStopsAnsweringIsNeverShownAsSent) {
  std::string menu_file = home_ / "menu.json";
  BaseSimulator base(home_.Path(), {"--menu-out", menu_file, "--silent-after", "1"});
  PointPortAt(1, base.Link());
  Start();
  SendDialog* dialog = OpenSend();
  ASSERT_NE(dialog, nullptr);

  std::vector<CaptionSeen> seen = PressSend(dialog);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].caption, "Sending");
  EXPECT_EQ(seen[1].caption, "Send failed");
  EXPECT_EQ(dialog->windowTitle(), "Send failed");
  EXPECT_TRUE(dialog->Status->text().startsWith("The menu was not stored: no answer from the base station"))
      << dialog->Status->text().toStdString();
  EXPECT_FALSE(std::filesystem::exists(menu_file)) << "nothing half-received is stored";
  EXPECT_EQ(dialog->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(window_->cursor().shape(), Qt::ArrowCursor);
  EXPECT_TRUE(AutosaveRunning());
  EXPECT_EQ(TraceNames(trace_).back(), "menu_close") << "the link is closed after a failed transfer";
}

TEST_F(LinkWindows, PortSettingIsStoredAndSharedAndABadPortSendsNothing) {
  Start();
  PointPortAt(3, home_ / "no-such-device");
  SendDialog* dialog = OpenSend();
  ASSERT_NE(dialog, nullptr);
  dialog->Text2->clear();
  QTest::keyClicks(dialog->Text2, "3");
  QTest::keyClick(dialog->Text2, Qt::Key_Return);
  EXPECT_TRUE(test::JsonLines(trace_).empty()) << "Enter in the port box does not send";

  std::vector<CaptionSeen> seen = PressSend(dialog);
  EXPECT_TRUE(seen.empty()) << "a link that does not open leaves the caption";
  EXPECT_EQ(dialog->windowTitle(), "Send");
  EXPECT_TRUE(dialog->Status->text().startsWith(
      QString::fromStdString("Cannot open the link on port 3: cannot open " + (home_ / "no-such-device"))))
      << "the reason is shown where the user looks: " << dialog->Status->text().toStdString();
  EXPECT_TRUE(window_->statusBar()->currentMessage().startsWith("Cannot open the link on port 3"))
      << window_->statusBar()->currentMessage().toStdString();
  EXPECT_TRUE(
      window_->findChild<QLabel*>("SendStatus")->text().startsWith("Last send: Cannot open the link"));
  EXPECT_TRUE(AutosaveRunning());
  EXPECT_EQ(test::JsonLines(trace_), std::vector<json>{json({"menu_init", 3, 1, 65535})})
      << "no other library call";
  EXPECT_EQ(QSettings("TABULO", "TABULO").value("COM/ComPort").toString(), "3");
  std::string stored = test::ReadFile(home_ / "config/TABULO/TABULO.conf");
  EXPECT_NE(stored.find("[COM]\nComPort=3"), std::string::npos) << stored;

  // The next dialog and the reception window read it back.
  QPointer<SendDialog> first = dialog;
  dialog->close();
  ASSERT_TRUE(Gone(first));
  dialog = OpenSend();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Text2->text(), "3");
  ReceptionWindow* reception = OpenReception();
  ASSERT_NE(reception, nullptr);
  EXPECT_EQ(reception->Text2->text(), "3");

  // A port text with no number is port 0, handed over as it is; a fraction is rounded.
  reception->Text2->setText("COM");
  OpenLink(reception);
  EXPECT_FALSE(reception->Status->text().isEmpty()) << "why the link did not open";
  dialog->Text2->setText(" 2.6");
  PressSend(dialog);
  std::vector<json> calls = test::JsonLines(trace_);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1], json({"radio_init", 0, 1, 65000, 0}));
  EXPECT_EQ(calls[2], json({"menu_init", 3, 1, 65535}));
  EXPECT_EQ(ComPortSetting(), " 2.6") << "stored as typed";
  EXPECT_EQ(QSettings("TABULO", "TABULO").value("COM/ComPort").toString(), " 2.6");
  {
    // What Qt's settings wrote before (quoted, escaped) is read back as written, and other lines stay.
    const QString tricky = "http://127.0.0.1:1/fw, new;=\"x\"\\ ";
    QSettings("TABULO", "TABULO").setValue("Firmware/ServerFolder", tricky);
    EXPECT_EQ(ReadSetting(kFirmwareServerSettingKey), tricky.toStdString());
    ASSERT_TRUE(WriteSetting(kFirmwareServerSettingKey, "@" + tricky.toStdString()));
    EXPECT_EQ(QSettings("TABULO", "TABULO").value("Firmware/ServerFolder").toString(), "@" + tricky);
    EXPECT_EQ(ComPortSetting(), " 2.6");
  }
  EXPECT_TRUE(reception->Command1->isEnabled()) << "the reception link stays closed";
}

TEST_F(LinkWindows, AMissingLibraryIsToldAndSendsNothing) {
  std::string missing = home_ / "none.so";
  ::setenv("KESTREL_LIBRARY", missing.c_str(), 1);
  Start();
  SendDialog* dialog = OpenSend();
  ASSERT_NE(dialog, nullptr);
  std::vector<CaptionSeen> seen = PressSend(dialog);
  EXPECT_TRUE(seen.empty());
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].rfind("Cannot load the radio library $KESTREL_LIBRARY=" + missing, 0), 0u)
      << prompts_.messages[0];
  EXPECT_TRUE(AutosaveRunning());

  ReceptionWindow* reception = OpenReception();
  ASSERT_NE(reception, nullptr);
  QTest::mouseClick(reception->Command1, Qt::LeftButton);
  EXPECT_EQ(prompts_.messages.size(), 2u);
  EXPECT_FALSE(reception->Command2->isEnabled());
  EXPECT_TRUE(reception->Command1->isEnabled());
}

TEST_F(LinkWindows, ReceptionWindowShowsTheOrdersTheTerminalsSend) {
  std::string orders = home_ / "orders.txt";
  test::WriteFile(orders, "order 3 12\n1 2\n77 1\n\norder 4 5\n");
  BaseSimulator base(home_.Path(), {"--orders", orders});
  PointPortAt(1, base.Link());
  Start();

  ReceptionWindow* reception = OpenReception();
  ASSERT_NE(reception, nullptr);
  EXPECT_EQ(reception->windowTitle(), "Reception mode test");
  EXPECT_EQ(reception->parentWidget(), window_.get()) << "a tool window of the designer, kept above it";
  EXPECT_EQ(reception->windowType(), Qt::Tool);
  EXPECT_EQ(OpenReception(), reception) << "one shared instance";
  EXPECT_EQ(reception->Text2->text(), "1");
  EXPECT_EQ(reception->Command1->text(), "Open Com Port");
  EXPECT_EQ(reception->Command2->text(), "Close Com Port");
  EXPECT_EQ(reception->Command3->text(), "Close Window");
  EXPECT_TRUE(reception->Command1->isEnabled());
  EXPECT_FALSE(reception->Command2->isEnabled());
  EXPECT_FALSE(reception->Timer1->isActive());
  EXPECT_EQ(reception->Timer1->interval(), 100);
  EXPECT_EQ(reception->Plist->font().family(), "Courier New");

  // Each order replaces the one before; what each showed is taken when its terminal number appears.
  std::vector<QString> shown, tables;
  QObject::connect(reception->TerminalNo, &QLineEdit::textChanged, [&] {
    shown.push_back(reception->TerminalNo->text() + "|" + reception->Plist->toPlainText());
  });
  QObject::connect(reception->Table, &QLineEdit::textChanged,
                   [&](const QString& text) { tables.push_back(text); });
  OpenLink(reception);
  EXPECT_FALSE(reception->Command1->isEnabled());
  EXPECT_TRUE(reception->Command2->isEnabled());
  EXPECT_TRUE(reception->Timer1->isActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() >= 2; }, 20000));
  QString log = reception->OrderLog->toPlainText();
  EXPECT_NE(log.indexOf("Terminal 3  Table 12\nPLU"), -1) << log.toStdString();
  EXPECT_GT(log.indexOf("Terminal 4  Table 5"), log.indexOf("Terminal 3")) << "every order is kept, in order";

  QString pad(26, ' ');
  const QString header = "PLU" + QString(27, ' ') + "QTY";  // over the quantities
  EXPECT_EQ(shown[0], "3|" + header + "\nSoup" + pad + "2\n77" + pad + "  1\n");
  EXPECT_EQ(shown[1], "4|" + header + "\n") << "an order without lines shows the header alone";
  EXPECT_EQ(tables, (std::vector<QString>{"12", "5"}));

  QTest::mouseClick(reception->Command2, Qt::LeftButton);
  EXPECT_TRUE(reception->Command1->isEnabled());
  EXPECT_FALSE(reception->Command2->isEnabled());
  EXPECT_FALSE(reception->Timer1->isActive());
  EXPECT_TRUE(QTest::qWaitFor([&] { return TraceNames(trace_).back() == "radio_close"; }, 5000));

  // Closing the designer closes the window and, with it, the open link.
  OpenLink(reception);
  ASSERT_TRUE(reception->Command2->isEnabled());
  QPointer<ReceptionWindow> open = reception;
  window_->close();
  EXPECT_TRUE(Gone(open));
  std::vector<std::string> names = TraceNames(trace_);
  EXPECT_EQ(names.back(), "radio_close");
  EXPECT_EQ(std::count(names.begin(), names.end(), "radio_init"), 2);
  EXPECT_EQ(std::count(names.begin(), names.end(), "radio_close"), 2);
}

// A base that goes silent is told in the window, which goes on answering the user meanwhile.
TEST_F(LinkWindows, ReceptionWindowTellsABaseThatStoppedAnswering) {
  BaseSimulator base(home_.Path(), {"--silent-after", "3"});
  PointPortAt(1, base.Link());
  Start();
  ReceptionWindow* reception = OpenReception();
  ASSERT_NE(reception, nullptr);
  OpenLink(reception);
  ASSERT_TRUE(reception->Command2->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return reception->Status->text().startsWith("The base station stopped"); }, 20000))
      << reception->Status->text().toStdString();
  EXPECT_NE(reception->Status->text().indexOf("no answer from the base station"), -1);
  QTest::mouseClick(reception->Command2, Qt::LeftButton);
  EXPECT_TRUE(reception->Command1->isEnabled()) << "closed at once, with a poll still waiting for the base";
  EXPECT_TRUE(QTest::qWaitFor([&] { return TraceNames(trace_).back() == "radio_close"; }, 10000));
}

// On a real line a full menu takes a minute: the windows stay answering, the reception test left open goes
// on sharing the port with the send, and Cancel stops the transfer so that the terminals keep their menu.
TEST_F(LinkWindows, ASendRunsBesideTheReceptionTestAndCancelKeepsTheOldMenu) {
  std::string menu_file = home_ / "menu.json";
  std::string events = home_ / "events.jsonl";
  std::string orders = home_ / "orders.txt";
  test::WriteFile(orders, "order 6 21\n1 1\n");
  BaseSimulator base(home_.Path(),
                     {"--baud", "19200", "--menu-out", menu_file, "--events", events, "--orders", orders});
  PointPortAt(1, base.Link());
  Start();
  ReceptionWindow* reception = OpenReception();
  ASSERT_NE(reception, nullptr);
  OpenLink(reception);
  ASSERT_TRUE(reception->Command2->isEnabled()) << reception->Status->text().toStdString();

  SendDialog* dialog = OpenSend();
  ASSERT_NE(dialog, nullptr);
  PressSend(dialog);
  ASSERT_EQ(dialog->windowTitle(), "Sent") << dialog->Status->text().toStdString();
  json small = json::parse(test::ReadFile(menu_file));
  ASSERT_TRUE(QTest::qWaitFor([&] { return reception->TerminalNo->text() == "6"; }, 20000))
      << "the reception test polls on beside the send";

  // The whole menu, then Cancel once part of it has crossed the line.
  *doc_ = *test::FullMenu();
  doc_->ProjectBase = WorkBase();
  QTest::mouseClick(dialog->Command1, Qt::LeftButton);
  ASSERT_TRUE(dialog->Sending());
  EXPECT_FALSE(dialog->Command1->isEnabled());
  EXPECT_TRUE(dialog->CancelSend->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Progress->value() >= 1; }, 30000));
  EXPECT_EQ(dialog->windowTitle(), "Sending");
  QString status = dialog->Status->text();
  EXPECT_NE(status.indexOf(QRegularExpression("^\\d+ of \\d+ bytes")), -1) << status.toStdString();
  QTest::mouseClick(dialog->CancelSend, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Sending(); }, 20000));
  EXPECT_EQ(dialog->windowTitle(), "Send cancelled");
  EXPECT_NE(dialog->Status->text().indexOf("keeps what it had"), -1) << dialog->Status->text().toStdString();
  EXPECT_LT(dialog->Progress->value(), 100);
  EXPECT_TRUE(AutosaveRunning());
  EXPECT_EQ(json::parse(test::ReadFile(menu_file)), small) << "the base keeps the menu it had";
  int stored = 0;
  for (const json& event : test::JsonLines(events)) stored += event["event"] == "menu" ? 1 : 0;
  EXPECT_EQ(stored, 1);
  EXPECT_TRUE(reception->Command2->isEnabled()) << "the reception link stays open";
}

// The window's own record of the link, on a library whose answers the test chooses.
TEST_F(LinkWindows, ReceptionLinkFollowsTheButtonsAndTheWindow) {
  test::FakeKestrel fake;
  auto doc = test::SmallMenu();
  QPointer<ReceptionWindow> window = new ReceptionWindow(*doc, fake, prompts_);
  window->show();
  window->close();
  EXPECT_TRUE(Gone(window));
  EXPECT_TRUE(fake.calls.empty()) << "closing with the link closed calls nothing";

  window = new ReceptionWindow(*doc, fake, prompts_);
  window->show();
  fake.radio_result = -1;
  OpenLink(window);
  EXPECT_TRUE(window->Command1->isEnabled()) << "a link that does not open leaves the window closed";
  EXPECT_FALSE(window->Command2->isEnabled());
  EXPECT_FALSE(window->Timer1->isActive());

  // The library is called on the window's own thread: the fake is set while that thread has nothing to do
  // and read once the window is gone.
  fake.radio_result = 0;
  fake.deliveries = {{7, 9, 1, "       5", "       3"}};
  OpenLink(window);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->TerminalNo->text() == "7"; }, 5000));
  EXPECT_EQ(window->Table->text(), "9");
  EXPECT_EQ(window->Plist->toPlainText(), "PLU" + QString(27, ' ') + "QTY\nSteak" + QString(25, ' ') + "3\n")
      << "the header stands over its columns";
  // Polls that find nothing change nothing; a poll the library cannot answer is told in the window.
  QTest::qWait(300);
  EXPECT_EQ(window->TerminalNo->text(), "7");
  EXPECT_TRUE(window->Status->text().startsWith("Waiting for orders on port 1"));

  window->close();
  EXPECT_TRUE(Gone(window));
  std::vector<std::string> names = fake.Names();
  EXPECT_EQ(names.front(), "radio_init");
  EXPECT_GE(std::count(names.begin(), names.end(), "menu_receive"), 3);
  EXPECT_EQ(names.back(), "radio_close");
  EXPECT_EQ(std::count(names.begin(), names.end(), "radio_close"), 1);
  EXPECT_EQ(fake.calls[0], json({"radio_init", 1, 1, 65000, 0}));
}

}  // namespace
}  // namespace tabulo
