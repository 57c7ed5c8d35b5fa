// The line order, default colours and background windows driven through their widgets.

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "designer/document/catalogue_lookup.h"
#include "designer/pages/background_dialog.h"
#include "designer/pages/default_colors_dialog.h"
#include "designer/pages/line_order_dialog.h"
#include "designer/pages/page_settings.h"
#include "designer/pages/page_view.h"
#include "tests/support/stand_in_host.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

class PageDialogs : public ::testing::Test {
 protected:
  PageDialogs() { ApplyDefaultSettings(*doc_); }

  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  std::unique_ptr<MenuDocument> doc_ = std::make_unique<MenuDocument>();
  ScriptedPrompts prompts_;
  std::unique_ptr<QWidget> owner_ = std::make_unique<QWidget>();
  QPointer<LineOrderDialog> line_order_;
  QPointer<DefaultColorsDialog> colours_;
  QPointer<BackgroundDialog> background_;
  test::StandInHost host_{*doc_, prompts_};
};

TEST_F(PageDialogs, LineOrderActsOnTheLineAndPageOfTheMomentThenRedrawsAndCloses) {
  for (int k = 0; k < kLinesPerPage; ++k) doc_->Botoes[SlotOf(2, k)] = 100 + k;
  doc_->Hand.CurrentLine = 3;
  host_.page = 2;
  LineOrderDialog* form = ShowLineOrderDialog(line_order_, host_, owner_.get());
  EXPECT_EQ(form->objectName(), "Form9");
  EXPECT_EQ(form->Command1->text(), "DELETE");
  EXPECT_EQ(form->Command2->text(), "MOVE UP");
  EXPECT_EQ(form->Command3->text(), "MOVE DOWN");
  ASSERT_TRUE(form->isVisible());
  // It names the line it acts on, and its buttons say what they do.
  EXPECT_EQ(form->Label1->text(), "Line 4 of page 2 (empty)") << "PLU 103 is not in the catalogue";
  EXPECT_NE(form->Command2->toolTip().indexOf("Removes this line: the lines below it move up"), -1);
  EXPECT_NE(form->Command3->toolTip().indexOf("Inserts an empty line here"), -1);
  EXPECT_NE(form->Command1->toolTip().indexOf("stays in the catalogue"), -1);

  Click(form->Command3);
  EXPECT_EQ(doc_->Botoes[SlotOf(2, 3)], 0);
  EXPECT_EQ(doc_->Botoes[SlotOf(2, 4)], 103);
  EXPECT_EQ(doc_->Botoes[SlotOf(2, 23)], 122);
  EXPECT_EQ(host_.updates, 1);
  EXPECT_FALSE(form->isVisible());

  // The same shared window, opened again for another line.
  AppendPlu(*doc_, "103", "2", "Soup");  // moved down onto line 5
  doc_->Hand.CurrentLine = 4;
  EXPECT_EQ(ShowLineOrderDialog(line_order_, host_, owner_.get()), form);
  EXPECT_EQ(form->Label1->text(), "Line 5 of page 2: Soup");
  Click(form->Command2);
  EXPECT_EQ(doc_->Botoes[SlotOf(2, 4)], 104);
  EXPECT_EQ(doc_->Botoes[SlotOf(2, 23)], 0);
  doc_->Hand.CurrentLine = 0;
  ShowLineOrderDialog(line_order_, host_, owner_.get());
  Click(form->Command1);
  EXPECT_EQ(doc_->Botoes[SlotOf(2, 0)], 0);
  EXPECT_EQ(doc_->LineLayout[SlotOf(2, 0)].Kind, kKindPlu);
  EXPECT_EQ(host_.updates, 3);
  EXPECT_EQ(doc_->Botoes[SlotOf(1, 0)], 0);
  EXPECT_EQ(doc_->Botoes[SlotOf(3, 0)], 0);
}

TEST_F(PageDialogs, TitleStyleColourRecoloursOnlyTitleLinesWithoutTheirOwnColour) {
  doc_->LineLayout[SlotOf(1, 0)].Kind = kKindTitle;
  doc_->LineLayout[SlotOf(1, 1)].Kind = kKindTitle;
  doc_->LineLayout[SlotOf(1, 1)].LineBackColor = "255";
  doc_->LineLayout[SlotOf(1, 2)].Kind = kKindNote;
  DefaultColorsDialog* form = ShowDefaultColorsDialog(colours_, host_, owner_.get());
  EXPECT_EQ(form->objectName(), "Form7");
  EXPECT_EQ(form->windowTitle(), "Default Colors");
  EXPECT_EQ(form->Label1->text(), "Font test. FONT TEST");
  EXPECT_EQ(ButtonColour(form->Command3[1]), 0) << "the title style's back colour";
  EXPECT_EQ(ButtonColour(form->Command4[1]), 16777215);
  EXPECT_EQ(ButtonColour(form->Command5), 15724527);

  prompts_.colours.push_back(65280);
  Click(form->Command3[1]);
  EXPECT_EQ(doc_->StyleBackColor[kStyleTitle], "65280");
  EXPECT_EQ(ButtonColour(form->Command3[1]), 65280);
  EXPECT_EQ(host_.refreshes, 0);
  Click(form->Command1);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(host_.refreshes, 1) << "closing redraws the main window";

  PageView view = BuildPageView(*doc_, 1);
  ASSERT_TRUE(view.lines[0].style && view.lines[1].style && view.lines[2].style);
  EXPECT_EQ(view.lines[0].style->back_color, 65280);
  EXPECT_EQ(view.lines[1].style->back_color, 255) << "a line's own colour wins";
  EXPECT_EQ(view.lines[2].style->back_color, 15724527) << "note lines keep their style";
}

TEST_F(PageDialogs, CancelledColourPickersStoreNothing) {
  doc_->StyleForeColor[kStyleNote] = "";
  DefaultColorsDialog* form = ShowDefaultColorsDialog(colours_, host_, owner_.get());
  const int32_t shown = ButtonColour(form->Command4[2]);
  Click(form->Command4[2]);
  Click(form->Command5);
  EXPECT_EQ(prompts_.questions.size(), 2u);
  EXPECT_EQ(doc_->StyleForeColor[kStyleNote], "") << "the style default still applies";
  EXPECT_EQ(doc_->DefaultPageColor, "15724527");
  EXPECT_EQ(ButtonColour(form->Command4[2]), shown);
  prompts_.colours.push_back(123);
  Click(form->Command5);
  EXPECT_EQ(doc_->DefaultPageColor, "123");
  EXPECT_EQ(doc_->PageColorA[1], "") << "the open menu's pages keep their colours";
  form->close();
}

TEST_F(PageDialogs, CurrencyIsStoredAtEveryKeystrokeAndMayBeErased) {
  DefaultColorsDialog* form = ShowDefaultColorsDialog(colours_, host_, owner_.get());
  EXPECT_EQ(form->Text3->text(), QString::fromUtf8("\u20ac"));
  form->Text3->selectAll();
  QTest::keyClick(form->Text3, Qt::Key_Backspace);
  EXPECT_EQ(doc_->Currency, "");
  const std::string typed = "US$";
  for (size_t i = 0; i < typed.size(); ++i) {
    QTest::keyClick(form->Text3, typed[i]);
    EXPECT_EQ(doc_->Currency, typed.substr(0, i + 1));
  }
  for (int i = 0; i < 3; ++i) QTest::keyClick(form->Text3, Qt::Key_Backspace);
  EXPECT_EQ(doc_->Currency, "");
  form->close();
}

TEST_F(PageDialogs, FontsComeFromThePrinterAndOnlyAChosenOneIsStored) {
  host_.printer_fonts = std::vector<std::string>{"Alpha Sans", "Beta Serif", "Gamma Mono"};
  DefaultColorsDialog* form = ShowDefaultColorsDialog(colours_, host_, owner_.get());
  ASSERT_EQ(form->Combo1->count(), 3);
  EXPECT_EQ(form->Combo1->itemText(0), "Alpha Sans");
  EXPECT_EQ(form->Combo1->itemText(2), "Gamma Mono");
  EXPECT_EQ(form->Combo1->currentText(), "Arial") << "the stored font is shown even when not offered";

  form->Combo1->lineEdit()->selectAll();
  QTest::keyClicks(form->Combo1->lineEdit(), "Typed Font");
  QTest::keyClick(form->Combo1->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(doc_->FontName, "Arial") << "a typed name is not a choice";

  form->Combo1->setCurrentIndex(0);
  QTest::keyClick(form->Combo1, Qt::Key_Down);
  EXPECT_EQ(doc_->FontName, "Beta Serif");
  EXPECT_EQ(form->Label1->font().family(), "Beta Serif");
  form->close();

  host_.printer_fonts = std::nullopt;
  form = ShowDefaultColorsDialog(colours_, host_, owner_.get());
  EXPECT_EQ(form->Combo1->count(), QFontDatabase::families().size())
      << "without a printer: the system's fonts";
  form->close();
}

TEST_F(PageDialogs, BrowseStoresPicturesInsideTheProjectFolderByName) {
  test::TempFolder project;
  doc_->ProjectFolder = project.Path() + "/";
  test::WriteFile(project / "back.jpg", "picture");
  doc_->Hand.BackgroundSide = kSideBack;
  host_.page = 3;
  BackgroundDialog* form = ShowBackgroundDialog(background_, host_, owner_.get());
  EXPECT_EQ(form->objectName(), "Form8");
  EXPECT_EQ(form->windowTitle(), "Background effects");
  EXPECT_EQ(form->Label3->text(), "Resolution ( 465*516 px)");

  prompts_.file_names.push_back(project / "back.jpg");
  Click(form->Command2);
  EXPECT_EQ(prompts_.questions.back(), "open Background picture *.JPG");
  EXPECT_EQ(form->Text1->text(), "back.jpg");
  EXPECT_EQ(doc_->PagePictureB[3], "back.jpg");
  EXPECT_EQ(doc_->PagePictureA[3], "");

  Click(form->Command3);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(host_.updates, 1);
  EXPECT_EQ(BuildPageView(*doc_, 3).back.picture, project / "back.jpg") << "the page side shows it";

  // A picture in a sub-folder of the project is named relative to it too, and stays so when drawn.
  std::filesystem::create_directories(project / "pics");
  test::WriteFile(project / "pics/side.jpg", "picture");
  form = ShowBackgroundDialog(background_, host_, owner_.get());
  prompts_.file_names.push_back(project / "pics/side.jpg");
  Click(form->Command2);
  EXPECT_EQ(doc_->PagePictureB[3], "pics/side.jpg");
  EXPECT_EQ(BuildPageView(*doc_, 3).back.picture, project / "pics/side.jpg");
  EXPECT_EQ(doc_->PagePictureB[3], "pics/side.jpg");

  doc_->PagePictureB[3] = "back.jpg";  // as stored, not as the view resolved it
  form = ShowBackgroundDialog(background_, host_, owner_.get());
  EXPECT_EQ(form->Text1->text(), "back.jpg");
  prompts_.file_names.push_back("/elsewhere/pictures/front.jpg");
  Click(form->Command2);
  EXPECT_EQ(doc_->PagePictureB[3], "/elsewhere/pictures/front.jpg");

  Click(form->Command2);  // cancelled
  EXPECT_EQ(doc_->PagePictureB[3], "/elsewhere/pictures/front.jpg");
  EXPECT_EQ(form->Text1->text(), "/elsewhere/pictures/front.jpg");

  form->Text1->selectAll();
  QTest::keyClick(form->Text1, Qt::Key_Backspace);
  EXPECT_EQ(doc_->PagePictureB[3], "") << "clearing the path removes the picture";
  form->close();
}

TEST_F(PageDialogs, APageChangeWhileTheBackgroundWindowIsOpenSendsLaterChangesToTheNewPage) {
  doc_->PageColorA[2] = "255";
  doc_->PageColorA[5] = "65280";
  doc_->PagePictureA[2] = "two.jpg";
  doc_->Hand.BackgroundSide = kSideFront;
  host_.page = 2;
  BackgroundDialog* form = ShowBackgroundDialog(background_, host_, owner_.get());
  EXPECT_EQ(ButtonColour(form->Command1), 255);
  EXPECT_EQ(form->Text1->text(), "two.jpg");

  Click(form->Command1);  // cancelled
  EXPECT_EQ(doc_->PageColorA[2], "255");
  EXPECT_EQ(ButtonColour(form->Command1), 255);
  EXPECT_EQ(host_.updates, 0);

  host_.page = 5;
  prompts_.colours.push_back(16711680);
  Click(form->Command1);
  EXPECT_EQ(doc_->PageColorA[5], "16711680");
  EXPECT_EQ(doc_->PageColorA[2], "255");
  EXPECT_EQ(doc_->PageColorB[5], "");
  EXPECT_EQ(ButtonColour(form->Command1), 16711680);
  EXPECT_EQ(host_.updates, 1) << "the side takes the colour at once";

  QTest::keyClick(form->Text1, 'x');
  EXPECT_EQ(doc_->PagePictureA[5], "two.jpgx");
  EXPECT_EQ(doc_->PagePictureA[2], "two.jpg");
  form->close();
}

}  // namespace
}  // namespace tabulo
