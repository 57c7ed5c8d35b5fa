#include "designer/link/reception_window.h"

#include <QCloseEvent>
#include <QFont>
#include <QGridLayout>
#include <iostream>

#include "designer/link/kestrel_binding.h"
#include "designer/link/menu_send.h"
#include "designer/link/received_order.h"
#include "designer/link/send_dialog.h"

namespace tabulo {
namespace {

constexpr int kPollMilliseconds = 100;

}  // namespace

ReceptionWindow::ReceptionWindow(MenuDocument& doc, KestrelApi& api, UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), doc_(doc), api_(api), prompts_(prompts), session_(api) {
  setObjectName("Form3");
  setWindowTitle("Reception mode test");
  setAttribute(Qt::WA_DeleteOnClose);

  auto* port_label = new QLabel("ComPort", this);
  Text2 = new QLineEdit(this);
  Text2->setObjectName("Text2");
  port_label->setBuddy(Text2);
  Command1 = new QPushButton("Open Com Port", this);
  Command1->setObjectName("Command1");
  Command2 = new QPushButton("Close Com Port", this);
  Command2->setObjectName("Command2");
  Command2->setEnabled(false);
  Command3 = new QPushButton("Close Window", this);
  Command3->setObjectName("Command3");
  auto* terminal_label = new QLabel("Terminal Number", this);
  TerminalNo = new QLineEdit(this);
  TerminalNo->setObjectName("TerminalNo");
  TerminalNo->setReadOnly(true);
  terminal_label->setBuddy(TerminalNo);
  auto* table_label = new QLabel("Table", this);
  Table = new QLineEdit(this);
  Table->setObjectName("Table");
  Table->setReadOnly(true);
  table_label->setBuddy(Table);
  Plist = new QPlainTextEdit(this);
  Plist->setObjectName("Plist");
  Plist->setReadOnly(true);
  Plist->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The columns line up only in a fixed-pitch font; where Courier New is missing another one stands in.
  QFont courier("Courier New");
  courier.setStyleHint(QFont::TypeWriter);
  courier.setFixedPitch(true);
  Plist->setFont(courier);
  Plist->setMinimumSize(360, 240);
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(kPollMilliseconds);

  auto* layout = new QGridLayout(this);
  layout->addWidget(port_label, 0, 0);
  layout->addWidget(Text2, 0, 1);
  layout->addWidget(Command1, 1, 0);
  layout->addWidget(Command2, 1, 1);
  layout->addWidget(terminal_label, 2, 0);
  layout->addWidget(TerminalNo, 2, 1);
  layout->addWidget(table_label, 3, 0);
  layout->addWidget(Table, 3, 1);
  layout->addWidget(Plist, 4, 0, 1, 2);
  layout->addWidget(Command3, 5, 1);

  connect(Command1, &QPushButton::clicked, this, &ReceptionWindow::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &ReceptionWindow::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &ReceptionWindow::close);
  connect(Timer1, &QTimer::timeout, this, &ReceptionWindow::Timer1_Timer);

  // Form_Load.
  Text2->setText(ComPortSetting());
}

ReceptionWindow::~ReceptionWindow() {
  Form_Unload();
}

void ReceptionWindow::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void ReceptionWindow::Form_Unload() {
  if (!Command2->isEnabled()) return;
  Timer1->stop();
  Command2->setEnabled(false);
  Command1->setEnabled(true);
  session_.Close();
}

void ReceptionWindow::Command1_Click() {
  StoreComPortSetting(Text2->text());
  if (!RadioLibraryLoaded(api_, prompts_)) return;
  int port = PortNumberOfText(Text2->text().toStdString());
  if (!session_.Open(port)) {
    // The window stays closed without a message; the reason still reaches standard error.
    std::cerr << "tabulodesk: cannot open the link on port " << port << ": " << api_.LastError() << '\n';
    return;
  }
  Command2->setEnabled(true);
  Command1->setEnabled(false);
  Timer1->start();
}

void ReceptionWindow::Command2_Click() {
  Command2->setEnabled(false);
  Command1->setEnabled(true);
  Timer1->stop();
  session_.Close();
}

void ReceptionWindow::Timer1_Timer() {
  if (!Command2->isEnabled()) return;
  std::optional<ReceivedOrder> order = session_.Poll();
  if (!order) return;
  QString text;
  for (const std::string& line : OrderDisplayLines(doc_, *order)) text += QString::fromStdString(line) + '\n';
  Plist->setPlainText(text);
  TerminalNo->setText(QString::number(order->terminal));
  Table->setText(QString::number(order->table));
}

}  // namespace tabulo
