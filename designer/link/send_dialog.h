#pragma once
// The send dialog (`Form1`, "Send"): the port of the base station, the page scheme of the button numbers,
// the old-firmware block form, and the Send press that transfers the whole menu. The transfer itself is
// SendMenu's; the dialog holds the main window's autosave, shows the hourglass and the captions, and keeps
// the port in the per-user setting it shares with the reception window.
//
// Also here: the Send and Receive commands of the main window, each showing its one shared window.

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <cstdint>

#include "designer/link/kestrel_api.h"
#include "platform/user_prompts.h"

namespace tabulo {

class MainWindow;

// The per-user setting "ComPort" (organisation and application "TABULO", group "COM"); "1" when unset.
QString ComPortSetting();
void StoreComPortSetting(const QString& port);

class SendDialog : public QDialog {
  Q_OBJECT

 public:
  // Owned by the main window (it closes with it); reads the document and holds the autosave through it.
  SendDialog(MainWindow& main, KestrelApi& api);

  QLabel* Label2 = nullptr;
  QLineEdit* Text2 = nullptr;       // port number
  QCheckBox* Check1 = nullptr;      // "13 Pages from 1 - 13"
  QCheckBox* Check2 = nullptr;      // "Old firmware without language option"
  QPushButton* Command1 = nullptr;  // "Send"
  QPushButton* Command2 = nullptr;  // "Close Window"

  // The button number of a PLU under the page scheme chosen in the dialog; 0 when it is on no line.
  int32_t GetBotao(int32_t plu) const;

 private:
  void Form_Load();
  void Command1_Click();
  void Check2_Click();

  MainWindow& main_;
  KestrelApi& api_;
};

// Installs the main window's Send (`SendAll`) and Receive commands, with the radio library both windows
// share. Called by the main window when it is built.
void InstallLinkCommands(MainWindow& main);

}  // namespace tabulo
