#include "designer/link/send_dialog.h"

#include <QGridLayout>
#include <QPointer>
#include <QSettings>
#include <iostream>

#include "designer/link/button_numbers.h"
#include "designer/link/kestrel_binding.h"
#include "designer/link/menu_send.h"
#include "designer/link/reception_window.h"
#include "designer/mainwindow/designer_session.h"
#include "designer/mainwindow/main_window.h"

namespace tabulo {
namespace {

constexpr const char* kSettingsName = "TABULO";
constexpr const char* kPortKey = "COM/ComPort";
constexpr const char* kDefaultPort = "1";

// The hourglass on the dialog and the main window and the captions, around the blocking transfer.
class DialogProgress : public SendProgress {
 public:
  DialogProgress(SendDialog& dialog, MainWindow& main) : dialog_(dialog), main_(main) {}
  void UploadStarting() override {
    dialog_.setCursor(Qt::WaitCursor);
    main_.setCursor(Qt::WaitCursor);
    dialog_.setWindowTitle(kSendingCaption);
  }
  void UploadFinished(bool stored) override {
    dialog_.setWindowTitle(CaptionAfterSend(stored ? SendOutcome::kSent : SendOutcome::kFailed));
    dialog_.unsetCursor();
    main_.unsetCursor();
  }

 private:
  SendDialog& dialog_;
  MainWindow& main_;
};

// The main window's Send and Receive: one shared window each, created on first use. The reception window
// has no owner, so it is closed here when the main window goes: it must not outlive the library and the
// document it reads. A hidden window was closed and is only waiting to be deleted, so it is replaced.
class LinkCommands : public QObject {
 public:
  explicit LinkCommands(MainWindow& main) : QObject(&main), main_(main) {}
  ~LinkCommands() override { delete reception_.data(); }

  // `SendAll_Click`: the work copy written first, since the send reads the modifier definitions back from
  // it; then the dialog.
  void SendAll() {
    WriteReport report = WriteWorkCopy(main_.Document());
    if (!report.ok) std::cerr << WorkCopyFailureMessage(report) << '\n';
    if (!send_ || send_->isHidden()) send_ = new SendDialog(main_, library_);
    Raise(send_);
  }

  void Receive() {
    if (!reception_ || reception_->isHidden()) {
      reception_ = new ReceptionWindow(main_.Document(), library_, main_.Prompts());
    }
    Raise(reception_);
  }

 private:
  static void Raise(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
  }

  MainWindow& main_;
  KestrelBinding library_;
  QPointer<SendDialog> send_;
  QPointer<ReceptionWindow> reception_;
};

}  // namespace

QString ComPortSetting() {
  QSettings settings(kSettingsName, kSettingsName);
  return settings.value(kPortKey, kDefaultPort).toString();
}

void StoreComPortSetting(const QString& port) {
  QSettings settings(kSettingsName, kSettingsName);
  settings.setValue(kPortKey, port);
}

SendDialog::SendDialog(MainWindow& main, KestrelApi& api) : QDialog(&main), main_(main), api_(api) {
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
  // Enter in the port box must not start a transfer by itself.
  for (QPushButton* button : {Command1, Command2}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }

  auto* layout = new QGridLayout(this);
  layout->addWidget(Label2, 0, 0);
  layout->addWidget(Text2, 0, 1);
  layout->addWidget(Check1, 1, 0, 1, 2);
  layout->addWidget(Check2, 2, 0, 1, 2);
  layout->addWidget(Command1, 3, 0);
  layout->addWidget(Command2, 3, 1);

  connect(Command1, &QPushButton::clicked, this, &SendDialog::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &SendDialog::close);
  connect(Check2, &QCheckBox::clicked, this, &SendDialog::Check2_Click);
  Form_Load();
}

void SendDialog::Form_Load() {
  Text2->setText(ComPortSetting());
  Check1->setChecked(main_.Document().PagesVersion == "1");
  // The box shows the flag the next send uses: an unchecked box over old-firmware blocks would send what
  // the user did not choose.
  Check2->setChecked(main_.Document().Hand.OldFirmware);
}

void SendDialog::Check2_Click() {
  main_.Document().Hand.OldFirmware = Check2->isChecked();
}

int32_t SendDialog::GetBotao(int32_t plu) const {
  return tabulo::GetBotao(main_.Document(), plu, Check1->isChecked());
}

void SendDialog::Command1_Click() {
  main_.StopAutosave();
  StoreComPortSetting(Text2->text());
  MenuDocument& doc = main_.Document();
  // The dialog may have stayed open while the menu was edited: the definitions the send reads back must be
  // the document's own, not those of the last autosave.
  WriteReport written = WriteWorkCopy(doc);
  if (!written.ok) std::cerr << WorkCopyFailureMessage(written) << '\n';
  if (RadioLibraryLoaded(api_, main_.Prompts())) {
    SendSettings settings;
    settings.port = PortNumberOfText(Text2->text().toStdString());
    settings.plain_pages = Check1->isChecked();
    DialogProgress progress(*this, main_);
    SendResult result = SendMenu(doc, api_, settings, &progress);
    // A link that does not open leaves the dialog as it was; the reason still reaches standard error.
    if (result.outcome == SendOutcome::kNotOpened) {
      std::cerr << "tabulodesk: cannot open the link on port " << settings.port << ": " << result.error
                << '\n';
    } else if (result.outcome == SendOutcome::kFailed) {
      std::cerr << "tabulodesk: " << result.error << '\n';
    }
  }
  main_.StartAutosave();
}

void InstallLinkCommands(MainWindow& main) {
  auto* commands = new LinkCommands(main);
  main.SetMenuHandler("SendAll", [commands] { commands->SendAll(); });
  main.SetMenuHandler("Receive", [commands] { commands->Receive(); });
}

}  // namespace tabulo
