#include "designer/link/reception_window.h"

#include <QCloseEvent>
#include <QFont>
#include <QGridLayout>
#include <QMetaObject>
#include <QTime>
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
    : QWidget(parent, Qt::Tool), doc_(doc), api_(api), prompts_(prompts), session_(api) {
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
  OrderLog = new QPlainTextEdit(this);
  OrderLog->setObjectName("OrderLog");
  OrderLog->setReadOnly(true);
  OrderLog->setLineWrapMode(QPlainTextEdit::NoWrap);
  OrderLog->setFont(courier);
  OrderLog->setMinimumSize(360, 160);
  Status = new QLabel(this);
  Status->setObjectName("Status");
  Status->setWordWrap(true);
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
  layout->addWidget(new QLabel("Orders received", this), 5, 0, 1, 2);
  layout->addWidget(OrderLog, 6, 0, 1, 2);
  layout->addWidget(Status, 7, 0, 1, 2);
  layout->addWidget(Command3, 8, 1);

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

// Closing calls the library only when the link is open (the session knows), after the poll under way.
void ReceptionWindow::Form_Unload() {
  Timer1->stop();
  listening_ = false;
  Command2->setEnabled(false);
  Command1->setEnabled(true);
  worker_->Post([this] { session_.Close(); });
}

void ReceptionWindow::Command1_Click() {
  StoreComPortSetting(Text2->text());
  if (!RadioLibraryLoaded(api_, prompts_)) return;
  int port = PortNumberOfText(Text2->text().toStdString());
  // A port setting that is an address (port 0) is told to the library, as the send does.
  std::string address = PortAddressOfText(Text2->text().toStdString());
  // Looking for the base may take a few seconds when nothing answers: the window waits on its thread.
  Command1->setEnabled(false);
  Status->setText(QString("Opening port %1...").arg(port));
  worker_->Post([this, port, address] {
    bool opened = (address.empty() || api_.SetPortAddress(port, address)) && session_.Open(port);
    std::string why = opened ? std::string() : api_.LastError();
    QMetaObject::invokeMethod(
        this, [this, opened, port, why] { Opened(opened, port, why); }, Qt::QueuedConnection);
  });
}

void ReceptionWindow::Opened(bool opened, int port, const std::string& why) {
  if (!opened) {
    // The window stays closed; the reason is shown and reaches standard error.
    const std::string message = "cannot open the link on port " + std::to_string(port) + ": " + why;
    std::cerr << "tabulodesk: " << message << '\n';
    QString shown = QString::fromStdString(message);
    shown[0] = shown[0].toUpper();
    Status->setText(shown);
    Command1->setEnabled(true);
    return;
  }
  answering_ = true;
  listening_ = true;
  Status->setText(QString("Waiting for orders on port %1").arg(port));
  Command2->setEnabled(true);
  Command1->setEnabled(false);
  Timer1->start();
}

void ReceptionWindow::Command2_Click() {
  listening_ = false;
  Command2->setEnabled(false);
  Command1->setEnabled(true);
  Timer1->stop();
  Status->clear();
  worker_->Post([this] { session_.Close(); });
}

// One poll at a time, on the worker: a tick while one is under way waits for the next.
void ReceptionWindow::Timer1_Timer() {
  if (!listening_ || poll_under_way_) return;
  poll_under_way_ = true;
  worker_->Post([this] {
    ReceptionSession::PollResult poll = session_.Poll();
    QMetaObject::invokeMethod(
        this, [this, poll] { Polled(poll); }, Qt::QueuedConnection);
  });
}

void ReceptionWindow::Polled(const ReceptionSession::PollResult& poll) {
  poll_under_way_ = false;
  if (!listening_) return;  // closed while it ran
  bool answered = poll.kind != ReceptionSession::PollResult::kNoAnswer;
  if (answered != answering_) {
    answering_ = answered;
    Status->setText(answered ? QString("The base station answers again; waiting for orders")
                             : QString::fromStdString("The base station stopped answering (" + poll.error +
                                                      "); still trying"));
  }
  if (poll.kind != ReceptionSession::PollResult::kOrder) return;
  const ReceivedOrder& order = poll.order;
  std::vector<std::string> lines = OrderDisplayLines(doc_, order);
  // The window's header stands over its columns, in the fixed-pitch font the lines are shown in.
  lines.front() = OrderColumnsHeader();
  QString text;
  for (const std::string& line : lines) text += QString::fromStdString(line) + '\n';
  Plist->setPlainText(text);
  TerminalNo->setText(QString::number(order.terminal));
  Table->setText(QString::number(order.table));
  OrderLog->appendPlainText(QString("%1  Terminal %2  Table %3\n%4")
                                .arg(QTime::currentTime().toString("HH:mm:ss"))
                                .arg(order.terminal)
                                .arg(order.table)
                                .arg(text));
}

}  // namespace tabulo
