#include "designer/link/send_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QMetaObject>
#include <cctype>
#include <ctime>
#include <iostream>

#include "designer/history/sent_menus.h"
#include "designer/link/button_numbers.h"
#include "designer/link/kestrel_binding.h"
#include "designer/link/menu_send.h"
#include "designer/mainwindow/designer_session.h"
#include "designer/pages/widget_helpers.h"
#include "platform/settings.h"

namespace tabulo {
namespace {

constexpr const char* kDefaultPort = "1";

std::string Sentence(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (!text.empty() && text.back() != '.') text += '.';
  return text;
}

}  // namespace

// The send's side of the dialog, told on the dialog's worker thread: each report goes to the dialog's own
// thread as a queued call (dropped when the dialog is gone), and the answer to "go on?" is the Cancel flag.
class SendDialog::Bridge : public SendProgress {
 public:
  explicit Bridge(SendDialog& dialog) : dialog_(dialog) {}
  void UploadStarting() override {
    SendDialog* dialog = &dialog_;
    QMetaObject::invokeMethod(
        dialog,
        [dialog] {
          dialog->setCursor(Qt::WaitCursor);
          if (QWidget* owner = dialog->parentWidget()) owner->setCursor(Qt::WaitCursor);
          dialog->setWindowTitle(Q(kSendingCaption));
        },
        Qt::QueuedConnection);
  }
  bool Transferred(long long done, long long total) override {
    SendDialog* dialog = &dialog_;
    QMetaObject::invokeMethod(
        dialog, [dialog, done, total] { dialog->ShowProgress(done, total); }, Qt::QueuedConnection);
    return !dialog_.cancel_;
  }

 private:
  SendDialog& dialog_;
};

QString ComPortSetting() {
  return QString::fromStdString(ReadSetting(kPortSettingKey).value_or(kDefaultPort));
}

void StoreComPortSetting(const QString& port) {
  if (!WriteSetting(kPortSettingKey, port.toStdString()))
    std::cerr << "The port setting cannot be stored in " << SettingsFile() << "\n";
}

SendDialog::SendDialog(DesignerHost& host, KestrelApi& api, QWidget* owner)
    : QDialog(owner), host_(host), api_(api) {
  setObjectName("Form1");
  setWindowTitle("Send");
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);

  Label2 = new QLabel("ComPort", this);
  Label2->setObjectName("Label2");
  Text2 = new QLineEdit(this);
  Text2->setObjectName("Text2");
  Label2->setBuddy(Text2);
  Check1 = new QCheckBox("13 Pages from 1 - 13", this);
  Check1->setObjectName("Check1");
  Check2 = new QCheckBox("Old firmware without language option", this);
  Check2->setObjectName("Check2");
  Command1 = new QPushButton("Send", this);
  Command1->setObjectName("Command1");
  Command2 = new QPushButton("Close Window", this);
  Command2->setObjectName("Command2");
  Progress = new QProgressBar(this);
  Progress->setObjectName("Progress");
  Progress->setRange(0, 100);
  Progress->setValue(0);
  Status = new QLabel(this);
  Status->setObjectName("Status");
  Status->setWordWrap(true);
  Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
  CancelSend = new QPushButton("Cancel", this);
  CancelSend->setObjectName("CancelSend");
  CancelSend->setEnabled(false);
  SinceLastSent = new QLabel(this);
  SinceLastSent->setObjectName("SinceLastSent");
  SinceLastSent->setWordWrap(true);
  // Enter in the port box must not start a transfer by itself.
  for (QPushButton* button : {Command1, Command2, CancelSend}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }

  auto* layout = new QGridLayout(this);
  layout->addWidget(SinceLastSent, 7, 0, 1, 2);
  layout->addWidget(Label2, 0, 0);
  layout->addWidget(Text2, 0, 1);
  layout->addWidget(Check1, 1, 0, 1, 2);
  layout->addWidget(Check2, 2, 0, 1, 2);
  layout->addWidget(Progress, 3, 0, 1, 2);
  layout->addWidget(Status, 4, 0, 1, 2);
  layout->addWidget(Command1, 5, 0);
  layout->addWidget(Command2, 5, 1);
  layout->addWidget(CancelSend, 6, 1);

  connect(Command1, &QPushButton::clicked, this, &SendDialog::Command1_Click);
  connect(CancelSend, &QPushButton::clicked, this, &SendDialog::CancelSend_Click);
  connect(Command2, &QPushButton::clicked, this, &SendDialog::close);
  connect(Check2, &QCheckBox::clicked, this, &SendDialog::Check2_Click);
  Form_Load();
}

// Only the main window's end deletes a dialog that is sending (a close waits for the outcome): the main
// window is then past use, so neither its pointer nor its autosave is given back.
SendDialog::~SendDialog() {
  cancel_ = true;
  worker_.reset();  // waits for the send's last step; a cancelled transfer stops within a moment
}

void SendDialog::closeEvent(QCloseEvent* event) {
  if (!sending_) {
    event->accept();
    return;
  }
  // The dialog goes once the send has stopped, so that its outcome is never lost on a window being closed.
  close_when_done_ = true;
  CancelSend_Click();
  event->ignore();
}

void SendDialog::reject() {
  if (sending_) {
    close_when_done_ = true;
    CancelSend_Click();
    return;
  }
  QDialog::reject();
}

void SendDialog::Form_Load() {
  Text2->setText(ComPortSetting());
  Check1->setChecked(host_.Document().PagesVersion == "1");
  // The box shows the setting the next send uses: a site with old terminals chooses it once.
  Check2->setChecked(ReadSetting(kOldFirmwareSettingKey).value_or("false") == "true");
}

void SendDialog::Check2_Click() {
  if (!WriteSetting(kOldFirmwareSettingKey, Check2->isChecked() ? "true" : "false"))
    host_.ShowFailure("The old-firmware setting cannot be stored in " + SettingsFile());
}

int32_t SendDialog::GetBotao(int32_t plu) const {
  return tabulo::GetBotao(host_.Document(), plu, Check1->isChecked());
}

void SendDialog::Command1_Click() {
  if (sending_) return;
  // Each send starts from a neutral dialog: nothing of the last outcome may pass for this one's.
  setWindowTitle("Send");
  Status->clear();
  Progress->setValue(0);
  host_.StopAutosave();
  StoreComPortSetting(Text2->text());
  MenuDocument& doc = host_.Document();
  // The dialog may have stayed open while the menu was edited: the definitions the send reads back must be
  // the document's own, not those of the last autosave.
  WriteReport written = WriteWorkCopy(doc);
  if (!written.ok) {
    host_.ShowFailure(WorkCopyFailureMessage(written));
    Status->setText(QString::fromStdString(WorkCopyFailureMessage(written)));
  }
  if (!RadioLibraryLoaded(api_, host_.Prompts())) {
    host_.StartAutosave();
    return;
  }
  SendSettings settings;
  settings.port = PortNumberOfText(Text2->text().toStdString());
  settings.port_address = PortAddressOfText(Text2->text().toStdString());
  settings.plain_pages = Check1->isChecked();
  settings.old_firmware = Check2->isChecked();
  // The menu as it is at the press: the user may go on editing while it travels.
  auto menu = std::make_shared<const MenuDocument>(doc);
  sending_ = true;
  cancel_ = false;
  estimate_ = TransferEstimate();
  Command1->setEnabled(false);
  CancelSend->setEnabled(true);
  worker_->Post([this, menu, settings] {
    Bridge bridge(*this);
    SendResult result = SendMenu(*menu, api_, settings, &bridge);
    QMetaObject::invokeMethod(
        this, [this, result, port = settings.port, menu] { Finished(result, port, menu); },
        Qt::QueuedConnection);
  });
}

void SendDialog::CancelSend_Click() {
  if (!sending_) return;
  cancel_ = true;
  CancelSend->setEnabled(false);
  Status->setText("Cancelling...");
}

void SendDialog::ShowProgress(long long done, long long total) {
  if (!sending_) return;
  estimate_.Update(done, total);
  Progress->setValue(estimate_.Percent());
  if (!cancel_) Status->setText(QString::fromStdString(estimate_.Text()));
}

void SendDialog::ShowChangesSinceLastSend() {
  host_.CommitEditedLine();
  SinceLastSent->setText(QString::fromStdString(ChangesSinceLastSend(host_.Document())));
}

void SendDialog::Finished(const SendResult& result, int port,
                          const std::shared_ptr<const MenuDocument>& menu) {
  sending_ = false;
  Command1->setEnabled(true);
  CancelSend->setEnabled(false);
  unsetCursor();
  if (QWidget* owner = parentWidget()) owner->unsetCursor();
  std::string message;
  switch (result.outcome) {
    case SendOutcome::kNotOpened:
      // The caption stays neutral: no transfer began.
      message = "Cannot open the link on port " + std::to_string(port) + ": " + result.error;
      break;
    case SendOutcome::kSent:
      Progress->setValue(100);
      message = "The terminals have the new menu (" + std::to_string(result.items) + " items, " +
                std::to_string(result.choices) + " modifier choices)";
      // The menu as the terminals now have it, for the next send's summary and "Revert to the menu last
      // sent". Not keeping it does not make the send fail: the terminals have the menu.
      if (WriteReport kept = KeepSentMenu(*menu, std::time(nullptr)); !kept.ok) {
        message += ". The sent menu was not kept: " + kept.failed_path + " could not be written";
      }
      break;
    case SendOutcome::kFailed:
    case SendOutcome::kCancelled:
    case SendOutcome::kUnknown:
      message = result.error.empty() ? "The menu was not sent" : result.error;
      break;
  }
  if (result.outcome != SendOutcome::kNotOpened) setWindowTitle(Q(CaptionAfterSend(result.outcome)));
  if (result.outcome != SendOutcome::kSent) host_.ShowFailure(message);
  host_.ShowSendResult(Sentence(message));
  Status->setText(QString::fromStdString(Sentence(message)));
  host_.StartAutosave();
  ShowChangesSinceLastSend();
  if (close_when_done_) close();
}

}  // namespace tabulo
