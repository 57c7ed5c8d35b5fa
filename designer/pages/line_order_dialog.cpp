#include "designer/pages/line_order_dialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "designer/pages/line_moves.h"
#include "designer/pages/page_window.h"
#include "designer/pages/widget_helpers.h"

namespace tabulo {
namespace {

// What each button does, for its tooltip: the captions are short and "MOVE UP" moves no line of its own.
constexpr const char* kDeleteTip =
    "Takes the PLU off this line; the line stays in its place, empty. The PLU stays in the catalogue.";
constexpr const char* kMoveUpTip =
    "Removes this line: the lines below it move up one place and the last line of the page is left empty.";
constexpr const char* kMoveDownTip =
    "Inserts an empty line here: this line and those below it move down one place and the last line of the "
    "page is lost.";

}  // namespace

LineOrderDialog::LineOrderDialog(DesignerHost& host, QWidget* owner) : QWidget(owner, Qt::Tool), host_(host) {
  setObjectName("Form9");
  setWindowTitle("Line order");
  auto* column = new QVBoxLayout(this);
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  column->addWidget(Label1);
  auto* row = new QHBoxLayout;
  column->addLayout(row);
  Command1 = Named(new QPushButton("DELETE", this), "Command1");
  Command2 = Named(new QPushButton("MOVE UP", this), "Command2");
  Command3 = Named(new QPushButton("MOVE DOWN", this), "Command3");
  Command1->setToolTip(Q(kDeleteTip));
  Command2->setToolTip(Q(kMoveUpTip));
  Command3->setToolTip(Q(kMoveDownTip));
  for (QPushButton* button : {Command1, Command2, Command3}) row->addWidget(button);
  connect(Command1, &QPushButton::clicked, this, &LineOrderDialog::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &LineOrderDialog::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &LineOrderDialog::Command3_Click);
}

void LineOrderDialog::Form_Load() {
  const MenuDocument& doc = host_.Document();
  Label1->setText(QString::fromStdString(LineOrderCaption(doc, host_.CurrentPage(), doc.Hand.CurrentLine)));
}

bool LineOrderDialog::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) Form_Load();
  return QWidget::event(event);
}

template <class Move>
void LineOrderDialog::Apply(Move move) {
  MenuDocument& doc = host_.Document();
  move(doc, host_.CurrentPage(), doc.Hand.CurrentLine);
  host_.Update_Page();
  host_.ChangeDone();
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

LineOrderDialog* ShowLineOrderDialog(QPointer<LineOrderDialog>& instance, DesignerHost& host,
                                     QWidget* owner) {
  return ShowPageWindow(instance, host, owner);
}

}  // namespace tabulo
