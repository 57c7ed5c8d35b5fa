#pragma once
// The send dialog (`Form1`, "Send"): the port of the base station, the page scheme of the button numbers,
// the old-firmware block form, and the Send press that transfers the whole menu. The transfer itself is
// SendMenu's, run on a thread of the dialog's own on a copy of the menu as it was at the press, so that the
// windows stay answering through the 30-60 s a full menu takes on a real line; the dialog holds the main
// window's autosave meanwhile, shows the hourglass, the captions, how far the transfer has come and why a
// send failed, offers Cancel (the terminals then keep their menu), and keeps the port in the per-user
// setting it shares with the reception window. Before a send it says what changed since the last one the
// base confirmed, and after one it keeps the menu as sent.

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

#include "designer/link/kestrel_api.h"
#include "designer/link/link_worker.h"
#include "designer/link/menu_send.h"
#include "designer/link/transfer_estimate.h"
#include "designer/pages/designer_host.h"
#include "platform/user_prompts.h"

namespace tabulo {

// The per-user setting "ComPort" (organisation and application "TABULO", group "COM"); "1" when unset.
QString ComPortSetting();
void StoreComPortSetting(const QString& port);

class SendDialog : public QDialog {
  Q_OBJECT

 public:
  // A window of `owner` (it closes with it); reads the document and holds the autosave through `host`.
  SendDialog(DesignerHost& host, KestrelApi& api, QWidget* owner);
  // A send under way is cancelled and waited for.
  ~SendDialog() override;

  QLabel* Label2 = nullptr;
  QLineEdit* Text2 = nullptr;         // port number
  QCheckBox* Check1 = nullptr;        // "13 Pages from 1 - 13"
  QCheckBox* Check2 = nullptr;        // "Old firmware without language option"
  QPushButton* Command1 = nullptr;    // "Send"
  QPushButton* Command2 = nullptr;    // "Close Window"
  QProgressBar* Progress = nullptr;   // how much of the menu has left the line
  QLabel* Status = nullptr;           // bytes sent of the total and the time left; why a send failed
  QPushButton* CancelSend = nullptr;  // "Cancel": stops the transfer before its end
  QLabel* SinceLastSent = nullptr;    // what changed since the last send the base confirmed

  // The summary brought up to date with the document (each time the dialog is raised).
  void ShowChangesSinceLastSend();

  // The button number of a PLU under the page scheme chosen in the dialog; 0 when it is on no line.
  int32_t GetBotao(int32_t plu) const;
  // True from a press of Send until its outcome is shown.
  bool Sending() const { return sending_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  class Bridge;

  void Form_Load();
  void Command1_Click();
  void Check2_Click();
  void CancelSend_Click();
  void ShowProgress(long long done, long long total);
  void Finished(const SendResult& result, int port, const std::shared_ptr<const MenuDocument>& menu);

  DesignerHost& host_;
  KestrelApi& api_;
  bool sending_ = false;
  bool close_when_done_ = false;
  std::atomic<bool> cancel_{false};
  TransferEstimate estimate_;
  std::unique_ptr<LinkWorker> worker_ = std::make_unique<LinkWorker>();
};

}  // namespace tabulo
