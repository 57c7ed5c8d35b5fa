#pragma once
// The reception test (`Form3`, "Reception mode test"): opens the radio link on a port, polls it every
// 100 ms while it is open and shows the last order received (terminal, table, its lines with descriptions
// and quantities), with a log of every order received since it opened. The link is ReceptionSession's, its
// calls made on a thread of the window's own so that a base that stops answering never holds the window
// (it is told in the window instead); the lines are OrderDisplayLines'. The link closes with the window.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "designer/document/menu_document.h"
#include "designer/link/kestrel_api.h"
#include "designer/link/link_worker.h"
#include "designer/link/reception_session.h"
#include "platform/user_prompts.h"

namespace tabulo {

class ReceptionWindow : public QWidget {
  Q_OBJECT

 public:
  // Reads the catalogue of `doc` for the descriptions; `api` and `doc` outlive the window.
  ReceptionWindow(MenuDocument& doc, KestrelApi& api, UserPrompts& prompts, QWidget* parent = nullptr);
  ~ReceptionWindow() override;

  QLineEdit* Text2 = nullptr;       // port number
  QPushButton* Command1 = nullptr;  // "Open Com Port"
  QPushButton* Command2 = nullptr;  // "Close Com Port"; enabled exactly while the link is open
  QPushButton* Command3 = nullptr;  // "Close Window"
  QLineEdit* TerminalNo = nullptr;
  QLineEdit* Table = nullptr;
  QPlainTextEdit* Plist = nullptr;
  QPlainTextEdit* OrderLog = nullptr;  // every order received, with the time it came
  QLabel* Status = nullptr;            // the link's state: waiting for orders, or why it does not answer
  QTimer* Timer1 = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Command1_Click();
  void Command2_Click();
  void Timer1_Timer();
  void Form_Unload();
  void Opened(bool opened, int port, const std::string& why);
  void Polled(const ReceptionSession::PollResult& poll);

  MenuDocument& doc_;
  KestrelApi& api_;
  UserPrompts& prompts_;
  ReceptionSession session_;  // used on the worker's thread only
  bool listening_ = false;    // the link is open and polled: Close or the window's end clears it
  bool poll_under_way_ = false;
  bool answering_ = true;
  // Last, so that it is gone (its jobs done) before the session it calls.
  std::unique_ptr<LinkWorker> worker_ = std::make_unique<LinkWorker>();
};

}  // namespace tabulo
