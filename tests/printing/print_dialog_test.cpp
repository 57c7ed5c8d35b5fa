// The print dialog through real widgets: opened from the main window's Print command, its boxes edit the
// document, and its jobs are printed into PDF files that poppler reads back.

#include "designer/printing/print_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <regex>

#include "designer/document/catalogue_lookup.h"
#include "designer/mainwindow/main_window.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using test::RunProgram;

class PrintWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("VELT_HOME", (home_ / "velt").c_str(), 1);
    window_ = std::make_unique<MainWindow>(doc_, prompts_);
    window_->show();
    // The menu: page 1 with a PLU and a group title, page 2 with a title, after the work copy was read.
    AppendPlu(doc_, "7", "2.50", "Sopa do dia");
    doc_.Botoes[0] = 7;
    doc_.LineLayout[0].Kind = kKindPlu;
    doc_.LineLayout[0].TitleText = "Entradas";
    doc_.Lang(7, 2) = "Soup of the day";
    doc_.LineLayout[SlotOf(2, 2)].Kind = kKindTitle;
    doc_.LineLayout[SlotOf(2, 2)].Text = "Sobremesas";
    ApplyDefaultLanguageNames(doc_);
    doc_.PagesVersion = "1";
    window_->Refresh_Page();
  }
  void TearDown() override {
    window_.reset();
    ::unsetenv("VELT_HOME");
  }

  PrintDialog* Open() {
    window_->findChild<QAction*>("Print")->trigger();
    auto* dialog = window_->findChild<PrintDialog*>("Form4");
    if (dialog) {
      // Jobs go into PDF files instead of a preview the test cannot press.
      dialog->SetPresenter([this](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
        ++jobs_;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf_));
        paint(&printer);
      });
    }
    return dialog;
  }
  template <class T>
  T* Control(PrintDialog* dialog, const char* name, int index = -1) {
    for (T* control : dialog->findChildren<T*>(name)) {
      if (index < 0 || control->property("Index").toInt() == index) return control;
    }
    return nullptr;
  }
  void Press(PrintDialog* dialog, const char* name) { Control<QPushButton>(dialog, name)->click(); }

  std::string PdfText() { return RunProgram("/usr/bin/pdftotext", {pdf_, "-"}).out; }
  int PdfPages() {
    std::string info = RunProgram("/usr/bin/pdfinfo", {pdf_}).out;
    size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
  }
  // Left edge of a word on the first page, in points.
  double WordLeft(const std::string& word) {
    std::string boxes = RunProgram("/usr/bin/pdftotext", {"-bbox", "-l", "1", pdf_, "-"}).out;
    std::smatch match;
    std::regex pattern("xMin=\"([0-9.]+)\"[^>]*>" + word + "<");
    if (!std::regex_search(boxes, match, pattern)) return -1;
    return std::stod(match[1]);
  }
  // Messages other than the note that no printer is installed (which depends on the machine).
  std::vector<std::string> Messages() {
    std::vector<std::string> messages;
    for (const std::string& message : prompts_.messages) {
      if (message != kNoPrinter) messages.push_back(message);
    }
    return messages;
  }

  test::TempFolder home_;
  MenuDocument doc_;
  ScriptedPrompts prompts_;
  std::unique_ptr<MainWindow> window_;
  std::string pdf_ = home_ / "cards.pdf";
  int jobs_ = 0;
};

TEST_F(PrintWindow, OpensWithTheDocumentsSettingsAndEditsThemAtOnce) {
  doc_.MarginXDescr = 47.5f;
  PrintDialog* dialog = Open();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), "Print");
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text1")->text(), "47.5");
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text4")->text(), "165");
  EXPECT_EQ(Control<QLineEdit>(dialog, "Text2")->text(), "59");
  EXPECT_TRUE(Control<QCheckBox>(dialog, "Check1")->isChecked());
  EXPECT_TRUE(Control<QRadioButton>(dialog, "Option1")->isChecked());
  EXPECT_EQ(Control<QCheckBox>(dialog, "LanguageP", 1)->text(), "English");
  EXPECT_TRUE(Control<QCheckBox>(dialog, "LanguageP", 0)->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(dialog, "LanguageP", 0)->font().bold());

  QLineEdit* margin_y = Control<QLineEdit>(dialog, "Text2");
  margin_y->clear();  // retyping: the empty box keeps the last value
  EXPECT_EQ(doc_.MarginY, 59);
  QTest::keyClicks(margin_y, "40");
  EXPECT_EQ(doc_.MarginY, 40);
  QTest::keyClicks(margin_y, "x");
  EXPECT_EQ(doc_.MarginY, 40);
  Control<QCheckBox>(dialog, "Check1")->click();
  EXPECT_EQ(doc_.PrintLines, 0);

  // A second Print command shows the same window; closing it and opening again starts the choices afresh
  // but keeps the settings.
  Control<QRadioButton>(dialog, "Option2")->click();
  Control<QCheckBox>(dialog, "LanguageP", 3)->click();
  EXPECT_EQ(Open(), dialog);
  Press(dialog, "Command2");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  PrintDialog* again = Open();
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(Control<QRadioButton>(again, "Option1")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(again, "LanguageP", 3)->isChecked());
  EXPECT_EQ(Control<QLineEdit>(again, "Text2")->text(), "40");
  EXPECT_FALSE(Control<QCheckBox>(again, "Check1")->isChecked());
}

TEST_F(PrintWindow, LanguageBoxesKeepAtMostTwoAndTheBoldOneLeads) {
  PrintDialog* dialog = Open();
  auto box = [&](int i) { return Control<QCheckBox>(dialog, "LanguageP", i); };
  box(2)->click();
  box(4)->click();  // a third one stays clear
  EXPECT_TRUE(box(0)->isChecked());
  EXPECT_TRUE(box(2)->isChecked());
  EXPECT_FALSE(box(4)->isChecked());
  EXPECT_FALSE(box(2)->font().bold());
  box(0)->click();  // clearing the bold box makes the other one bold
  EXPECT_FALSE(box(0)->font().bold());
  EXPECT_TRUE(box(2)->font().bold());
  EXPECT_EQ(LanguagesOf(dialog->Languages()).primary, 2);
}

TEST_F(PrintWindow, CurrentPagePrintsFrontAndBackInTheDesignView) {
  PrintDialog* dialog = Open();
  // The designer starts in the modifier view: the current page prints its front only.
  Press(dialog, "Command1");
  ASSERT_EQ(jobs_, 1);
  EXPECT_EQ(PdfPages(), 1);
  EXPECT_NE(PdfText().find("Sopa do dia"), std::string::npos);
  EXPECT_EQ(PdfText().find("Entradas"), std::string::npos);

  window_->findChild<QPushButton*>("Expand")->click();  // the page-design view, backs shown
  Press(dialog, "Command1");
  EXPECT_EQ(PdfPages(), 2);
  std::string text = PdfText();
  EXPECT_NE(text.find("Page A / Plaque K418B"), std::string::npos) << text;
  EXPECT_NE(text.find("Page B / Plaque K418A"), std::string::npos) << text;
  EXPECT_NE(text.find("Entradas"), std::string::npos) << text;
  EXPECT_EQ(window_->CurrentPage(), 1);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PrintWindow, AllFrontsAskForPageAStockAndUseOneSheetPerPageWithText) {
  PrintDialog* dialog = Open();
  Control<QRadioButton>(dialog, "Option3")->click();
  Press(dialog, "Command1");
  EXPECT_EQ(Messages(), std::vector<std::string>{kInsertPagesA});
  EXPECT_EQ(PdfPages(), 2);
  std::string text = PdfText();
  EXPECT_LT(text.find("Sopa do dia"), text.find("Sobremesas"));

  prompts_.messages.clear();
  Control<QRadioButton>(dialog, "Option4")->click();
  Press(dialog, "Command1");
  EXPECT_EQ(Messages(), std::vector<std::string>{kInsertPagesB});
  EXPECT_EQ(PdfPages(), 1);  // page 2's back has nothing of its own
  EXPECT_EQ(PdfText().find("Page A"), std::string::npos);
}

TEST_F(PrintWindow, AChangedMarginIsUsedByTheNextJob) {
  PrintDialog* dialog = Open();
  Press(dialog, "Command1");
  const double before = WordLeft("Sopa");
  ASSERT_GT(before, 0);
  QLineEdit* margin = Control<QLineEdit>(dialog, "Text1");
  margin->selectAll();
  QTest::keyClicks(margin, "57");
  Press(dialog, "Command1");
  EXPECT_NEAR(WordLeft("Sopa") - before, 10 / 25.4 * 72, 0.5);  // 10 mm further right
}

TEST_F(PrintWindow, NothingToPrintAndAFailedJobAreMessagesAndTheDesignerGoesOn) {
  PrintDialog* dialog = Open();
  Control<QCheckBox>(dialog, "LanguageP", 4)->click();  // the only language: nothing translated into it
  Control<QCheckBox>(dialog, "LanguageP", 0)->click();
  Press(dialog, "Command1");
  EXPECT_EQ(jobs_, 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{kNothingToPrint});

  prompts_.messages.clear();
  Control<QCheckBox>(dialog, "LanguageP", 0)->click();
  Control<QCheckBox>(dialog, "LanguageP", 4)->click();  // back to the designer's language alone
  pdf_ = home_ / "no/such/folder/cards.pdf";            // the job cannot be written
  Press(dialog, "Command1");
  EXPECT_EQ(jobs_, 1);
  EXPECT_EQ(Messages(), std::vector<std::string>{kPrintFailed});
  EXPECT_TRUE(dialog->isVisible());
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    EXPECT_NE(std::find(prompts_.messages.begin(), prompts_.messages.end(), kNoPrinter),
              prompts_.messages.end());
  }
}

TEST_F(PrintWindow, UntranslatedLinesAreListedFirstAndTheCalibrationSheetPrints) {
  PrintDialog* dialog = Open();
  int units = 0;
  for (QLabel* label : dialog->findChildren<QLabel*>()) units += label->text() == "mm";
  EXPECT_EQ(units, 3);  // each margin box shows its unit

  // English: "Sobremesas" on page 2 has no English text. Declining prints nothing.
  Control<QRadioButton>(dialog, "Option3")->click();
  Control<QCheckBox>(dialog, "LanguageP", 1)->click();
  Control<QCheckBox>(dialog, "LanguageP", 0)->click();
  prompts_.yes_no = {false};
  Press(dialog, "Command1");
  ASSERT_EQ(prompts_.questions.size(), 1u);
  EXPECT_NE(prompts_.questions[0].find("Page 2, line 3: Sobremesas"), std::string::npos)
      << prompts_.questions[0];
  EXPECT_EQ(prompts_.questions[0].find("Sopa"), std::string::npos);
  EXPECT_EQ(jobs_, 0);
  prompts_.yes_no = {true};
  Press(dialog, "Command1");
  EXPECT_EQ(jobs_, 1);
  EXPECT_NE(PdfText().find("Soup of the day"), std::string::npos);

  // The calibration sheet: one sheet with the rulers and the margins it was drawn at.
  QLineEdit* margin = Control<QLineEdit>(dialog, "Text1");
  margin->selectAll();
  QTest::keyClicks(margin, "50");
  Press(dialog, "Calibration");
  EXPECT_EQ(jobs_, 2);
  EXPECT_EQ(PdfPages(), 1);
  const std::string text = PdfText();
  EXPECT_NE(text.find("Margin X (Descr.) 50 mm"), std::string::npos) << text;
  EXPECT_NE(text.find("100"), std::string::npos) << text;
}

TEST_F(PrintWindow, ClosingTheMainWindowClosesTheDialog) {
  Open();
  window_->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window_->findChild<PrintDialog*>("Form4"), nullptr);
}

}  // namespace
}  // namespace tabulo
