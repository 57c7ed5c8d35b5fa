#include "designer/pages/line_order_dialog.h"

#include <QHBoxLayout>

#include "designer/pages/line_moves.h"
#include "designer/pages/page_window.h"

namespace tabulo {
namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

LineOrderDialog::LineOrderDialog(const PageDialogHost& host, QWidget* owner)
    : QWidget(owner, Qt::Tool), host_(host) {
  setObjectName("Form9");
  setWindowTitle("Line order");
  auto* row = new QHBoxLayout(this);
  Command1 = Button(this, "Command1", "DELETE");
  Command2 = Button(this, "Command2", "MOVE UP");
  Command3 = Button(this, "Command3", "MOVE DOWN");
  for (QPushButton* button : {Command1, Command2, Command3}) row->addWidget(button);
  connect(Command1, &QPushButton::clicked, this, &LineOrderDialog::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &LineOrderDialog::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &LineOrderDialog::Command3_Click);
}

template <class Move>
void LineOrderDialog::Apply(Move move) {
  move(*host_.doc, host_.current_page(), host_.doc->Hand.CurrentLine);
  if (host_.update_page) host_.update_page();
  close();
}

void LineOrderDialog::Command1_Click() {
  Apply(DeleteLine);
}
void LineOrderDialog::Command2_Click() {
  Apply(MoveLinesUp);
}
void LineOrderDialog::Command3_Click() {
  Apply(MoveLinesDown);
}

LineOrderDialog* ShowLineOrderDialog(QPointer<LineOrderDialog>& instance, const PageDialogHost& host) {
  return ShowPageWindow(instance, host);
}

}  // namespace tabulo
