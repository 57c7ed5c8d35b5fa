#include "designer/pages/line_editor_dialog.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "designer/pages/page_grid_widget.h"
#include "designer/pages/page_window.h"
#include "designer/pages/widget_helpers.h"

namespace tabulo {
namespace {

QString ColourCss(int32_t rgb) {
  return ColourOf(rgb).name();
}

}  // namespace

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
