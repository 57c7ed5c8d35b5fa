#include "firmloader/firmware_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "designer/link/kestrel_binding.h"
#include "firmloader/program_catalogue.h"
#include "firmloader/start_up.h"

namespace tabulo {
namespace {

HttpOptions WindowDownloads() {
  HttpOptions options = FirmwareDownloadOptions();
  options.while_waiting = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); };
  return options;
}

}  // namespace

FirmwareWindow::FirmwareWindow(KestrelApi& api, UserPrompts& prompts, const std::string& folder,
                               const std::string& server_folder, QWidget* parent)
    : QWidget(parent), api_(api), prompts_(prompts), files_(folder, server_folder, *this, WindowDownloads()) {
  setObjectName("Form1");
  setWindowTitle("Velt - Upgrade Firmware 2");

  auto* list_label = new QLabel("Select the program you wish to send.", this);
  List1 = new QListWidget(this);
  List1->setObjectName("List1");
  list_label->setBuddy(List1);
  auto* log_label = new QLabel("Log", this);
  Text1 = new QPlainTextEdit(this);
  Text1->setObjectName("Text1");
  Text1->setReadOnly(true);
  log_label->setBuddy(Text1);
  WaitProgress = new QProgressBar(this);
  WaitProgress->setObjectName("WaitProgress");
  WaitProgress->setTextVisible(true);
  WaitProgress->hide();
  Status = new QLabel(this);
  Status->setObjectName("Status");
  Status->setWordWrap(true);
  Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Command1 = new QPushButton("Update all the software to use Offline.", this);
  Command1->setObjectName("Command1");
  auto* server_label = new QLabel("Download server:", this);
  ServerFolder = new QLineEdit(QString::fromStdString(files_.ServerFolder()), this);
  ServerFolder->setObjectName("ServerFolder");
  ServerFolder->setToolTip(
      "The folder of the download server the catalogue and the firmware come from. When $FIRMLOADER_SERVER "
      "is "
      "set, it takes the place of this setting at the next start.");
  server_label->setBuddy(ServerFolder);
  auto* server_row = new QHBoxLayout;
  server_row->addWidget(server_label);
  server_row->addWidget(ServerFolder, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_label);
  layout->addWidget(List1, 2);
  layout->addWidget(Status);
  layout->addWidget(log_label);
  layout->addWidget(Text1, 1);
  layout->addWidget(WaitProgress);
  layout->addLayout(server_row);
  layout->addWidget(Command1);
  resize(520, 500);

  // A program is sent on a click or on Enter (eventFilter), never on a mere change of selection: moving
  // through the list with the arrow keys must not start a procedure. Not on "activated" either, which some
  // desktops emit on the same single click as "clicked": the program would be sent twice.
  connect(List1, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { List1_Click(List1->row(item)); });
  List1->installEventFilter(this);
  connect(Command1, &QPushButton::clicked, this, &FirmwareWindow::Command1_Click);
  connect(ServerFolder, &QLineEdit::editingFinished, this, &FirmwareWindow::ServerFolder_Edited);
}

void FirmwareWindow::ServerFolder_Edited() {
  QString address = ServerFolder->text().trimmed();
  if (address.isEmpty() || address == QString::fromStdString(files_.ServerFolder())) {
    ServerFolder->setText(QString::fromStdString(files_.ServerFolder()));
    return;
  }
  QString scheme = address.section(':', 0, 0).toLower();
  if (!address.contains("://") || (scheme != "http" && scheme != "https")) {
    AddLog("The download server's address must begin with http:// or https://; it was not changed.");
    ServerFolder->setText(QString::fromStdString(files_.ServerFolder()));
    return;
  }
  files_.SetServerFolder(address.toStdString());
  ServerFolder->setText(QString::fromStdString(files_.ServerFolder()));
  AddLog("Files now come from " + files_.ServerFolder());
  emit ServerFolderChanged(ServerFolder->text());
}

bool FirmwareWindow::Form_Load() {
  LoadProgramList();
  files_.ClearNetError();
  unsetCursor();
  bool online = AskInternetConexion(prompts_);
  files_.SetInternetConexion(online);
  Command1->setVisible(online);
  // Without the radio library no port can be opened, and the port question would only come back.
  if (!RadioLibraryLoaded(api_, prompts_)) return false;
  std::optional<int> port = AskComPort(prompts_, api_);
  if (!port) return false;
  procedures_.emplace(api_, files_, prompts_, *this, *port);
  return true;
}

void FirmwareWindow::LoadProgramList() {
  List1->clear();
  ProgramKeys.clear();
  std::string path = files_.PathOf(kCatalogueFile);
  if (!catalogue_.Load(path)) {
    AddLog("There is no program list in " + files_.Folder() +
           " yet: \"Update all the software to use Offline.\" fetches it.");
    return;
  }
  for (ProgramRow& row : tabulo::LoadProgramList(catalogue_)) {
    List1->addItem(QString::fromStdString(row.description));
    ProgramKeys.push_back(std::move(row.key));
  }
}

void FirmwareWindow::Command1_Click() {
  if (busy_) return;
  SetBusy(true);
  UpdateAllForOffline(files_, catalogue_, *this);
  LoadProgramList();
  SetBusy(false);
  ShowServerFailure();
}

void FirmwareWindow::ShowServerFailure() {
  Status->setText(files_.NetError() ? QString::fromStdString("The download failed: " + files_.LastError())
                                    : QString());
}

namespace {

// An image's transfer runs on this thread for as long as the line needs: each quarter of the way is
// logged and painted, so that the log shows how far it has come.
class LoggedTransferProgress : public TransferProgress {
 public:
  explicit LoggedTransferProgress(ToolConsole& console) : console_(console) {}
  bool Transferred(long long done, long long total) override {
    int quarter = total > 0 ? static_cast<int>(done * 4 / total) : 4;
    if (done == 0 || quarter != last_quarter_) {
      last_quarter_ = quarter;
      console_.AddLog("Sent " + std::to_string(done) + " of " + std::to_string(total) + " bytes");
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
  }

 private:
  ToolConsole& console_;
  int last_quarter_ = -1;
};

}  // namespace

void FirmwareWindow::List1_Click(int row) {
  if (busy_ || !procedures_ || row < 0 || static_cast<size_t>(row) >= ProgramKeys.size()) return;
  SetBusy(true);
  LoggedTransferProgress progress(*this);
  api_.SetTransferProgress(&progress);
  procedures_->FlashProgram(catalogue_, ProgramKeys[static_cast<size_t>(row)]);
  api_.SetTransferProgress(nullptr);
  SetBusy(false);
  ShowServerFailure();
}

void FirmwareWindow::AddLog(const std::string& text) {
  Text1->moveCursor(QTextCursor::End);
  Text1->insertPlainText(QString::fromStdString(text) + "\n");
  Text1->ensureCursorVisible();
}

void FirmwareWindow::WaitMilliseconds(int ms) {
  // The events flow all the time, not only every 100 ms, and the wait ends on time.
  QEventLoop loop;
  QTimer tick;
  QElapsedTimer clock;
  clock.start();
  if (ms >= kProgressFromMs) {
    auto show_progress = [this, ms, &clock] {
      int elapsed = static_cast<int>(std::min<qint64>(clock.elapsed(), ms));
      WaitProgress->setValue(elapsed);
      WaitProgress->setFormat(QString::fromStdString(TimeLeftText(ms - elapsed)));
    };
    WaitProgress->setRange(0, ms);
    show_progress();
    WaitProgress->show();
    connect(&tick, &QTimer::timeout, this, show_progress);
    tick.start(200);
  }
  QTimer::singleShot(ms > 0 ? ms : 0, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
  WaitProgress->hide();
}

bool FirmwareWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == List1 && event->type() == QEvent::KeyPress) {
    int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      List1_Click(List1->currentRow());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FirmwareWindow::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    AddLog("Please wait until the current step ends.");
    return;
  }
  event->accept();
}

void FirmwareWindow::SetBusy(bool busy) {
  busy_ = busy;
  List1->setEnabled(!busy);
  Command1->setEnabled(!busy);
  ServerFolder->setEnabled(!busy);
  if (busy) {
    setCursor(Qt::BusyCursor);
  } else {
    unsetCursor();
  }
}

}  // namespace tabulo
