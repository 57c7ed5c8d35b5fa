// The line editor and the group title windows through their widgets, translating against a translation
// page served on 127.0.0.1, and opened from the main window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTableView>
#include <QTest>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include "designer/catalogue/catalogue_panel.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/mainwindow/main_window.h"
#include "designer/pages/group_title_dialog.h"
#include "designer/pages/line_editor_dialog.h"
#include "designer/storage/project_files.h"
#include "platform/folders.h"
#include "tests/support/designer_test.h"
#include "tests/support/local_http_server.h"
#include "tests/support/stand_in_host.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

// A translation page answering by target code; a code it does not know gets a page without the result
// markers. Records the requests as "sl>tl:text". While held, requests wait for the release.
class FakeService {
 public:
  ~FakeService() { Release(); }
  std::string Base() const { return http_.Base(); }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  void Hold() {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_ = true;
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      hold_ = false;
    }
    released_.notify_all();
  }

  std::map<std::string, std::string> answers;  // set before the first request

 private:
  void Answer(const httplib::Request& request, httplib::Response& response) {
    const std::string tl = request.get_param_value("tl");
    std::string page = "<html><body>busy</body></html>";
    std::unique_lock<std::mutex> lock(mutex_);
    requests_.push_back(request.get_param_value("sl") + ">" + tl + ":" + request.get_param_value("text"));
    released_.wait_for(lock, std::chrono::seconds(20), [this] { return !hold_; });
    auto found = answers.find(tl);
    if (found != answers.end()) {
      page = "<div id=result_box><span title=\"x\">" + found->second + "</span></div>";
    }
    response.set_content(page, "text/html; charset=utf-8");
  }

  std::mutex mutex_;
  std::condition_variable released_;
  bool hold_ = false;
  std::vector<std::string> requests_;
  test::LocalHttpServer http_{[this](httplib::Server& server) {
    server.Get("/translate_t", [this](const httplib::Request& request, httplib::Response& response) {
      Answer(request, response);
    });
  }};
};

// A click where the user aims: on the indicator of a radio button or check box, whose widget a layout may
// stretch far beyond its caption.
void Click(QAbstractButton* button) {
  const bool indicator = qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button);
  QTest::mouseClick(button, Qt::LeftButton, {}, indicator ? QPoint(6, button->height() / 2) : QPoint());
}

// Lets the window run until its translation is over (the service's answers arrive as events).
void WaitForTranslation(const LanguageFrame& languages) {
  for (int i = 0; i < 3000 && languages.Translating(); ++i) QTest::qWait(10);
  EXPECT_FALSE(languages.Translating());
}

// Replaces the text of a box by typing, as the user does.
void Type(QLineEdit* box, const QString& text) {
  box->selectAll();
  QTest::keyClicks(box, text);
}

class PageDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TABULO_TRANSLATE_SERVICE", "page", 1);
    ::setenv("TABULO_TRANSLATE_URL", service_.Base().c_str(), 1);
    ::setenv("VELT_HOME", maker_.Path().c_str(), 1);  // the translation memory
    ApplyDefaultSettings(*doc_);
    ApplyDefaultLanguageNames(*doc_);
    AppendPlu(*doc_, "5", "2.50", "Soup");
    AppendPlu(*doc_, "12", "7.00", "Fish");
  }
  void TearDown() override {
    ::unsetenv("TABULO_TRANSLATE_SERVICE");
    ::unsetenv("TABULO_TRANSLATE_URL");
    ::unsetenv("VELT_HOME");
  }

  // Opens the line editor on line `k` as the grid does.
  LineEditorDialog* OpenLine(int k) {
    const int s = SlotOf(page_.page, k);
    doc_->Hand.CurrentLine = k;
    doc_->Hand.EditFromPage = true;
    page_.tags[k].clear();
    if (auto index = FindPlu(*doc_, doc_->Botoes[s]); index && doc_->Botoes[s] != 0) {
      page_.tags[k] = std::to_string(*index);
      page_.texts[k] = doc_->PluDescription[*index];
      doc_->Hand.EditPluNumber = doc_->Botoes[s];
      doc_->Hand.EditPluPrice = doc_->PluPrice[*index];
      doc_->Hand.EditListIndex = static_cast<int16_t>(*index);
    } else if (doc_->LineLayout[s].Kind >= kKindTitle) {
      page_.texts[k] = doc_->LineLayout[s].Text;
    }
    return Shown(ShowLineEditor(line_editor_, page_, &owner_));
  }

  GroupTitleDialog* OpenTitle(int k, const std::string& text) {
    doc_->Hand.CurrentLine = k;
    doc_->Hand.EditTitleText = text;
    return Shown(ShowGroupTitle(group_title_, page_, &owner_));
  }

  template <class D>
  D* Shown(D* dialog) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    return dialog;
  }

  test::TempFolder maker_;
  FakeService service_;
  std::unique_ptr<MenuDocument> doc_ = std::make_unique<MenuDocument>();
  ScriptedPrompts prompts_;
  test::StandInHost page_{*doc_, prompts_};
  QWidget owner_;
  QPointer<LineEditorDialog> line_editor_;
  QPointer<GroupTitleDialog> group_title_;
};

TEST_F(PageDialogs, TitleLineShowsTheNextFreeNumberAndBecomesAPluLine) {
  const int s = SlotOf(1, 6);
  doc_->LineLayout[s].Kind = kKindTitle;
  doc_->LineLayout[s].Text = "Pasta";
  LineEditorDialog* dialog = OpenLine(6);
  EXPECT_EQ(dialog->objectName(), "Form5");
  EXPECT_EQ(dialog->windowTitle(), "Edit Line");
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->Text1->text(), "13");
  EXPECT_TRUE(dialog->Option2->isChecked());
  EXPECT_TRUE(dialog->Frame2->isVisible());
  EXPECT_FALSE(dialog->Frame1->isVisible());
  EXPECT_EQ(dialog->Label4->text(), "Pasta");
  EXPECT_EQ(doc_->Hand.EditPluNumber, 10000 + s);

  Click(dialog->Option1);
  EXPECT_TRUE(dialog->Frame1->isVisible());
  EXPECT_FALSE(dialog->Frame2->isVisible());
  EXPECT_EQ(dialog->Label1->text(), "Pasta");
  Type(dialog->Text2, "8.90");
  Click(dialog->Command3);
  EXPECT_FALSE(dialog->isVisible());
  ASSERT_EQ(doc_->NumPlus, 3);
  EXPECT_EQ(doc_->PluNumber[2], "13");
  EXPECT_EQ(doc_->PluDescription[2], "Pasta");
  EXPECT_EQ(doc_->PluPrice[2], "8.90");
  EXPECT_EQ(doc_->Botoes[s], 13);
  EXPECT_EQ(doc_->LineLayout[s].Kind, kKindPlu);
  EXPECT_EQ(page_.refreshes, 1);
  EXPECT_EQ(page_.selected_rows.size(), 1u);
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(PageDialogs, PluLineTurnedIntoANote) {
  doc_->Botoes[SlotOf(1, 2)] = 12;
  LineEditorDialog* dialog = OpenLine(2);
  EXPECT_TRUE(dialog->Option1->isChecked());
  EXPECT_EQ(dialog->Text1->text(), "12");
  EXPECT_EQ(dialog->Text2->text(), "7.00");
  EXPECT_EQ(dialog->Languages.Text3[0]->text(), "Fish");
  Click(dialog->Option3);
  EXPECT_TRUE(dialog->Frame3->isVisible());
  EXPECT_EQ(dialog->Label5->text(), "Fish");
  dialog->close();  // the window's close box commits too
  EXPECT_EQ(doc_->PluNumber[1], "0");
  EXPECT_EQ(doc_->Botoes[SlotOf(1, 2)], 0);
  EXPECT_EQ(doc_->LineLayout[SlotOf(1, 2)].Kind, kKindNote);
  EXPECT_EQ(doc_->LineLayout[SlotOf(1, 2)].Text, "Fish");
}

TEST_F(PageDialogs, EnterClosesAndCommits) {
  doc_->Botoes[SlotOf(1, 0)] = 5;
  LineEditorDialog* dialog = OpenLine(0);
  Type(dialog->Text2, "3.10");
  Type(dialog->Languages.Text3[0], "Tomato soup");
  EXPECT_EQ(doc_->PluDescription[0], "Tomato soup") << "the description follows the main text live";
  EXPECT_EQ(page_.renames.back(), "5=Tomato soup");
  EXPECT_EQ(dialog->Label1->text(), "Tomato soup");
  QTest::keyClick(dialog->Text2, Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(doc_->PluPrice[0], "3.10");
  EXPECT_EQ(doc_->Lang(5, 1), "Tomato soup");
  EXPECT_EQ(page_.refreshes, 1);

  // Opened again, it loads afresh.
  doc_->Botoes[SlotOf(1, 1)] = 12;
  dialog = OpenLine(1);
  EXPECT_EQ(dialog->Text1->text(), "12");
  QTest::keyClick(dialog->Languages.Text3[2], Qt::Key_Enter);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(page_.refreshes, 2);
}

TEST_F(PageDialogs, AutoTakesTheEnglishRowWithText) {
  service_.answers = {{"it", "Zuppa"}};
  doc_->Botoes[SlotOf(1, 4)] = 5;
  doc_->Lang(5, 2) = "Soup";
  LineEditorDialog* dialog = OpenLine(4);
  ASSERT_EQ(dialog->Languages.Lingua[1]->currentText(), "English");
  EXPECT_EQ(dialog->Languages.Text3[1]->text(), "Soup");
  Click(dialog->Languages.Command4[2]);
  WaitForTranslation(dialog->Languages);
  EXPECT_EQ(service_.Requests(), (std::vector<std::string>{"en>it:Soup"})) << "English wins over row 0";
  EXPECT_EQ(dialog->Languages.Text3[2]->text(), "Zuppa");
  EXPECT_EQ(doc_->Lang(5, 3), "Zuppa");

  // No row with text: the row is left empty and nothing is asked of the service.
  dialog->Languages.Text3[0]->clear();
  dialog->Languages.Text3[1]->clear();
  Click(dialog->Languages.Command4[2]);
  WaitForTranslation(dialog->Languages);
  EXPECT_EQ(dialog->Languages.Text3[2]->text(), "");
  EXPECT_EQ(doc_->Lang(5, 3), "");
  EXPECT_EQ(service_.Requests().size(), 1u);
}

TEST_F(PageDialogs, TranslateAllLeavesRowZeroAndAFailureKeepsTheRow) {
  service_.answers = {{"en", "Fish &amp; chips"}, {"it", "Pesce"}};
  doc_->Botoes[SlotOf(1, 3)] = 12;
  doc_->Lang(12, 4) = "Poisson";
  doc_->Lang(12, 5) = "Pescado";
  LineEditorDialog* dialog = OpenLine(3);
  Type(dialog->Languages.Text3[0], "Peixe & batatas");
  Click(dialog->Languages.TranslateAll);
  WaitForTranslation(dialog->Languages);
  auto requests = service_.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0], "pt>en:Peixe & batatas") << "the text arrives whole, its & included";
  EXPECT_EQ(requests[1], "en>it:Fish & chips");
  EXPECT_EQ(dialog->Languages.Text3[0]->text(), "Peixe & batatas");
  EXPECT_EQ(dialog->Languages.Text3[1]->text(), "Fish & chips");
  EXPECT_EQ(dialog->Languages.Text3[2]->text(), "Pesce");
  EXPECT_EQ(dialog->Languages.Text3[3]->text(), "Poisson");
  EXPECT_EQ(dialog->Languages.Text3[4]->text(), "Pescado");
  EXPECT_EQ(doc_->Lang(12, 4), "Poisson") << "a failure never reaches the document";
  EXPECT_EQ(doc_->Lang(12, 3), "Pesce");
  EXPECT_EQ(prompts_.messages, (std::vector<std::string>{"Could  not  translate  the  text,  sorry "}));
}

// The service is asked beside the window: the window answers meanwhile, an answer for a text the window no
// longer shows is dropped, and a text translated once, or corrected by hand, comes from the memory after.
TEST_F(PageDialogs, TranslationRunsBesideTheWindowAndIsRemembered) {
  service_.answers = {{"it", "Zuppa"}, {"fr", "Soupe"}};
  auto wait_for_requests = [this](size_t count) {
    for (int i = 0; i < 3000 && service_.Requests().size() < count; ++i) QTest::qWait(10);
    ASSERT_EQ(service_.Requests().size(), count);
  };
  doc_->Botoes[SlotOf(1, 4)] = 5;
  doc_->Lang(5, 2) = "Soup";
  LineEditorDialog* dialog = OpenLine(4);
  service_.Hold();
  Click(dialog->Languages.Command4[2]);
  wait_for_requests(1);
  EXPECT_TRUE(dialog->Languages.Translating());
  EXPECT_FALSE(dialog->Languages.TranslateAll->isEnabled());
  Type(dialog->Languages.Text3[4], "Sopa");
  EXPECT_EQ(doc_->Lang(5, 5), "Sopa") << "the window answers while the service is asked";
  service_.Release();
  WaitForTranslation(dialog->Languages);
  EXPECT_EQ(dialog->Languages.Text3[2]->text(), "Zuppa");
  EXPECT_TRUE(dialog->Languages.TranslateAll->isEnabled());

  service_.Hold();
  Click(dialog->Languages.Command4[3]);
  wait_for_requests(2);
  Type(dialog->Languages.Text3[1], "Broth");
  service_.Release();
  WaitForTranslation(dialog->Languages);
  EXPECT_EQ(dialog->Languages.Text3[3]->text(), "") << "the translation of \"Soup\" is not one of \"Broth\"";
  EXPECT_EQ(doc_->Lang(5, 4), "");
  EXPECT_TRUE(prompts_.messages.empty());

  // Another PLU with the same English text: from the memory, without asking.
  dialog->close();
  doc_->Botoes[SlotOf(1, 6)] = 12;
  doc_->Lang(12, 2) = "Soup";
  dialog = OpenLine(6);
  Click(dialog->Languages.Command4[2]);
  WaitForTranslation(dialog->Languages);
  EXPECT_EQ(dialog->Languages.Text3[2]->text(), "Zuppa");
  EXPECT_EQ(service_.Requests().size(), 2u);

  // A correction typed by hand wins from then on, over the menu's own texts too; it is kept as the row is
  // left, or else as the window closes.
  QApplication::setActiveWindow(dialog);
  dialog->Languages.Text3[2]->setFocus();
  Type(dialog->Languages.Text3[2], "Minestra");
  dialog->Languages.Text3[3]->setFocus();
  Type(dialog->Languages.Text3[4], "Sopa casera");
  dialog->close();
  doc_->Lang(5, 3) = "Zuppa";
  AppendPlu(*doc_, "13", "4.00", "Caldo");
  doc_->Botoes[SlotOf(1, 7)] = 13;
  doc_->Lang(13, 2) = "Soup";
  dialog = OpenLine(7);
  Click(dialog->Languages.Command4[2]);
  WaitForTranslation(dialog->Languages);
  EXPECT_EQ(dialog->Languages.Text3[2]->text(), "Minestra");
  Click(dialog->Languages.Command4[4]);
  WaitForTranslation(dialog->Languages);
  EXPECT_EQ(dialog->Languages.Text3[4]->text(), "Sopa casera");
  EXPECT_EQ(service_.Requests().size(), 2u);
}

TEST_F(PageDialogs, AnOpenWindowWritesToTheLineHandedOverLast) {
  doc_->LineLayout[SlotOf(1, 2)].Kind = kKindTitle;
  doc_->LineLayout[SlotOf(1, 2)].Text = "Starters";
  LineEditorDialog* dialog = OpenLine(2);
  page_.page = 3;
  doc_->LineLayout[SlotOf(3, 7)].Kind = kKindTitle;
  EXPECT_EQ(OpenLine(7), dialog);
  EXPECT_EQ(dialog->Languages.Text3[0]->text(), "Starters") << "shown again, not loaded again";
  Type(dialog->Languages.Text3[2], "Antipasti");
  EXPECT_EQ(doc_->Lang(10000 + SlotOf(3, 7), 3), "Antipasti");
  EXPECT_EQ(doc_->Lang(10000 + SlotOf(1, 2), 3), "");
  dialog->close();
  EXPECT_EQ(doc_->LineLayout[SlotOf(3, 7)].Text, "Starters");
}

TEST_F(PageDialogs, APluNumberWithoutALanguageRowIsToldOnce) {
  doc_->Botoes[SlotOf(1, 0)] = 12;
  LineEditorDialog* dialog = OpenLine(0);
  Type(dialog->Text1, "10001");
  Type(dialog->Languages.Text3[1], "Fish");
  Type(dialog->Languages.Text3[3], "Poisson");
  EXPECT_EQ(prompts_.messages, (std::vector<std::string>{kNoLanguageRowMessage}));
  EXPECT_EQ(doc_->Lang(10001, 2), "") << "the rows of lines are not touched";
  EXPECT_EQ(dialog->Languages.Text3[1]->text(), "Fish") << "the texts stay in the window";
  Type(dialog->Text1, "abc");
  Type(dialog->Languages.Text3[1], "Fish!");
  EXPECT_EQ(prompts_.messages.size(), 2u) << "told again for another number";
  dialog->close();
  EXPECT_EQ(doc_->PluNumber[1], "12");
  EXPECT_EQ(prompts_.messages.back(), kPluKeepsNumberMessage);
}

TEST_F(PageDialogs, LanguageNamesAreEditedOnlyWhenTicked) {
  doc_->Botoes[SlotOf(1, 0)] = 5;
  LineEditorDialog* dialog = OpenLine(0);
  QComboBox* name = dialog->Languages.Lingua[4];
  EXPECT_FALSE(name->isEnabled());
  Click(dialog->Languages.Check1);
  EXPECT_TRUE(name->isEnabled());
  name->setCurrentIndex(name->findText("Deutsch"));
  EXPECT_EQ(doc_->Lang(0, 5), "Deutsch");
  Click(dialog->Languages.Check1);
  EXPECT_FALSE(name->isEnabled());
}

TEST_F(PageDialogs, ColoursOfTheLine) {
  doc_->Botoes[SlotOf(1, 9)] = 5;
  LineEditorDialog* dialog = OpenLine(9);
  prompts_.colours = {255, std::nullopt};
  Click(dialog->Command1);
  EXPECT_EQ(doc_->LineLayout[SlotOf(1, 9)].LineBackColor, "255");
  EXPECT_EQ(dialog->Command1->property("Colour").toInt(), 255);
  Click(dialog->Command2);
  EXPECT_EQ(doc_->LineLayout[SlotOf(1, 9)].LineForeColor, "") << "a cancelled picker stores nothing";
  dialog->close();

  HandOverCatalogueRow(*doc_, 0, 5);
  dialog = Shown(ShowLineEditor(line_editor_, page_, &owner_));
  EXPECT_FALSE(dialog->Command1->isEnabled());
  Click(dialog->Option2);
  EXPECT_TRUE(dialog->Option1->isChecked()) << "a catalogue PLU stays a PLU";
  dialog->close();
}

TEST_F(PageDialogs, GroupCreationStopsAtTheNextTitledLineAndThePageEnd) {
  page_.page = 2;
  doc_->LineLayout[SlotOf(2, 9)].TitleText = "Whites";
  GroupTitleDialog* dialog = OpenTitle(5, "Reds");
  EXPECT_EQ(dialog->objectName(), "Form6");
  EXPECT_EQ(dialog->windowTitle(), "Group Title");
  EXPECT_TRUE(dialog->VisibleOnLeft->isChecked());
  EXPECT_EQ(dialog->Label1->text(), "Reds");
  EXPECT_EQ(doc_->LineLayout[SlotOf(2, 5)].TitleBackColor, "33023")
      << "the style defaults, stored on opening";
  prompts_.colours = {255};
  Click(dialog->Command1);
  prompts_.file_names = {std::nullopt};
  Click(dialog->Command5);
  EXPECT_EQ(dialog->Text1->text(), "") << "a cancelled file dialog stores nothing";
  Click(dialog->Command3);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(page_.updates, 1);
  for (int k = 5; k <= 8; ++k) EXPECT_EQ(doc_->LineLayout[SlotOf(2, k)].LineBackColor, "255") << k;
  EXPECT_EQ(doc_->LineLayout[SlotOf(2, 9)].LineBackColor, "");
  EXPECT_EQ(doc_->LineLayout[SlotOf(2, 5)].TitleMark, kTitleMarkStart);
  EXPECT_EQ(doc_->LineLayout[SlotOf(2, 5)].TitleText, "Reds");

  doc_->ProjectFolder = "/menus/bar/";
  dialog = OpenTitle(23, "Beers");
  prompts_.file_names = {std::string("/menus/bar/beer.jpg")};
  Click(dialog->Command5);
  EXPECT_EQ(dialog->Text1->text(), "beer.jpg");
  EXPECT_EQ(doc_->LineLayout[SlotOf(2, 23)].TitlePicture, "beer.jpg");
  Click(dialog->Command3);
  EXPECT_EQ(doc_->LineLayout[SlotOf(2, 23)].TitleMark, kTitleMarkStart);
  EXPECT_EQ(doc_->LineLayout[SlotOf(2, 23)].LineBackColor, "33023");
  EXPECT_EQ(doc_->LineLayout[SlotOf(3, 0)].LineBackColor, "") << "never a line of the next page";
  EXPECT_EQ(doc_->LineLayout[SlotOf(3, 0)].TitleMark, 0);
}

TEST_F(PageDialogs, RemovalClearsTheGroupsLineColours) {
  doc_->LineLayout[SlotOf(1, 4)].TitleText = "Next";
  GroupTitleDialog* dialog = OpenTitle(1, "Soups");
  Click(dialog->Command3);
  doc_->LineLayout[SlotOf(1, 2)].LineForeColor = "4321";  // a colour given in the line editor
  dialog = OpenTitle(1, "Soups");
  Type(dialog->Languages.Text3[3], "Soupes");
  EXPECT_EQ(doc_->Lang(11000 + SlotOf(1, 1), 4), "Soupes");
  Click(dialog->Command7);
  for (int k = 1; k <= 3; ++k) {
    const LineLayoutRecord& line = doc_->LineLayout[SlotOf(1, k)];
    EXPECT_EQ(line.LineBackColor, "") << k;
    EXPECT_EQ(line.LineForeColor, "") << k;
    EXPECT_EQ(line.TitleBackColor, "") << k;
    EXPECT_EQ(line.TitleMark, 0) << k;
  }
  EXPECT_EQ(doc_->LineLayout[SlotOf(1, 1)].TitleText, "Soups");

  // Enter closes, redraws and writes nothing more.
  dialog = OpenTitle(10, "");
  auto before = std::make_unique<MenuDocument>(*doc_);
  const int updates = page_.updates;
  QTest::keyClick(dialog->Text1, Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(page_.updates, updates + 1);
  EXPECT_TRUE(*doc_ == *before);
}

// ---- From the main window ----

class FromMainWindow : public test::DesignerTest {
 protected:
  void SetUp() override {
    DesignerTest::SetUp();
    LeaveWorkCopy([](MenuDocument& previous) {
      AppendPlu(previous, "1", "1.50", "Soup");
      AppendPlu(previous, "2", "2.50", "Fish");
      previous.Botoes[3] = 2;
      previous.LineLayout[5].TitleText = "Mains";
    });
    Start();
  }
};

TEST_F(FromMainWindow, LinesTitlesAndCatalogueRowsOpenTheirWindows) {
  QTest::keyClick(Child<QLineEdit>("Linhas", 3), Qt::Key_Return);
  auto* editor = window_->findChild<LineEditorDialog*>("Form5");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->isVisible());
  EXPECT_EQ(editor->Text1->text(), "2");
  EXPECT_EQ(editor->Languages.Text3[0]->text(), "Fish");
  Type(editor->Languages.Text3[0], "Grilled fish");
  auto* list = Child<QTableView>("Lista_plus", 0);
  EXPECT_EQ(list->model()->index(1, CataloguePanel::kDescriptionColumn).data().toString(), "Grilled fish")
      << "the catalogue list follows while typing";
  editor->close();
  EXPECT_EQ(Child<QLineEdit>("Linhas", 3)->text(), "Grilled fish") << "closing redraws the page";
  EXPECT_EQ(list->currentIndex().row(), 1);

  list->setCurrentIndex(list->model()->index(0, 0));
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_TRUE(editor->isVisible());
  EXPECT_FALSE(editor->Command1->isEnabled()) << "opened from the catalogue";
  EXPECT_EQ(editor->Text1->text(), "1");
  EXPECT_EQ(editor->Text2->text(), "1.50");
  Type(editor->Text2, "1.75");

  QTest::keyClick(Child<QLineEdit>("LinhasVerso", 5), Qt::Key_Return);
  auto* title = window_->findChild<GroupTitleDialog*>("Form6");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->Label1->text(), "Mains");
  QTest::mouseClick(title->Command3, Qt::LeftButton);
  EXPECT_EQ(doc_->LineLayout[5].TitleMark, kTitleMarkStart);

  window_->close();  // closing the designer closes the line editor, which commits
  EXPECT_EQ(doc_->PluPrice[0], "1.75");
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(FromMainWindow, ANumberAnotherDishHasIsRefusedNamingTheDish) {
  doc_->Lang(1, 2) = "Soup in English";
  QTest::keyClick(Child<QLineEdit>("Linhas", 3), Qt::Key_Return);  // Fish, number 2
  auto* editor = window_->findChild<LineEditorDialog*>("Form5");
  ASSERT_NE(editor, nullptr);
  Type(editor->Text1, "1");
  Type(editor->Languages.Text3[0], "Grilled fish");
  Type(editor->Languages.Text3[1], "Grilled fish in English");
  editor->close();
  EXPECT_EQ(
      prompts_.messages,
      (std::vector<std::string>{"PLU number 1 is already used by \"Soup\": the PLU keeps its number."}));
  EXPECT_EQ(doc_->PluNumber[1], "2");
  EXPECT_EQ(doc_->PluNumber[0], "1");
  EXPECT_EQ(doc_->PluDescription[0], "Soup") << "the other dish is not renamed";
  EXPECT_EQ(doc_->Lang(1, 2), "Soup in English") << "nor are its translations overwritten";
  EXPECT_EQ(doc_->Botoes[3], 2);
  EXPECT_EQ(Child<QLineEdit>("Linhas", 3)->text(), "Fish");

  // A new PLU on an empty line cannot take a number in use either.
  Child<QLineEdit>("Linhas", 6)->setText("Cake");
  QTest::keyClick(Child<QLineEdit>("Linhas", 6), Qt::Key_Return);
  ASSERT_TRUE(editor->isVisible());
  EXPECT_EQ(doc_->Botoes[6], 3) << "leaving the line made PLU 3";
  Type(editor->Text1, "2");
  editor->close();
  EXPECT_EQ(prompts_.messages.back(), "PLU number 2 is already used by \"Fish\": the PLU keeps its number.");
  EXPECT_EQ(doc_->Botoes[6], 3);
}

TEST_F(FromMainWindow, TheLineEditorStaysAboveTheDesignerAndCommitsToItsOwnLine) {
  QTest::keyClick(Child<QLineEdit>("Linhas", 3), Qt::Key_Return);  // Fish on page 1
  auto* editor = window_->findChild<LineEditorDialog*>("Form5");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->windowFlags().testFlag(Qt::Tool));
  ASSERT_NE(editor->windowHandle(), nullptr);
  EXPECT_EQ(editor->windowHandle()->transientParent(), window_->windowHandle()) << "kept above the designer";

  Type(editor->Text2, "9.99");
  QTest::mouseClick(Child<QPushButton>("Command15", 0), Qt::LeftButton);  // next page
  EXPECT_FALSE(editor->isVisible()) << "the page change closed the editor";
  EXPECT_EQ(doc_->PluPrice[1], "9.99") << "committed to the line it was opened on";
  EXPECT_EQ(doc_->NumPlus, 2);
  EXPECT_EQ(doc_->Botoes[kLinesPerPage + 3], 0) << "nothing written into page 2";
  EXPECT_EQ(doc_->LineLayout[kLinesPerPage + 3].Kind, 0);

  // Opening another line while it is open commits the first line before the second is handed over.
  QTest::mouseClick(Child<QPushButton>("Command14", 0), Qt::LeftButton);
  QTest::keyClick(Child<QLineEdit>("Linhas", 3), Qt::Key_Return);
  Type(editor->Text2, "7.77");
  Child<QLineEdit>("Linhas", 8)->setText("Cake");
  QTest::keyClick(Child<QLineEdit>("Linhas", 8), Qt::Key_Return);
  EXPECT_EQ(doc_->PluPrice[1], "7.77");
  EXPECT_TRUE(editor->isVisible());
  EXPECT_EQ(editor->Languages.Text3[0]->text(), "Cake");
  editor->close();
  EXPECT_EQ(doc_->PluPrice[1], "7.77");
  EXPECT_TRUE(prompts_.messages.empty());
}

}  // namespace
}  // namespace tabulo
