#include "designer/pages/language_frame.h"

#include <QGridLayout>

#include "designer/pages/widget_helpers.h"
#include "designer/translate/translate_menu_dialog.h"
#include "designer/translate/translation_settings_dialog.h"

namespace tabulo {

LanguageFrame::LanguageFrame(QWidget* parent, const char* translate_all_name) {
  Frame4 = Named(new QGroupBox("Languages", parent), "Frame4");
  auto* grid = new QGridLayout(Frame4);
  for (int i = 0; i < kLanguages; ++i) {
    Lingua[i] = Named(new QComboBox(Frame4), "Lingua", i);
    Lingua[i]->setEditable(true);
    Lingua[i]->setInsertPolicy(QComboBox::NoInsert);
    for (const char* name : kLanguageChoices) Lingua[i]->addItem(Q(name));
    Text3[i] = Named(new QLineEdit(Frame4), "Text3", i);
    Command4[i] = Named(new QPushButton("Auto", Frame4), "Command4", i);
    grid->addWidget(Lingua[i], i, 0);
    grid->addWidget(Text3[i], i, 1);
    grid->addWidget(Command4[i], i, 2);
  }
  grid->setColumnStretch(1, 1);
  TranslateAll = Named(new QPushButton("Translate All", Frame4), translate_all_name);
  Check1 = Named(new QCheckBox("Edit language names", Frame4), "Check1");
  grid->addWidget(TranslateAll, kLanguages, 0);
  grid->addWidget(Check1, kLanguages, 1, 1, 2);
  LockNames();
}

LanguageRows LanguageFrame::Rows() const {
  LanguageRows rows;
  for (int i = 0; i < kLanguages; ++i) {
    rows.names[i] = Lingua[i]->currentText().toStdString();
    rows.texts[i] = Text3[i]->text().toStdString();
  }
  return rows;
}

void LanguageFrame::LockNames() {
  for (QComboBox* box : Lingua) box->setEnabled(Check1->isChecked());
}

void LanguageFrame::Connect(QWidget* window, MenuDocument& doc, UserPrompts& prompts,
                            std::function<void(int)> text_changed) {
  window_ = window;
  doc_ = &doc;
  prompts_ = &prompts;
  for (int i = 0; i < kLanguages; ++i) {
    QObject::connect(Text3[i], &QLineEdit::textChanged, window, [text_changed, i] { text_changed(i); });
    QObject::connect(Text3[i], &QLineEdit::textEdited, window, [this, i] { typed_[i] = true; });
    QObject::connect(Text3[i], &QLineEdit::editingFinished, window,
                     [this, i] { RememberHandTranslation(i); });
    // The names belong to the whole menu; a name typed in either window is kept.
    QObject::connect(Lingua[i], &QComboBox::editTextChanged, window,
                     [this, &doc, i] { StoreLanguageName(doc, i, Lingua[i]->currentText().toStdString()); });
    QObject::connect(Command4[i], &QPushButton::clicked, window, [this, i] { TranslateRows({i}); });
  }
  QObject::connect(TranslateAll, &QPushButton::clicked, window, [this] { TranslateRows({1, 2, 3, 4}); });
  QObject::connect(Check1, &QCheckBox::clicked, window, [this] { LockNames(); });
}

struct LanguageFrame::Queue {
  std::vector<int> rows;  // still to translate, in order
  std::shared_ptr<TextTranslator> translator;
  std::vector<std::string> messages;  // each once, shown at the end
};

void LanguageFrame::TranslateRows(std::vector<int> rows) {
  if (queue_) return;
  std::string error;
  auto translator = DesignerTranslator(error);
  if (!translator) {
    prompts_->Message(error);
    return;
  }
  queue_ = std::make_shared<Queue>(Queue{std::move(rows), std::move(translator), {}});
  ShowTranslating(true);
  TranslateNext();
}

void LanguageFrame::TranslateNext() {
  std::shared_ptr<Queue> queue = queue_;
  while (!queue->rows.empty()) {
    const int i = queue->rows.front();
    queue->rows.erase(queue->rows.begin());
    const LanguageRows rows = Rows();
    // Without a text to translate from, the row ends empty.
    const auto source = SourceRow(rows, i);
    if (!source) {
      Text3[i]->setText({});
      continue;
    }
    const int j = *source;
    // What the memory knows is taken at once; the row's own text again is no answer to "Auto", unless it
    // is the user's own correction.
    auto recalled = Recall(*doc_, &memory_, j + 1, i + 1, rows.names[j], rows.names[i], rows.texts[j]);
    if (recalled && (recalled->from_hand || recalled->text != rows.texts[i])) {
      Text3[i]->setText(Q(recalled->text));
      continue;
    }
    auto answer = std::make_shared<RowTranslation>();
    RunInBackground(
        window_,
        [answer, rows, i, translator = queue->translator] { *answer = TranslateRow(rows, i, *translator); },
        [this, queue, answer, rows, i, j] {
          if (queue != queue_) return;
          const LanguageRows now = Rows();
          const bool unchanged = window_->isVisible() && now.texts[i] == rows.texts[i] &&
                                 now.texts[j] == rows.texts[j] && now.names[i] == rows.names[i] &&
                                 now.names[j] == rows.names[j];
          if (!unchanged) {
            queue->rows.clear();  // the window shows another text now: the answer is not for it
          } else if (answer->message.empty()) {
            Text3[i]->setText(Q(answer->text));
            RememberTranslation(&memory_, rows.names[j], rows.names[i], rows.texts[j], answer->text,
                                MemoryOrigin::kService);
          } else if (std::find(queue->messages.begin(), queue->messages.end(), answer->message) ==
                     queue->messages.end()) {
            queue->messages.push_back(answer->message);
          }
          TranslateNext();
        });
    return;
  }
  EndTranslation();
}

void LanguageFrame::EndTranslation() {
  std::shared_ptr<Queue> queue = std::move(queue_);
  ShowTranslating(false);
  for (const std::string& message : queue->messages) prompts_->Message(message);
}

void LanguageFrame::ShowTranslating(bool translating) {
  for (QPushButton* button : Command4) button->setEnabled(!translating);
  TranslateAll->setEnabled(!translating);
  if (translating) {
    window_->setCursor(Qt::BusyCursor);
  } else {
    window_->unsetCursor();
  }
}

void LanguageFrame::KeepHandTranslations() {
  for (int row = 1; row < kLanguages; ++row) RememberHandTranslation(row);
}

void LanguageFrame::RememberHandTranslation(int row) {
  if (!typed_[row] || row == 0) return;
  typed_[row] = false;
  const LanguageRows rows = Rows();
  const auto source = SourceRow(rows, row);
  if (source && !rows.texts[row].empty()) {
    RememberTranslation(&memory_, rows.names[*source], rows.names[row], rows.texts[*source], rows.texts[row],
                        MemoryOrigin::kHand);
  }
}

}  // namespace tabulo
