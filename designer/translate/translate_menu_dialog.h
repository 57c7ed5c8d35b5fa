#pragma once
// The designer's "Translate menu" window: one language column of the whole menu translated into others in
// the background, with a progress bar and Cancel, while the designer stays in use; the result applied in
// one step, then a report of what was translated, reused, failed and left alone. Also the one helper the
// translation windows run their service calls through.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "designer/document/menu_document.h"
#include "designer/pages/designer_host.h"
#include "designer/translate/menu_translation.h"
#include "designer/translate/translation_memory.h"
#include "platform/user_prompts.h"

namespace tabulo {

// Runs `work` on a thread of its own, then `done` on the thread of `context` (the window's), unless
// `context` is gone by then. Whatever both share is owned by what they capture.
void RunInBackground(QObject* context, std::function<void()> work, std::function<void()> done);

class TranslateMenuWindow : public QDialog {
  Q_OBJECT

 public:
  // A window of `owner`; edits the document and redraws it through `host`.
  TranslateMenuWindow(DesignerHost& host, QWidget* owner);
  ~TranslateMenuWindow() override;

  // The language columns as the menu names them now.
  void Form_Load();
  bool Running() const { return static_cast<bool>(running_); }

  QComboBox* From = nullptr;                    // column 1..5
  std::array<QCheckBox*, kLanguages + 1> To{};  // columns 2..5 (To[0], To[1] unused)
  QCheckBox* Overwrite = nullptr;
  QPushButton* Start = nullptr;
  QPushButton* Cancel = nullptr;
  QProgressBar* Progress = nullptr;
  QLabel* Report = nullptr;
  QPushButton* Close = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Run;
  void Start_Click();
  void Cancel_Click();
  void ShowProgress();
  void Finish(const std::shared_ptr<Run>& run);
  void ShowRunning(bool running);

  DesignerHost& host_;
  TranslationMemory memory_;
  std::shared_ptr<Run> running_;
  QTimer* poll_ = nullptr;
};

}  // namespace tabulo
