#include "designer/pages/line_editor_dialog.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "designer/pages/page_grid_widget.h"
#include "designer/pages/page_window.h"
#include "designer/pages/qt_text.h"
#include "designer/translate/translate_menu_dialog.h"
#include "designer/translate/translation_settings_dialog.h"

namespace tabulo {
namespace {

template <class W>
W* Named(W* widget, const char* name, int index = -1) {
  widget->setObjectName(name);
  if (index >= 0) widget->setProperty("Index", index);
  return widget;
}

QString ColourCss(int32_t rgb) {
  return ColourOf(rgb).name();
}

}  // namespace

// ---- Language area ----

LanguageFrame::LanguageFrame(QWidget* parent, const char* translate_all_name) {
  Frame4 = Named(new QGroupBox("Languages", parent), "Frame4");
  auto* grid = new QGridLayout(Frame4);
  for (int i = 0; i < kLanguages; ++i) {
    Lingua[i] = Named(new QComboBox(Frame4), "Lingua", i);
    Lingua[i]->setEditable(true);
    Lingua[i]->setInsertPolicy(QComboBox::NoInsert);
    for (const char* name : kLanguageChoices) Lingua[i]->addItem(name);
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

void PaintButton(QPushButton* button, std::optional<int32_t> colour) {
  button->setStyleSheet(colour ? "background-color: " + ColourCss(*colour) + ";" : QString());
  button->setProperty("Colour", colour ? QVariant(*colour) : QVariant());
}

void PaintPreview(QLabel* label, std::optional<int32_t> back, std::optional<int32_t> fore) {
  QString css;
  if (back) css += "background-color: " + ColourCss(*back) + ";";
  if (fore) css += "color: " + ColourCss(*fore) + ";";
  label->setStyleSheet(css);
}

// ---- Line editor ----

LineEditorDialog::LineEditorDialog(DesignerHost& host, QWidget* owner)
    : KeyPreviewWindow(owner),
      Languages(this, "Command5"),
      doc_(host.Document()),
      prompts_(host.Prompts()),
      host_(host) {
  setObjectName("Form5");
  setWindowTitle("Edit Line");

  Option1 = Named(new QRadioButton("PLU Code", this), "Option1");
  Option2 = Named(new QRadioButton("Title", this), "Option2");
  Option3 = Named(new QRadioButton("Note", this), "Option3");
  auto* options = new QButtonGroup(this);
  for (QRadioButton* option : {Option1, Option2, Option3}) options->addButton(option);

  Frame1 = Named(new QGroupBox("PLU Code", this), "Frame1");
  Text1 = Named(new QLineEdit(Frame1), "Text1");
  Text2 = Named(new QLineEdit(Frame1), "Text2");
  Label1 = Named(new QLabel(Frame1), "Label1");
  auto* frame1 = new QGridLayout(Frame1);
  frame1->addWidget(new QLabel("Plu Number", Frame1), 0, 0);
  frame1->addWidget(Text1, 0, 1);
  frame1->addWidget(new QLabel("Price", Frame1), 1, 0);
  frame1->addWidget(Text2, 1, 1);
  frame1->addWidget(Label1, 2, 0, 1, 2);
  Frame2 = Named(new QGroupBox("Group title", this), "Frame2");
  Label4 = Named(new QLabel(Frame2), "Label4");
  (new QVBoxLayout(Frame2))->addWidget(Label4);
  Frame3 = Named(new QGroupBox("PLU Note", this), "Frame3");
  Label5 = Named(new QLabel(Frame3), "Label5");
  (new QVBoxLayout(Frame3))->addWidget(Label5);
  for (QLabel* preview : {Label1, Label4, Label5}) preview->setMinimumHeight(24);
  Frame2->hide();
  Frame3->hide();

  Command1 = Named(new QPushButton(this), "Command1");
  Command2 = Named(new QPushButton(this), "Command2");
  Command3 = Named(new QPushButton("Close Window", this), "Command3");
  auto* colours = new QHBoxLayout;
  colours->addWidget(Named(new QLabel("Back Color", this), "Label6"));
  colours->addWidget(Command1);
  colours->addWidget(Named(new QLabel("Text Color", this), "Label7"));
  colours->addWidget(Command2);
  colours->addStretch();
  colours->addWidget(Command3);

  auto* kinds = new QHBoxLayout;
  for (QRadioButton* option : {Option1, Option2, Option3}) kinds->addWidget(option);
  auto* form = new QVBoxLayout(this);
  form->addLayout(kinds);
  form->addWidget(Frame1);
  form->addWidget(Frame2);
  form->addWidget(Frame3);
  form->addWidget(Languages.Frame4);
  form->addLayout(colours);
  resize(520, 480);

  connect(Option1, &QRadioButton::clicked, this, &LineEditorDialog::Option1_Click);
  connect(Option2, &QRadioButton::clicked, this, &LineEditorDialog::Option2_Click);
  connect(Option3, &QRadioButton::clicked, this, &LineEditorDialog::Option3_Click);
  connect(Command1, &QPushButton::clicked, this, &LineEditorDialog::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &LineEditorDialog::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &QWidget::close);
  Languages.Connect(this, doc_, prompts_, [this](int i) { Text3_Change(i); });
  // Enter anywhere in the window closes it, as the form saw every key first.
  PreviewKeysOfControls();
}

LineEditorDialog::~LineEditorDialog() = default;

int LineEditorDialog::Page() const {
  return host_.CurrentPage();
}

PageLine LineEditorDialog::CurrentPageLine() const {
  const int k = doc_.Hand.CurrentLine;
  if (k < 0 || k >= kLinesPerPage) return {};
  return {host_.LineText(k), host_.LineTag(k)};
}

LineOption LineEditorDialog::SelectedOption() const {
  if (Option1->isChecked()) return LineOption::kPluCode;
  if (Option2->isChecked()) return LineOption::kTitle;
  if (Option3->isChecked()) return LineOption::kNote;
  return LineOption::kNone;
}

void LineEditorDialog::Tell(const std::vector<std::string>& messages) {
  for (const std::string& message : messages) prompts_.Message(message);
}

void LineEditorDialog::ShowColours() {
  PaintButton(Command1, back_color_);
  PaintButton(Command2, fore_color_);
  PaintPreview(Label1, back_color_, fore_color_);
}

void LineEditorDialog::Form_Load() {
  loading_ = true;
  warned_number_.reset();
  LineEditorLoad load = LoadLineEditor(doc_, Page(), CurrentPageLine());
  Text1->setText(Q(load.text1));
  Text2->setText(Q(load.text2));
  back_color_ = load.back_color;
  fore_color_ = load.fore_color;
  ShowColours();
  Command1->setEnabled(load.colours_enabled);
  Command2->setEnabled(load.colours_enabled);
  // No option until the loader picks one; the group does not let a checked button be unchecked otherwise.
  for (QRadioButton* option : {Option1, Option2, Option3}) {
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
  }
  ShowOption(load.option);
  Languages.Text3[0]->setText(Q(load.languages.texts[0]));
  for (int i = 0; i < kLanguages; ++i) {
    Languages.Lingua[i]->setEditText(Q(load.languages.names[i]));
    if (i > 0) Languages.Text3[i]->setText(Q(load.languages.texts[i]));
  }
  Languages.Check1->setChecked(false);
  Languages.LockNames();
  loading_ = false;
  loaded_ = true;
}

void LineEditorDialog::ShowOption(LineOption option) {
  switch (option) {
    case LineOption::kPluCode:
      Option1->setChecked(true);
      Option1_Click();
      break;
    case LineOption::kTitle:
      Option2->setChecked(true);
      Option2_Click();
      break;
    case LineOption::kNote:
      Option3->setChecked(true);
      Option3_Click();
      break;
    case LineOption::kNone:
      break;
  }
}

// The previews show the main text as it stands: what closing stores as the line's text or the new PLU's
// description, so an edit of the main text in this window is never replaced by the text it was opened with.
void LineEditorDialog::Option1_Click() {
  Label1->setText(Languages.Text3[0]->text());
  Frame1->show();
  Frame2->hide();
  Frame3->hide();
}

void LineEditorDialog::Option2_Click() {
  if (ChooseLineOption(doc_, LineOption::kTitle) != LineOption::kTitle) {
    ShowOption(LineOption::kPluCode);
    Option1->setFocus();
    return;
  }
  Label4->setText(Languages.Text3[0]->text());
  Frame2->show();
  Frame1->hide();
  Frame3->hide();
}

void LineEditorDialog::Option3_Click() {
  if (ChooseLineOption(doc_, LineOption::kNote) != LineOption::kNote) {
    ShowOption(LineOption::kPluCode);
    Option1->setFocus();
    return;
  }
  Label5->setText(Languages.Text3[0]->text());
  Frame3->show();
  Frame1->hide();
  Frame2->hide();
}

void LineEditorDialog::Text3_Change(int i) {
  const QString text = Languages.Text3[i]->text();
  if (i == 0) {
    for (QLabel* preview : {Label1, Label4, Label5}) preview->setText(text);
  }
  const std::string number = Text1->text().toStdString();
  // A number that is another dish's renames nothing and overwrites none of its texts; closing says so.
  const PageLine line = CurrentPageLine();
  if (SelectedOption() == LineOption::kPluCode && PluNumberTakenBy(doc_, number, EditedPlu(doc_, line)))
    return;
  LineTextStore store = StoreLineText(doc_, Page(), SelectedOption(), number, i, text.toStdString());
  if (store.renamed_plu) host_.PluRenamed(*store.renamed_plu, text.toStdString());
  // Told once for each number typed, not at every keystroke.
  if (store.no_language_row && !loading_ && warned_number_ != number) {
    warned_number_ = number;
    prompts_.Message(kNoLanguageRowMessage);
  }
}

void LineEditorDialog::Command1_Click() {
  auto colour = prompts_.Colour(back_color_.value_or(ShownLineColour(doc_, Page(), true)));
  // A cancelled picker stores nothing: the button may not have had a colour of the line to keep.
  if (!colour) return;
  back_color_ = colour;
  ShowColours();
  StoreLineColour(doc_, Page(), true, *colour);
}

void LineEditorDialog::Command2_Click() {
  auto colour = prompts_.Colour(fore_color_.value_or(ShownLineColour(doc_, Page(), false)));
  if (!colour) return;
  fore_color_ = colour;
  ShowColours();
  StoreLineColour(doc_, Page(), false, *colour);
}

void LineEditorDialog::Form_Unload() {
  if (!loaded_) return;
  loaded_ = false;
  LineEditorFields fields{SelectedOption(), Text1->text().toStdString(), Text2->text().toStdString(),
                          Languages.Rows()};
  Tell(CloseLineEditor(doc_, Page(), fields, CurrentPageLine()));
  host_.Refresh_Page();
  host_.ChangeDone();
  host_.SelectListRow(doc_.Hand.EditListIndex);
}

void LineEditorDialog::closeEvent(QCloseEvent* event) {
  Languages.KeepHandTranslations();
  Form_Unload();
  event->accept();
}

void CloseOpenLineEditor(LineEditorDialog* dialog) {
  if (dialog && dialog->isVisible()) dialog->close();
}

LineEditorDialog* ShowLineEditor(QPointer<LineEditorDialog>& dialog, DesignerHost& host, QWidget* owner) {
  if (!dialog) dialog = new LineEditorDialog(host, owner);
  if (!dialog->isVisible() || !dialog->Loaded()) dialog->Form_Load();
  ShowOrRaise(dialog);
  return dialog;
}

}  // namespace tabulo
