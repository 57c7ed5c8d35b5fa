#include "designer/translate/translate_menu_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QThread>
#include <QVBoxLayout>

#include "designer/history/undo_history.h"
#include "designer/pages/widget_helpers.h"
#include "designer/translate/translation_settings_dialog.h"

namespace tabulo {
namespace {

QString ColumnCaption(const MenuDocument& doc, int column) {
  return QString::number(column) + " " + QString::fromStdString(doc.Lang(0, column));
}

}  // namespace

void RunInBackground(QObject* context, std::function<void()> work, std::function<void()> done) {
  QThread* thread = QThread::create(std::move(work));
  QObject::connect(thread, &QThread::finished, context, std::move(done));
  QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
  thread->start();
}

struct TranslateMenuWindow::Run {
  std::shared_ptr<TextTranslator> translator;
  MenuTranslationPlan plan;
  MenuTranslationProgress progress;
};

TranslateMenuWindow::TranslateMenuWindow(DesignerHost& host, QWidget* owner)
    : QDialog(owner), host_(host), memory_(DefaultMemoryPath()) {
  setObjectName("TranslateMenu");
  setWindowTitle("Translate menu");
  setModal(false);

  From = Named(new QComboBox(this), "From");
  auto* targets = new QHBoxLayout;
  for (int column = 2; column <= kLanguages; ++column) {
    To[column] = Named(new QCheckBox(this), "To", column);
    targets->addWidget(To[column]);
  }
  Overwrite = Named(new QCheckBox("Replace texts that are translated already", this), "Overwrite");
  Start = Named(new QPushButton("Translate", this), "Start");
  Cancel = Named(new QPushButton("Cancel", this), "Cancel");
  Progress = Named(new QProgressBar(this), "Progress");
  Report = Named(new QLabel(this), "Report");
  Report->setWordWrap(true);
  Report->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Close = Named(new QPushButton("Close Window", this), "Close");

  auto* from = new QHBoxLayout;
  from->addWidget(new QLabel("From", this));
  from->addWidget(From, 1);
  auto* to = new QHBoxLayout;
  to->addWidget(new QLabel("Into", this));
  to->addLayout(targets, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Start);
  buttons->addWidget(Cancel);
  buttons->addStretch();
  buttons->addWidget(Close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(from);
  layout->addLayout(to);
  layout->addWidget(Overwrite);
  layout->addWidget(Progress);
  layout->addWidget(Report);
  layout->addLayout(buttons);

  poll_ = new QTimer(this);
  poll_->setInterval(100);
  connect(poll_, &QTimer::timeout, this, &TranslateMenuWindow::ShowProgress);
  connect(Start, &QPushButton::clicked, this, &TranslateMenuWindow::Start_Click);
  connect(Cancel, &QPushButton::clicked, this, &TranslateMenuWindow::Cancel_Click);
  connect(Close, &QPushButton::clicked, this, &QDialog::close);
  ShowRunning(false);
  Form_Load();
}

TranslateMenuWindow::~TranslateMenuWindow() {
  // The designer is closing: the requests under way end, and their results are not applied.
  if (running_) running_->progress.cancel = true;
}

void TranslateMenuWindow::Form_Load() {
  const MenuDocument& doc = host_.Document();
  const int from = From->count() ? From->currentIndex() : 0;
  From->clear();
  for (int column = 1; column <= kLanguages; ++column) From->addItem(ColumnCaption(doc, column));
  From->setCurrentIndex(from);
  for (int column = 2; column <= kLanguages; ++column) To[column]->setText(ColumnCaption(doc, column));
}

void TranslateMenuWindow::closeEvent(QCloseEvent* event) {
  // Closing gives up waiting; what was translated by then is still applied.
  if (running_) Cancel_Click();
  event->accept();
}

void TranslateMenuWindow::ShowRunning(bool running) {
  Start->setEnabled(!running);
  Cancel->setEnabled(running);
  From->setEnabled(!running);
  Overwrite->setEnabled(!running);
  for (int column = 2; column <= kLanguages; ++column) To[column]->setEnabled(!running);
}

void TranslateMenuWindow::Start_Click() {
  if (running_) return;
  MenuTranslationRequest request;
  request.from = From->currentIndex() + 1;
  for (int column = 2; column <= kLanguages; ++column) {
    if (To[column]->isChecked() && column != request.from) request.to.push_back(column);
  }
  std::string error;
  auto run = std::make_shared<Run>();
  run->translator = DesignerTranslator(error);
  if (run->translator)
    error = PlanMenuTranslation(host_.Document(), &memory_, *run->translator, request, run->plan);
  if (!error.empty()) {
    Report->setText(QString::fromStdString(error));
    host_.Prompts().Message(error);
    return;
  }
  running_ = run;
  ShowRunning(true);
  Progress->setRange(0, std::max<int>(1, static_cast<int>(run->plan.jobs.size())));
  Progress->setValue(0);
  Report->setText("Translating " + QString::number(run->plan.jobs.size()) + " texts...");
  poll_->start();
  RunInBackground(
      this, [run] { RunMenuTranslation(run->plan, *run->translator, run->progress); },
      [this, run] { Finish(run); });
}

void TranslateMenuWindow::Cancel_Click() {
  if (!running_) return;
  running_->progress.cancel = true;
  Cancel->setEnabled(false);
  Report->setText("Cancelling...");
}

void TranslateMenuWindow::ShowProgress() {
  if (running_) Progress->setValue(running_->progress.done);
}

void TranslateMenuWindow::Finish(const std::shared_ptr<Run>& run) {
  poll_->stop();
  running_.reset();
  Progress->setValue(run->progress.done);
  MenuTranslationReport report;
  {
    UndoStep step(host_.History(), "Translate menu");
    report = ApplyMenuTranslation(host_.Document(), &memory_, run->plan);
  }
  host_.Update_Page();
  host_.ChangeDone();
  Report->setText(QString::fromStdString(report.Text()));
  ShowRunning(false);
}

}  // namespace tabulo
