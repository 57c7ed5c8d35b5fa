#pragma once
// The reception test (`Form3`, "Reception mode test"): opens the radio link on a port, polls it every
// 100 ms while it is open and shows the last order received (terminal, table, its lines with descriptions
// and quantities). The link is ReceptionSession's and the lines are OrderDisplayLines'; the window turns
// its buttons and timer into calls of them. The link closes with the window.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "designer/document/menu_document.h"
#include "designer/link/kestrel_api.h"
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
  QTimer* Timer1 = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Command1_Click();
  void Command2_Click();
  void Timer1_Timer();
  void Form_Unload();

  MenuDocument& doc_;
  KestrelApi& api_;
  UserPrompts& prompts_;
  ReceptionSession session_;
};

}  // namespace tabulo
