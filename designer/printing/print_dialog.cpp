#include "designer/printing/print_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "designer/pages/page_window.h"
#include "designer/pages/widget_helpers.h"
#include "designer/printing/painter_canvas.h"
#include "designer/printing/recording_canvas.h"

namespace tabulo {

PrintDialog::PrintDialog(DesignerHost& host, QWidget* owner)
    : QWidget(owner, Qt::Tool), doc_(host.Document()), prompts_(host.Prompts()), host_(host) {
  setObjectName("Form4");
  setWindowTitle("Print");
  setAttribute(Qt::WA_DeleteOnClose);
  presenter_ = [this](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
    PreviewAndPrint(printer, paint);
  };
  BuildForm();
  Form_Load();
}

void PrintDialog::BuildForm() {
  auto* form = new QVBoxLayout(this);

  auto* margins = new QGroupBox("Margins", this);
  auto* margin_grid = new QGridLayout(margins);
  auto margin_box = [&](const char* name, const char* caption, int row) {
    auto* box = new QLineEdit(margins);
    box->setObjectName(name);
    margin_grid->addWidget(new QLabel(Q(caption), margins), row, 0);
    margin_grid->addWidget(box, row, 1);
    margin_grid->addWidget(new QLabel("mm", margins), row, 2);
    return box;
  };
  Text1 = margin_box("Text1", "Margin X (Descr.)", 0);
  Text4 = margin_box("Text4", "Margin X (Price)", 1);
  Text2 = margin_box("Text2", "Margin Y", 2);
  form->addWidget(margins);

  Check1 = new QCheckBox("Print lines", this);
  Check1->setObjectName("Check1");
  form->addWidget(Check1);

  auto* options = new QGroupBox("Print Options", this);
  auto* option_column = new QVBoxLayout(options);
  const char* option_captions[] = {"Print current page", "Print all pages", "Print all front pages",
                                   "Print all back pages"};
  for (int i = 0; i < 4; ++i) {
    Option[i] = new QRadioButton(Q(option_captions[i]), options);
    Option[i]->setObjectName(QString("Option%1").arg(i + 1));
    option_column->addWidget(Option[i]);
  }
  form->addWidget(options);

  auto* languages = new QGroupBox("Language to Print", this);
  auto* language_column = new QVBoxLayout(languages);
  for (int i = 0; i < kLanguages; ++i) {
    LanguageP[i] = new QCheckBox(languages);
    LanguageP[i]->setObjectName("LanguageP");
    LanguageP[i]->setProperty("Index", i);
    language_column->addWidget(LanguageP[i]);
    connect(LanguageP[i], &QCheckBox::clicked, this, [this, i] { LanguageP_Click(i); });
  }
  form->addWidget(languages);

  auto* buttons = new QHBoxLayout;
  Command1 = new QPushButton("Print", this);
  Command1->setObjectName("Command1");
  Command2 = new QPushButton("Close Window", this);
  Command2->setObjectName("Command2");
  Calibration = new QPushButton("Print calibration sheet", this);
  Calibration->setObjectName("Calibration");
  buttons->addWidget(Command1);
  buttons->addWidget(Calibration);
  buttons->addWidget(Command2);
  form->addLayout(buttons);

  connect(Text1, &QLineEdit::textChanged, this, [this] { Text_Change(doc_.MarginXDescr, Text1); });
  connect(Text2, &QLineEdit::textChanged, this, [this] { Text_Change(doc_.MarginY, Text2); });
  connect(Text4, &QLineEdit::textChanged, this, [this] { Text_Change(doc_.MarginXPrice, Text4); });
  connect(Check1, &QCheckBox::clicked, this, &PrintDialog::Check1_Click);
  connect(Command1, &QPushButton::clicked, this, &PrintDialog::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &QWidget::close);
  connect(Calibration, &QPushButton::clicked, this, &PrintDialog::PrintCalibration);
}

void PrintDialog::Form_Load() {
  Text1->setText(Q(MarginText(doc_.MarginXDescr)));
  Text2->setText(Q(MarginText(doc_.MarginY)));
  Text4->setText(Q(MarginText(doc_.MarginXPrice)));
  Check1->setChecked(doc_.PrintLines == 1);
  Option[0]->setChecked(true);
  for (int i = 0; i < kLanguages; ++i) LanguageP[i]->setText(Q(doc_.Lang(0, i + 1)));
  languages_ = LanguageBoxes::Initial();
  ShowLanguages();
}

void PrintDialog::Text_Change(float& margin, QLineEdit* box) {
  SetMarginFromText(margin, box->text().toStdString());
}

void PrintDialog::Check1_Click() {
  doc_.PrintLines = Check1->isChecked() ? 1 : 0;
}

void PrintDialog::LanguageP_Click(int k) {
  languages_.checked[k] = LanguageP[k]->isChecked();
  ClickLanguageBox(languages_, k);
  ShowLanguages();
}

void PrintDialog::ShowLanguages() {
  for (int i = 0; i < kLanguages; ++i) {
    QSignalBlocker quiet(LanguageP[i]);
    LanguageP[i]->setChecked(languages_.checked[i]);
    QFont font = LanguageP[i]->font();
    font.setBold(languages_.bold[i]);
    LanguageP[i]->setFont(font);
  }
}

PrintSettings PrintDialog::Settings() const {
  PrintSettings settings;
  for (int i = 0; i < 4; ++i) {
    if (Option[i]->isChecked()) settings.option = static_cast<PrintOption>(i + 1);
  }
  settings.languages = LanguagesOf(languages_);
  settings.backs_shown = host_.BacksShown();
  return settings;
}

void PrintDialog::Command1_Click() {
  const PrintSettings settings = Settings();
  const int page = host_.CurrentPage();
  if (auto message = InsertPagesMessage(settings.option)) prompts_.Message(*message);

  // No printer is troubled for a job that would leave every sheet blank.
  RecordingCanvas dry_run;
  if (PrintCards(doc_, page, settings, dry_run).sheets == 0) {
    prompts_.Message(kNothingToPrint);
    return;
  }
  const std::vector<std::string> untranslated = LinesWithoutLanguage(doc_, page, settings);
  if (!untranslated.empty() && !prompts_.YesNo(UntranslatedLinesMessage(untranslated))) return;

  std::vector<std::string> warnings;
  Present("Menu cards",
          [&](CardCanvas& canvas) { warnings = PrintCards(doc_, page, settings, canvas).warnings; });
  if (!warnings.empty()) {
    std::string text = kPicturesMissing;
    for (const std::string& warning : warnings) text += "\n" + warning;
    prompts_.Message(text);
  }
}

void PrintDialog::PrintCalibration() {
  Present("Calibration sheet", [this](CardCanvas& canvas) { PrintCalibrationSheet(doc_, canvas); });
}

void PrintDialog::Present(const char* document, const std::function<void(CardCanvas&)>& draw) {
  if (QPrinterInfo::availablePrinters().isEmpty()) prompts_.Message(kNoPrinter);
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(Q(document));
  bool failed = false;
  auto paint = [&](QPrinter* target) {
    PainterCanvas canvas(*target);
    if (canvas.Ok()) draw(canvas);
    if (!canvas.Finish() || target->printerState() == QPrinter::Error) failed = true;
  };
  presenter_(printer, paint);
  if (failed) prompts_.Message(kPrintFailed);
}

std::string UntranslatedLinesMessage(const std::vector<std::string>& lines) {
  constexpr size_t kShown = 20;  // the box stays on the screen; the count says how many more
  std::string text = "These lines have no text in the chosen language and will not be printed:";
  for (size_t i = 0; i < lines.size() && i < kShown; ++i) text += "\n" + lines[i];
  if (lines.size() > kShown) text += "\n... and " + std::to_string(lines.size() - kShown) + " more";
  return text + "\n\nPrint anyway?";
}

void PrintDialog::PreviewAndPrint(QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
  QPrintPreviewDialog preview(&printer, this);
  preview.setWindowTitle("Print preview");
  connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
          [&paint](QPrinter* target) { paint(target); });
  preview.exec();
}

void PrintDialog::closeEvent(QCloseEvent* event) {
  // Form_Unload: the main window shows its page again.
  host_.Refresh_Page();
  event->accept();
}

void ShowPrintDialog(QPointer<PrintDialog>& dialog, DesignerHost& host, QWidget* owner) {
  if (!dialog || dialog->isHidden()) dialog = new PrintDialog(host, owner);
  ShowOrRaise(dialog);
}

}  // namespace tabulo
