#pragma once
// The firmware tool's window ("Velt - Upgrade Firmware 2"): the programs of the local catalogue, the log,
// the download server's address, a progress bar for the long waits on a device, and "Update all the
// software to use Offline." when the PC is online. A click on a program sends it with
// the procedure its hardware needs. Every wait and download keeps the window answering; meanwhile the list
// and the button are disabled and the window stays open, so that no second procedure or download starts
// and no device is left half-programmed by a closed window.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "designer/link/kestrel_api.h"
#include "firmloader/firmware_files.h"
#include "firmloader/flashing_procedures.h"
#include "firmloader/tool_console.h"
#include "firmloader/xml_scanner.h"
#include "platform/user_prompts.h"

namespace tabulo {

class FirmwareWindow : public QWidget, public ToolConsole {
  Q_OBJECT

 public:
  // `folder` is the tool's own folder, `server_folder` the download server's firmware folder; `api` and
  // `prompts` outlive the window.
  FirmwareWindow(KestrelApi& api, UserPrompts& prompts, const std::string& folder,
                 const std::string& server_folder, QWidget* parent = nullptr);

  // The start-up sequence: the program list, then the questions. False when there is no port to work on
  // (no answer, or no radio library), and the program ends.
  bool Form_Load();
  // Fills the list from the local "Conf.xml".
  void LoadProgramList();
  // "Update all the software to use Offline.": the catalogue and every firmware of it from the server.
  void Command1_Click();
  // Sends the program of list row `row`.
  void List1_Click(int row);

  void AddLog(const std::string& text) override;
  void WaitMilliseconds(int ms) override;

  FirmwareFiles& Files() { return files_; }
  bool Busy() const { return busy_; }

  QListWidget* List1 = nullptr;
  QPlainTextEdit* Text1 = nullptr;  // the log
  QPushButton* Command1 = nullptr;
  QLineEdit* ServerFolder = nullptr;     // the download server's firmware folder
  QProgressBar* WaitProgress = nullptr;  // shown during a long wait, with the time left
  QLabel* Status = nullptr;              // why the last download failed, above the log

 signals:
  // The user set another download server address; the program keeps it in its settings.
  void ServerFolderChanged(const QString& address);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetBusy(bool busy);
  // After a command: the download server's failure, if it had one, stays in sight until the next command.
  void ShowServerFailure();
  void ServerFolder_Edited();

  KestrelApi& api_;
  UserPrompts& prompts_;
  FirmwareFiles files_;
  XmlScanner catalogue_;
  std::vector<std::string> ProgramKeys;  // catalogue key of each list row
  std::optional<FlashingProcedures> procedures_;
  bool busy_ = false;
};

}  // namespace tabulo
