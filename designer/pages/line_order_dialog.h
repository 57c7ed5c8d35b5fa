#pragma once
// `Form9`: "DELETE", "MOVE UP" and "MOVE DOWN" on the line whose `Remove` button opened it. Every button
// acts on the current page and `CurrentLine` as they are when it is pressed, redraws the page and closes.

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include "designer/pages/designer_host.h"

namespace tabulo {

class LineOrderDialog : public QWidget {
  Q_OBJECT

 public:
  LineOrderDialog(DesignerHost& host, QWidget* owner);
  // Names the line the buttons act on now.
  void Form_Load();

  QLabel* Label1 = nullptr;         // the line, as LineOrderCaption names it
  QPushButton* Command1 = nullptr;  // "DELETE"
  QPushButton* Command2 = nullptr;  // "MOVE UP"
  QPushButton* Command3 = nullptr;  // "MOVE DOWN"

 protected:
  // The page may have changed on the main window since the window was shown: the line is named again.
  bool event(QEvent* event) override;

 private:
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  template <class Move>
  void Apply(Move move);

  DesignerHost& host_;
};

// Shows the shared line order window, created in `instance` on first use as a tool window of `owner`.
LineOrderDialog* ShowLineOrderDialog(QPointer<LineOrderDialog>& instance, DesignerHost& host, QWidget* owner);

}  // namespace tabulo
