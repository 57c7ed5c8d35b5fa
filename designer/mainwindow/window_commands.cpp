#include "designer/mainwindow/window_commands.h"

#include <QMenuBar>
#include <QPointer>

#include "designer/link/kestrel_binding.h"
#include "designer/link/reception_window.h"
#include "designer/link/send_dialog.h"
#include "designer/mainwindow/designer_session.h"
#include "designer/mainwindow/main_window.h"
#include "designer/pages/page_window.h"
#include "designer/translate/translate_menu_dialog.h"
#include "designer/translate/translation_settings_dialog.h"

namespace tabulo {
namespace {

// Send and Receive: one shared window each, created on first use as a window of the main window, so that
// it stays above the designer. Both are deleted here, before the library and the document they read. A
// hidden window was closed and is only waiting to be deleted, so it is replaced.
class LinkCommands : public QObject {
 public:
  explicit LinkCommands(MainWindow& main) : QObject(&main), main_(main) {}
  // Both windows go before the library they call: a send under way is cancelled first.
  ~LinkCommands() override {
    delete send_.data();
    delete reception_.data();
  }

  // `SendAll_Click`: the work copy written first, since the send reads the modifier definitions back from
  // it; then the dialog.
  void SendAll() {
    WriteReport report = WriteWorkCopy(main_.Document());
    if (!report.ok) main_.ShowFailure(WorkCopyFailureMessage(report));
    if (!send_ || send_->isHidden()) send_ = new SendDialog(main_, library_, &main_);
    if (!send_->Sending()) send_->ShowChangesSinceLastSend();
    ShowOrRaise(send_);
  }

  void Receive() {
    if (!reception_ || reception_->isHidden()) {
      reception_ = new ReceptionWindow(main_.Document(), library_, main_.Prompts(), &main_);
    }
    ShowOrRaise(reception_);
  }

 private:
  MainWindow& main_;
  KestrelBinding library_;
  QPointer<SendDialog> send_;
  QPointer<ReceptionWindow> reception_;
};

class TranslateCommands : public QObject {
 public:
  explicit TranslateCommands(MainWindow& main) : QObject(&main), main_(main) {}

  void TranslateMenu() {
    main_.CommitEditedLine();  // the line being typed is part of what gets translated
    if (!menu_window_) menu_window_ = new TranslateMenuWindow(main_, &main_);
    if (!menu_window_->Running()) menu_window_->Form_Load();
    ShowOrRaise(menu_window_);
  }

  void Settings() {
    if (!settings_) settings_ = new TranslationSettingsDialog(main_.Prompts(), &main_);
    ShowOrRaise(settings_);
  }

 private:
  MainWindow& main_;
  QPointer<TranslateMenuWindow> menu_window_;
  QPointer<TranslationSettingsDialog> settings_;
};

}  // namespace

void InstallLinkCommands(MainWindow& main) {
  auto* commands = new LinkCommands(main);
  main.SetMenuHandler("SendAll", [commands] { commands->SendAll(); });
  main.SetMenuHandler("Receive", [commands] { commands->Receive(); });
}

void InstallTranslateCommands(MainWindow& main) {
  auto* commands = new TranslateCommands(main);
  QMenu* menu = main.menuBar()->addMenu("&Translate");
  menu->setObjectName("TranslateMenuBar");
  QAction* translate = menu->addAction("&Translate menu...");
  translate->setObjectName("TranslateMenuCommand");
  QObject::connect(translate, &QAction::triggered, commands, [commands] { commands->TranslateMenu(); });
  QAction* settings = menu->addAction("Translation &settings...");
  settings->setObjectName("TranslationSettingsCommand");
  QObject::connect(settings, &QAction::triggered, commands, [commands] { commands->Settings(); });
}

}  // namespace tabulo
