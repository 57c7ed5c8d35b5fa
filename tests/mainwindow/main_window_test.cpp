#include "designer/mainwindow/main_window.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "designer/catalogue/catalogue_panel.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/import/page_fill_dialog.h"
#include "designer/mainwindow/designer_session.h"
#include "designer/mainwindow/user_guide.h"
#include "designer/pages/page_layout.h"
#include "designer/storage/project_files.h"
#include "platform/folders.h"
#include "tests/support/designer_test.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

// A designer started in a maker folder of its own, optionally over a work copy left by a previous run.
class Designer : public test::DesignerTest {
 protected:
  // The work copy as the next start would read it.
  std::unique_ptr<MenuDocument> WorkCopy() {
    auto copy = std::make_unique<MenuDocument>();
    copy->ProjectBase = WorkBase();
    ReadProjectFiles(*copy);
    return copy;
  }

  QListWidget* List(const char* name) { return Child<QListWidget>(name); }
  // The catalogue table.
  QTableView* Plus() { return Child<QTableView>("Lista_plus"); }
  int PlusCount() { return Plus()->model()->rowCount(); }
  QVariant PlusCell(int row, int column, int role = Qt::DisplayRole) {
    return Plus()->model()->index(row, column).data(role);
  }
  QString PlusText(int row) { return PlusCell(row, CataloguePanel::kDescriptionColumn).toString(); }
  int PlusCurrent() { return Plus()->currentIndex().row(); }
  void SelectPlus(int row) { Plus()->setCurrentIndex(Plus()->model()->index(row, 0)); }
  QString PageCaption() { return Child<QLabel>("Page")->text(); }
  void TypeAndLeave(int k, const QString& text) { DesignerTest::TypeAndLeave(Line(k), text); }
};

void Catalogue(MenuDocument& doc, std::initializer_list<const char*> descriptions) {
  int number = 1;
  for (const char* description : descriptions) {
    AppendPlu(doc, std::to_string(number), std::to_string(number) + ".50", description);
    ++number;
  }
}

TEST_F(Designer, FirstStartWithoutMakerFolder) {
  ASSERT_FALSE(fs::exists(home_ / "velt"));
  Start();
  EXPECT_TRUE(fs::is_directory(home_ / "velt/temp_velt"));
  EXPECT_EQ(window_->windowTitle(), "Velt Tabulo 1. 0. 29 - untitled");
  EXPECT_EQ(window_->objectName(), "Form2");
  EXPECT_EQ(PageCaption(), "1");
  EXPECT_EQ(PlusCount(), 0);
  EXPECT_EQ(Line(0)->text(), "");
  EXPECT_EQ(Child<QLabel>("Plaque")->text(), " ") << "lettered from the last used page: none";
  EXPECT_EQ(Child<QPushButton>("Expand")->text(), "Design the Menu");
  EXPECT_EQ(window_->findChildren<QLineEdit*>("Linhas").size(), kLinesPerPage);
  EXPECT_EQ(window_->findChildren<QLabel*>("Imagem").size(), kLinesPerPage);
  EXPECT_EQ(Line(3)->geometry(), QRect(32, 96, 177, 19)) << "the grid keeps its twips geometry";
}

TEST_F(Designer, MenuBarInOrderAndItsWindowsOpen) {
  Start();
  QStringList captions;
  for (QAction* top : window_->menuBar()->actions()) {
    // The captions as the user reads them; "&" marks the mnemonic letter.
    captions << QString(top->text()).remove('&');
    if (top->menu()) {
      for (QAction* item : top->menu()->actions()) captions << "  " + QString(item->text()).remove('&');
    }
  }
  EXPECT_EQ(captions, (QStringList{"File",
                                   "  Load",
                                   "  Save",
                                   "  Save As...",
                                   "  New",
                                   "  Revert to the menu last sent",
                                   "  Print",
                                   "  Colors",
                                   "  Exit",
                                   "Edit",
                                   "  Undo",
                                   "  Redo",
                                   "  Find in the catalogue",
                                   "Import",
                                   "  Import From Last Sent PLUs",
                                   "  Import From Mercato ( XLS)",
                                   "  Import From XLS",
                                   "  Import From CSV",
                                   "  Update prices and names...",
                                   "  Lay out pages from a spreadsheet...",
                                   "  Export catalogue...",
                                   "Send",
                                   "Receive",
                                   "Upgrade Firmware",
                                   "Translate",
                                   "  Translate menu...",
                                   "  Translation settings...",
                                   "Help",
                                   "  User guide"}));
  Trigger("Print");
  EXPECT_TRUE(prompts_.messages.empty()) << "Print opens its window";
  Trigger("Colors");
  EXPECT_TRUE(prompts_.messages.empty()) << "Colors opens its window";
  bool colours_shown = false;
  bool print_shown = false;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    colours_shown = colours_shown || (window->objectName() == "Form7" && window->isVisible());
    print_shown = print_shown || (window->objectName() == "Form4" && window->isVisible());
  }
  EXPECT_TRUE(colours_shown);
  EXPECT_TRUE(print_shown);
  bool called = false;
  window_->SetMenuHandler("Print", [&] { called = true; });
  Trigger("Print");
  EXPECT_TRUE(called);

  // F1 opens the user guide, here in a text browser standing in for the desktop's program for it.
  QTextBrowser guide;
  QDesktopServices::setUrlHandler("file", &guide, "setSource");
  QTest::keyClick(window_.get(), Qt::Key_F1);
  QDesktopServices::unsetUrlHandler("file");
  EXPECT_EQ(guide.source(), QUrl::fromLocalFile(QString::fromStdString(UserGuideFile())));
  EXPECT_TRUE(guide.toPlainText().contains("Sending the menu to the terminals")) << "the guide, read";
  EXPECT_EQ(prompts_.messages.size(), 0u);
}

TEST_F(Designer, ImportFromCsvReplacesTheMenuAndListsTheCatalogue) {
  Start();
  TypeAndLeave(0, "Old soup");
  test::WriteFile(home_ / "plus.csv", "\"1\",\"Soup\",\"2.50\"\r\n\"2\",\"Fish\",\"9\"\r\n");
  prompts_.file_names = {home_ / "plus.csv"};
  Trigger("ImportCSV");
  ASSERT_EQ(prompts_.messages.size(), 2u);
  EXPECT_EQ(prompts_.messages[0], "Import Data from CSV, \"PLUCODE\",\"DESCRIPTION\",\"PRICE\"");
  EXPECT_EQ(doc_->NumPlus, 2);
  EXPECT_EQ(doc_->Botoes[0], 0) << "the import starts a new menu";
  ASSERT_EQ(PlusCount(), 2);
  EXPECT_EQ(PlusText(1), "Fish");
  EXPECT_EQ(Line(0)->text(), "");

  prompts_.file_names = {};  // cancelled: nothing changes
  Trigger("ImportFromXls");
  EXPECT_EQ(doc_->NumPlus, 2);

  // Exported, edited and brought back: the changes are shown first and applied in one step on yes.
  prompts_.file_names = {home_ / "catalogue.xlsx"};
  Trigger("ExportCatalogue");
  test::WriteFile(home_ / "update.csv", "1;Soup;2,80\n2;Fish pie;9\n3;Cake;3\n");
  prompts_.file_names = {home_ / "update.csv", home_ / "update.csv"};
  prompts_.yes_no = {false, true};
  Trigger("UpdateCatalogue");
  EXPECT_EQ(doc_->PluPrice[0], "2.50") << "answered no";
  Trigger("UpdateCatalogue");
  EXPECT_EQ(prompts_.questions.back(),
            "new 3: Cake, 3\nchanged 1: 2.50 \u2192 2.80\nchanged 2: Fish \u2192 Fish pie\n\n"
            "1 new, 2 changed, 0 missing from \"update.csv\" (kept).\nApply these changes?");
  EXPECT_EQ(doc_->NumPlus, 3);
  EXPECT_EQ(doc_->PluPrice[0], "2.80");
  ASSERT_EQ(PlusCount(), 3);
  EXPECT_EQ(PlusText(1), "Fish pie");
  EXPECT_TRUE(std::filesystem::exists(home_ / "catalogue.xlsx"));
}

TEST_F(Designer, StartsOnTheWorkCopyOfThePreviousRun) {
  LeaveWorkCopy([](MenuDocument& doc) {
    Catalogue(doc, {"Soup", "Fish", "Cake"});
    doc.Botoes[SlotOf(1, 2)] = 2;
    doc.Modifiers[0].Name = "Fish";
    doc.NumModifiers = 1;
    doc.ModifierDefs[0].Name = "Sauces";
    doc.NumModifierDefs = 1;
  });
  Start();
  EXPECT_EQ(PlusCount(), 3);
  EXPECT_EQ(PlusCell(1, 0, Qt::UserRole).toInt(), 2);
  EXPECT_EQ(List("List1")->item(0)->text(), "Fish");
  EXPECT_EQ(List("Lista_Todos_Def_Comp")->item(0)->text(), "Sauces");
  EXPECT_EQ(Line(2)->text(), "Fish");
  EXPECT_EQ(PriceBox(2)->text(), "2.50");
  EXPECT_EQ(Line(2)->property("Tag").toString(), "1");
  EXPECT_EQ(Child<QLabel>("Plaque")->text(), "L");

  Child<QCheckBox>("Check1")->click();
  ASSERT_EQ(PlusCount(), 1) << "Only Defined plus";
  EXPECT_EQ(PlusText(0), "Fish");
}

TEST_F(Designer, LeavingAnEmptyLineBindsOrCreatesThePlu) {
  LeaveWorkCopy([](MenuDocument& doc) { Catalogue(doc, {"Soup"}); });
  Start();
  TypeAndLeave(0, "Soup");
  EXPECT_EQ(doc_->Botoes[0], 1);
  EXPECT_EQ(PriceBox(0)->text(), "1.50");
  EXPECT_EQ(doc_->NumPlus, 1);

  TypeAndLeave(1, "Fish");
  EXPECT_EQ(doc_->NumPlus, 2);
  EXPECT_EQ(doc_->PluNumber[1], "2");
  EXPECT_EQ(doc_->Botoes[1], 2);
  EXPECT_EQ(Line(1)->property("Tag").toString(), "1");

  QTest::keyClicks(PriceBox(1), "4.75");
  EXPECT_EQ(doc_->PluPrice[1], "4.75");
  QTest::keyClicks(PriceBox(5), "9");
  EXPECT_EQ(doc_->PluPrice[1], "4.75") << "a price on a line without a PLU is not stored";
}

TEST_F(Designer, TypingOnAPluLineRenamesItLive) {
  LeaveWorkCopy([](MenuDocument& doc) {
    Catalogue(doc, {"Soup", "Fish"});
    doc.Botoes[SlotOf(1, 0)] = 2;
    doc.Botoes[SlotOf(2, 0)] = 1;
    doc.Modifiers[0].Name = "Fish";
    doc.NumModifiers = 1;
  });
  Start();
  QTest::keyClicks(Line(0), "es");
  EXPECT_EQ(doc_->PluDescription[1], "Fishes");
  EXPECT_EQ(PlusText(1), "Fishes");
  EXPECT_EQ(List("List1")->item(0)->text(), "Fishes");
  EXPECT_EQ(doc_->Modifiers[0].Name, "Fishes");

  // Drawing another page and coming back changes nothing.
  Click("Command15");
  EXPECT_EQ(PageCaption(), "2");
  EXPECT_EQ(Line(0)->text(), "Soup");
  Click("Command14");
  EXPECT_EQ(Line(0)->text(), "Fishes");
  EXPECT_EQ(doc_->PluDescription[0], "Soup");
  EXPECT_EQ(doc_->PluDescription[1], "Fishes");

  QTest::keyClicks(Child<QLineEdit>("LinhasVerso", 4), "Mains");
  EXPECT_EQ(doc_->LineLayout[4].TitleText, "Mains");
}

TEST_F(Designer, ArrowButtonsStepThroughTheCatalogue) {
  LeaveWorkCopy([](MenuDocument& doc) { Catalogue(doc, {"A", "B", "C"}); });
  Start();
  Click("Command12", 0);
  EXPECT_EQ(doc_->Botoes[0], 0) << "nothing selected, nothing assigned";
  SelectPlus(0);
  Click("Command12", 0);
  Click("Command12", 1);
  Click("Command12", 2);
  Click("Command12", 3);
  EXPECT_EQ(doc_->Botoes[0], 1);
  EXPECT_EQ(doc_->Botoes[1], 2);
  EXPECT_EQ(doc_->Botoes[2], 3);
  EXPECT_EQ(doc_->Botoes[3], 3) << "the last entry keeps the selection";
  EXPECT_EQ(doc_->LineLayout[1].Kind, kKindPlu);
  EXPECT_EQ(Line(1)->text(), "B");
  EXPECT_EQ(PriceBox(2)->text(), "3.50");
  EXPECT_EQ(PlusCurrent(), 2);
}

TEST_F(Designer, InsertAndDeletePage) {
  LeaveWorkCopy([](MenuDocument& doc) {
    Catalogue(doc, {"Soup", "Fish"});
    doc.Botoes[SlotOf(1, 0)] = 1;
    doc.Botoes[SlotOf(2, 0)] = 2;
    doc.PageColorA[2] = "255";
  });
  Start();
  Click("Command15");
  Click("InsertPage");
  EXPECT_EQ(PageCaption(), "2");
  EXPECT_EQ(Line(0)->text(), "") << "the new empty page";
  Click("Command15");
  EXPECT_EQ(Line(0)->text(), "Fish");
  EXPECT_EQ(doc_->PageColorA[3], "255");
  Click("Command14");
  Click("DeletePage");
  EXPECT_EQ(Line(0)->text(), "Fish") << "the former next page";
  Click("Command14");
  Click("DeletePage");
  EXPECT_EQ(Line(0)->text(), "Fish");
  EXPECT_EQ(doc_->NumPlus, 2) << "PLUs stay in the catalogue";
  Click("Command14");
  EXPECT_EQ(PageCaption(), "1");
}

TEST_F(Designer, FilterFindAddAndDelete) {
  LeaveWorkCopy([](MenuDocument& doc) { Catalogue(doc, {"Red wine", "Water", "White WINE", "Beer"}); });
  Start();
  auto* text = Child<QLineEdit>("Text1");
  QTest::keyClicks(text, "wine");
  Click("Command10");
  ASSERT_EQ(PlusCount(), 2);
  Click("Command11");
  Click("Command11");
  EXPECT_EQ(PlusCurrent(), 1);
  text->clear();
  QTest::keyClicks(text, "w");
  QTest::keyClick(text, Qt::Key_Return);  // Enter runs FILTER
  ASSERT_EQ(PlusCount(), 3);
  Click("Command11");
  EXPECT_EQ(PlusCurrent(), 0) << "a changed text starts again at the top";

  text->clear();
  Click("Command16");
  EXPECT_EQ(prompts_.messages.back(), "Please fill Plu Description!");
  QTest::keyClicks(text, "Cake");
  prompts_.inputs = {std::string("20"), std::string("3.5")};
  Click("Command16");
  EXPECT_EQ(text->text(), "");
  ASSERT_EQ(PlusCount(), 5);
  EXPECT_EQ(PlusText(4), "Cake");
  EXPECT_EQ(doc_->PluNumber[4], "20");

  SelectPlus(4);
  Click("Command9");
  EXPECT_EQ(PlusCount(), 4);
  EXPECT_EQ(PlusCurrent(), -1);
  EXPECT_EQ(doc_->PluNumber[4], "0");
}

TEST_F(Designer, CatalogueTableSearchesAsYouTypeSortsMarksTwinsAndTakesDropsLikeTheArrow) {
  LeaveWorkCopy([](MenuDocument& doc) {
    AppendPlu(doc, "7", "2.50", "Água das Pedras");
    AppendPlu(doc, "3", "11", "Œufs brouillés");
    AppendPlu(doc, "9", "4", "Crème brûlée");
    AppendPlu(doc, "7", "1.20", "Agua con gas");
  });
  Start();
  auto* search = Child<QLineEdit>("Text1");
  auto rows = [this] {
    QStringList texts;
    for (int row = 0; row < PlusCount(); ++row) texts << PlusText(row);
    return texts;
  };
  QTest::keyClicks(search, "agua");
  EXPECT_EQ(rows(), (QStringList{"Água das Pedras", "Agua con gas"})) << "found while typing, no FILTER";
  search->clear();
  QTest::keyClicks(search, "OEUFS");
  EXPECT_EQ(rows(), (QStringList{"Œufs brouillés"}));
  search->clear();
  ASSERT_EQ(PlusCount(), 4);
  EXPECT_EQ(PlusCell(1, CataloguePanel::kNumberColumn).toInt(), 3);
  EXPECT_EQ(PlusCell(3, CataloguePanel::kPriceColumn).toString(), "1.20");
  EXPECT_FALSE(PlusCell(1, 0, Qt::ToolTipRole).isValid());
  EXPECT_TRUE(PlusCell(0, 0, Qt::BackgroundRole).isValid()) << "number 7 is used twice";
  EXPECT_TRUE(PlusCell(3, 2, Qt::ToolTipRole).toString().contains("PLU number 7"));

  // Sorted by a click on a header, turned round by the next; the order outlives a new search.
  QHeaderView* header = Plus()->horizontalHeader();
  auto click_header = [header](int column) {
    QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
              header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  };
  click_header(CataloguePanel::kPriceColumn);
  EXPECT_EQ(rows(), (QStringList{"Agua con gas", "Água das Pedras", "Crème brûlée", "Œufs brouillés"}));
  click_header(CataloguePanel::kPriceColumn);
  EXPECT_EQ(rows(), (QStringList{"Œufs brouillés", "Crème brûlée", "Água das Pedras", "Agua con gas"}));
  click_header(CataloguePanel::kDescriptionColumn);
  EXPECT_EQ(rows(), (QStringList{"Agua con gas", "Água das Pedras", "Crème brûlée", "Œufs brouillés"}));
  QTest::keyClicks(search, "a");
  EXPECT_EQ(rows(), (QStringList{"Agua con gas", "Água das Pedras"}));
  search->clear();

  // A row dragged onto a line is given to it as the line's "<-" gives it: the line takes the PLU, the
  // selection steps on and the next arrow has the focus, so the next drop or click goes on from there.
  auto drop_row = [this](int row, int line) {
    std::unique_ptr<QMimeData> mime(Plus()->model()->mimeData({Plus()->model()->index(row, 1)}));
    const QPointF at = Line(line)->rect().center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, {});
    QApplication::sendEvent(Line(line), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, {});
    QApplication::sendEvent(Line(line), &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, {});
    QApplication::sendEvent(Line(line), &drop);
    EXPECT_TRUE(drop.isAccepted());
  };
  drop_row(2, 4);  // Crème brûlée
  EXPECT_EQ(doc_->Botoes[SlotOf(1, 4)], 9);
  EXPECT_EQ(doc_->LineLayout[SlotOf(1, 4)].Kind, kKindPlu);
  EXPECT_EQ(Line(4)->text(), "Crème brûlée");
  EXPECT_EQ(PriceBox(4)->text(), "4");
  EXPECT_EQ(PlusCurrent(), 3);
  EXPECT_EQ(QApplication::focusWidget(), Child<QPushButton>("Command12", 5));
  Click("Command12", 5);
  EXPECT_EQ(Line(5)->text(), "Œufs brouillés");
  EXPECT_EQ(PlusCurrent(), 3) << "the last row keeps the selection";
  for (int step = 0; step < 2; ++step) {
    window_->findChild<QMenu*>("EditMenu")->aboutToShow();
    window_->findChild<QAction*>("Undo")->trigger();
  }
  EXPECT_EQ(doc_->Botoes[SlotOf(1, 5)], 0);
  EXPECT_EQ(doc_->Botoes[SlotOf(1, 4)], 0) << "a drop is one undo step, as the arrow is";

  // A row of a list that has changed since the drag began is refused.
  QMimeData stale;
  stale.setData(CataloguePanel::kRowMimeType, "99");
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &stale, Qt::LeftButton, {});
  QApplication::sendEvent(Line(6), &enter);
  EXPECT_FALSE(enter.isAccepted());
}

TEST_F(Designer, SaveNewAndLoadThroughTheFileQuestions) {
  LeaveWorkCopy([](MenuDocument& doc) {
    Catalogue(doc, {"Soup"});
    doc.Botoes[0] = 1;
  });
  Start();
  test::TempFolder projects;
  prompts_.file_names = {projects / "menu2"};
  Trigger("Save");
  EXPECT_TRUE(fs::exists(projects / "menu2.TB1"));
  EXPECT_TRUE(fs::exists(projects / "menu2_pludata.txt"));

  Trigger("New");
  EXPECT_EQ(Line(0)->text(), "");
  EXPECT_EQ(PlusCount(), 0);
  EXPECT_EQ(doc_->PagesVersion, "1");

  Trigger("Load");  // cancelled
  EXPECT_EQ(doc_->PagesVersion, "1") << "a cancelled Load changes nothing";
  EXPECT_EQ(doc_->NumPlus, 0);

  prompts_.file_names = {projects / "menu2.TB1"};
  Trigger("Load");
  EXPECT_EQ(Line(0)->text(), "Soup");
  EXPECT_EQ(PlusCount(), 1);
  EXPECT_EQ(doc_->ProjectFolder, projects.Path() + "/");
  EXPECT_EQ(prompts_.questions.back(), "open Load " + projects.Path() + "/*.TB1")
      << "the dialog opens in the project's folder";

  prompts_.file_names = {home_ / "missing folder/menu"};
  Trigger("SaveAs");
  ASSERT_FALSE(prompts_.messages.empty());
  EXPECT_NE(prompts_.messages.back().find("could not be written"), std::string::npos);
  EXPECT_NE(prompts_.messages.back().find("missing folder"), std::string::npos);
}

// Files FreeXL faults on (found by fuzzing) or that claim a grid far larger than a catalogue: the reader
// process they are read in stops or refuses, and the designer says so and goes on with its menu.
TEST_F(Designer, DamagedXlsFilesEndTheImportWithAMessageAndKeepTheMenu) {
  LeaveWorkCopy([](MenuDocument& doc) {
    Catalogue(doc, {"Soup", "Fish", "Cake"});
    doc.Botoes[SlotOf(1, 0)] = 2;
  });
  Start();
  ASSERT_EQ(Line(0)->text(), "Fish");
  const MenuDocument before = *doc_;
  const std::string fixtures = std::string(TABULO_FIXTURES) + "/import/";
  for (const char* name :
       {"faults/freexl_stack_overread.xls", "faults/truncated.xls", "made/bomb_grid.xls"}) {
    prompts_.messages.clear();
    prompts_.file_names = {fixtures + name};
    Trigger("ImportFromXls");
    EXPECT_TRUE(*doc_ == before) << name;
    EXPECT_EQ(PlusCount(), 3) << name;
    EXPECT_EQ(Line(0)->text(), "Fish") << name;
    ASSERT_EQ(prompts_.messages.size(), 2u) << name;
    const std::string& told = prompts_.messages[1];
    EXPECT_NE(told.find("\"" + fs::path(name).filename().string() + "\""), std::string::npos) << told;
    EXPECT_NE(told.find("The menu was left as it was."), std::string::npos) << told;
  }
  EXPECT_EQ(window_->windowTitle(), "Velt Tabulo 1. 0. 29 - untitled") << "nothing to save";

  // The designer goes on reading workbooks through the same reader.
  prompts_.file_names = {fixtures + "plus.xls"};
  Trigger("ImportFromXls");
  EXPECT_GT(doc_->NumPlus, 0);
  EXPECT_EQ(PlusText(0), QString::fromStdString(doc_->PluDescription[0]));
}

TEST_F(Designer, CtrlZUndoesDelPageAnImportAndAGroupTitleAndTheTitleMarksChanges) {
  LeaveWorkCopy([](MenuDocument& doc) {
    Catalogue(doc, {"Soup", "Fish", "Cake"});
    doc.Botoes[SlotOf(1, 0)] = 1;
    doc.Botoes[SlotOf(2, 0)] = 2;
  });
  Start();
  const QString caption = "Velt Tabulo 1. 0. 29 - ";
  auto key = [this](int key, Qt::KeyboardModifiers modifiers) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : window_.get(), static_cast<Qt::Key>(key), modifiers);
  };
  auto undo_text = [this] {
    window_->findChild<QMenu*>("EditMenu")->aboutToShow();
    return window_->findChild<QAction*>("Undo")->text();
  };

  Click("DeletePage");
  ASSERT_EQ(Line(0)->text(), "Fish");
  EXPECT_EQ(window_->windowTitle(), caption + "untitled *");
  EXPECT_EQ(undo_text(), "Undo Del page");
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Line(0)->text(), "Soup");
  EXPECT_EQ(doc_->Botoes[SlotOf(2, 0)], 2);
  EXPECT_EQ(window_->windowTitle(), caption + "untitled")
      << "undone back to the menu the designer started on";
  EXPECT_EQ(window_->findChild<QAction*>("Redo")->text(), "Redo Del page");
  key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Line(0)->text(), "Fish");
  key(Qt::Key_Z, Qt::ControlModifier);
  key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Line(0)->text(), "Fish");
  key(Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(Line(0)->text(), "Soup");

  // An import replaces the whole menu, its New included; one Ctrl+Z brings it all back.
  test::WriteFile(home_ / "plus.csv", "\"1\",\"Bread\",\"2.50\"\r\n");
  prompts_.file_names = {home_ / "plus.csv"};
  Trigger("ImportCSV");
  ASSERT_EQ(doc_->NumPlus, 1);
  ASSERT_EQ(Line(0)->text(), "");
  EXPECT_EQ(undo_text(), "Undo Import From CSV");
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc_->NumPlus, 3);
  EXPECT_EQ(PlusCount(), 3);
  EXPECT_EQ(Line(0)->text(), "Soup");

  // A group title typed on the back side, undone with the focus still in it.
  QLineEdit* title = Child<QLineEdit>("LinhasVerso", 0);
  title->setFocus(Qt::MouseFocusReason);
  QTest::keyClicks(title, "Starters");
  EXPECT_EQ(doc_->LineLayout[SlotOf(1, 0)].TitleText, "Starters");
  EXPECT_EQ(undo_text(), "Undo Group title of line 1");
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc_->LineLayout[SlotOf(1, 0)].TitleText, "");
  EXPECT_EQ(title->text(), "");

  // Saved under a name: the title shows it, Save writes there again without asking.
  test::TempFolder projects;
  prompts_.file_names = {projects / "lunch"};
  Trigger("SaveAs");
  EXPECT_EQ(window_->windowTitle(), caption + "lunch.TB1");
  TypeAndLeave(3, "Tea");
  EXPECT_EQ(window_->windowTitle(), caption + "lunch.TB1 *");
  std::size_t asked = prompts_.questions.size();
  Trigger("Save");
  EXPECT_EQ(prompts_.questions.size(), asked) << "Save asks nothing once the project has a name";
  EXPECT_EQ(window_->windowTitle(), caption + "lunch.TB1");
  auto saved = std::make_unique<MenuDocument>();
  saved->ProjectBase = projects / "lunch";
  ASSERT_TRUE(ReadProjectFiles(*saved).issues.empty());
  EXPECT_EQ(saved->PluDescription[3], "Tea");
}

// A menu workbook as a spreadsheet library writes it: categories, prices as numbers, an English column.
void WriteMenuWorkbook(const std::string& path, int dishes_per_category, int categories) {
  lxw_workbook* workbook = workbook_new(path.c_str());
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Sheet1");
  int column = 0;
  for (const char* header : {"Category", "PLUCODE", "Description", "Price", "English"})
    worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(column++), header, nullptr);
  lxw_row_t row = 1;
  for (int c = 1; c <= categories; ++c) {
    for (int d = 1; d <= dishes_per_category; ++d, ++row) {
      int number = c * 100 + d;
      if (d == 1) worksheet_write_string(sheet, row, 0, ("Category " + std::to_string(c)).c_str(), nullptr);
      worksheet_write_number(sheet, row, 1, number, nullptr);
      worksheet_write_string(sheet, row, 2, ("Prato " + std::to_string(number)).c_str(), nullptr);
      worksheet_write_number(sheet, row, 3, 2.5 + d, nullptr);
      worksheet_write_string(sheet, row, 4, ("Dish " + std::to_string(number)).c_str(), nullptr);
    }
  }
  ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);
}

TEST_F(Designer, LayOutPagesShowsWhereCategoriesLandAndAppliesAsOneUndoStep) {
  LeaveWorkCopy([](MenuDocument& doc) {
    ApplyDefaultLanguageNames(doc);
    Catalogue(doc, {"Soup", "Fish"});
    doc.Botoes[SlotOf(1, 0)] = 1;
    doc.LineLayout[SlotOf(1, 0)].Kind = kKindPlu;
  });
  Start();
  auto original = std::make_unique<MenuDocument>(*doc_);
  auto preview = [this] { return window_->findChild<PageFillDialog*>("PageFillDialog"); };
  auto rows = [&] {
    QStringList shown;
    QTreeWidget* tree = preview()->Categories;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = tree->topLevelItem(i);
      shown << item->text(0) + " " + item->text(1) + " " + item->text(2);
    }
    return shown;
  };

  // Too many for the pages: shown, Apply refused; replacing page 1 makes it fit.
  WriteMenuWorkbook(home_ / "menu.xlsx", 20, 13);
  prompts_.file_names = {home_ / "menu.xlsx"};
  Trigger("LayOutPages");
  ASSERT_NE(preview(), nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(preview()));
  EXPECT_EQ(rows().size(), 13);
  EXPECT_EQ(rows().back(), "Category 13 20 does not fit");
  EXPECT_EQ(rows().front(), "Category 1 20 2");
  EXPECT_FALSE(preview()->Apply->isEnabled());
  EXPECT_TRUE(preview()->Summary->text().startsWith("The layout needs 310 lines from page 2 on"))
      << preview()->Summary->text().toStdString();
  // On its box: a check box takes clicks on its box and caption only.
  QTest::mouseClick(preview()->Replace, Qt::LeftButton, {}, QPoint(6, preview()->Replace->height() / 2));
  EXPECT_EQ(rows().front(), "Category 1 20 1");
  EXPECT_EQ(rows().back(), "Category 13 20 13");
  EXPECT_TRUE(preview()->Apply->isEnabled());
  EXPECT_EQ(preview()->Summary->text(), "260 dishes in 13 categories laid out on 13 pages (pages 1 to 13).");
  EXPECT_TRUE(*doc_ == *original) << "the preview changes nothing";

  // Cancel changes nothing either.
  QTest::mouseClick(preview()->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel),
                    Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(preview(), nullptr);
  EXPECT_TRUE(*doc_ == *original);

  // From page 3 with page 1 kept: applied, drawn, one undo step.
  WriteMenuWorkbook(home_ / "small.xlsx", 4, 2);
  prompts_.file_names = {home_ / "small.xlsx"};
  Trigger("LayOutPages");
  ASSERT_NE(preview(), nullptr);
  preview()->StartPage->setValue(3);
  EXPECT_EQ(rows(), (QStringList{"Category 1 4 3", "Category 2 4 3"}));
  QTest::mouseClick(preview()->Apply, Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(prompts_.messages.back(), "8 dishes in 2 categories laid out on 1 page (page 3).");
  EXPECT_EQ(doc_->Botoes[SlotOf(1, 0)], 1) << "page 1 kept";
  EXPECT_EQ(doc_->LineLayout[SlotOf(3, 5)].Text, "Category 2");
  EXPECT_EQ(PriceOfPlu(*doc_, 204), "6.50");
  EXPECT_EQ(doc_->Lang(204, 2), "Dish 204");
  window_->findChild<QMenu*>("EditMenu")->aboutToShow();
  EXPECT_EQ(window_->findChild<QAction*>("Undo")->text(), "Undo Lay out pages");
  window_->findChild<QAction*>("Undo")->trigger();
  EXPECT_TRUE(*doc_ == *original) << "one undo takes the whole layout back";
  window_->findChild<QAction*>("Redo")->trigger();
  Click("Command15");  // next page
  Click("Command15");
  EXPECT_EQ(PageCaption(), "3");
  EXPECT_EQ(Line(0)->text(), "Category 1");
  EXPECT_EQ(Line(1)->text(), "Prato 101");
  EXPECT_EQ(PriceBox(1)->text(), "3.50");
}

TEST_F(Designer, AutosaveAndCloseWriteTheWorkCopy) {
  Start();
  auto* timer = window_->findChild<QTimer*>("Timer1");
  ASSERT_TRUE(timer);
  EXPECT_EQ(timer->interval(), 60000);
  EXPECT_TRUE(timer->isActive());
  TypeAndLeave(0, "Soup");
  timer->start(10);
  QTRY_COMPARE_WITH_TIMEOUT(WorkCopy()->NumPlus, 1, 5000);
  timer->stop();

  TypeAndLeave(1, "Fish");
  window_->close();
  auto copy = WorkCopy();
  EXPECT_EQ(copy->NumPlus, 2);
  EXPECT_EQ(copy->PluDescription[1], "Fish");
  EXPECT_EQ(copy->Botoes[1], 2);
}

TEST_F(Designer, LayoutSwitchRestoresEveryPosition) {
  Start();
  auto geometry = [this] {
    QList<QRect> rects;
    for (const char* name : {"Linhas", "Price", "Command12"}) {
      for (QWidget* widget : window_->findChildren<QWidget*>(name)) rects << widget->geometry();
    }
    for (const char* name : {"Frame2", "Frame3", "Frame4", "Frame5", "Picture1", "Command14", "Command15",
                             "InsertPage", "DeletePage"}) {
      rects << Child<QWidget>(name)->geometry();
    }
    return rects;
  };
  auto before = geometry();
  EXPECT_FALSE(Child<QWidget>("Frame5")->isVisible());
  Click("Expand");
  EXPECT_EQ(Child<QPushButton>("Expand")->text(), "Configure the Modifiers");
  EXPECT_TRUE(Child<QWidget>("Frame5")->isVisible());
  EXPECT_FALSE(Child<QWidget>("Frame2")->isVisible());
  EXPECT_GT(Line(0)->width(), 300);
  Click("Expand");
  EXPECT_EQ(geometry(), before);
  EXPECT_TRUE(Child<QWidget>("Frame2")->isVisible());
}

TEST_F(Designer, FirmwareToolMissingAndRunShellKeepsEventsFlowing) {
  Start();
  Trigger("UpgradeFirmware");
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_NE(prompts_.messages[0].find("firmloader"), std::string::npos);
  EXPECT_NE(prompts_.messages[0].find("missing"), std::string::npos);

  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(20);
  EXPECT_EQ(window_->RunShell("sh -c \"sleep 0.3; exit 3\""), 3);
  EXPECT_GT(ticks, 3) << "events were processed while waiting";
  EXPECT_EQ(window_->RunShell("/no/such/program"), std::nullopt);
}

TEST_F(Designer, AFullCatalogueRefusesANewPluOnTheGrid) {
  LeaveWorkCopy([](MenuDocument& doc) {
    for (int i = 0; i < kMaxPlus; ++i)
      AppendPlu(doc, std::to_string(i + 1), "1", "Dish " + std::to_string(i));
  });
  Start();
  TypeAndLeave(0, "One too many");
  EXPECT_EQ(doc_->NumPlus, kMaxPlus);
  EXPECT_EQ(doc_->Botoes[0], 0);
  ASSERT_FALSE(prompts_.messages.empty());
  EXPECT_NE(prompts_.messages.back().find("full"), std::string::npos);
}

// The program's standard error goes to a file for a scope: what the terminal or the session log gets.
class StderrToFile {
 public:
  explicit StderrToFile(const std::string& path) : saved_(::dup(STDERR_FILENO)) {
    int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, STDERR_FILENO);
    ::close(file);
  }
  ~StderrToFile() {
    std::cerr.flush();
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
  }
  StderrToFile(const StderrToFile&) = delete;
  StderrToFile& operator=(const StderrToFile&) = delete;

 private:
  int saved_;
};

TEST_F(Designer, AFailedAutosaveAsksNothingButTheStatusBarShowsIt) {
  test::WriteFile(home_ / "blocker", "a file where the maker folder should be");
  ::setenv("VELT_HOME", (home_ / "blocker/velt").c_str(), 1);
  Start();
  auto status = [this](const char* name) { return Child<QLabel>(name)->text().toStdString(); };
  EXPECT_EQ(status("ProjectStatus"), "Project: untitled");
  EXPECT_EQ(status("ChangesStatus"), "No unsaved changes");
  EXPECT_EQ(status("AutosaveStatus"), "Not autosaved yet");
  EXPECT_EQ(status("SendStatus"), "Not sent yet");
  QTest::keyClicks(Line(0), "Soup");
  EXPECT_EQ(status("ChangesStatus"), "Unsaved changes") << "at the first key";

  auto* timer = window_->findChild<QTimer*>("Timer1");
  ASSERT_NE(timer, nullptr);
  {
    StderrToFile log(home_ / "stderr.txt");
    ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));  // the autosave's tick, now
  }
  std::string err = test::ReadFile(home_ / "stderr.txt");
  EXPECT_NE(err.find("work copy was not written"), std::string::npos) << err;
  EXPECT_TRUE(prompts_.messages.empty()) << "the autosave asks nothing";
  EXPECT_TRUE(status("AutosaveStatus").starts_with("Autosave failed at ")) << status("AutosaveStatus");
  const std::string shown = window_->statusBar()->currentMessage().toStdString();
  EXPECT_TRUE(shown.starts_with("The work copy was not written: ")) << shown;
  EXPECT_NE(shown.find("blocker"), std::string::npos) << "it says which file: " << shown;

  // The folder usable again: the next tick writes and says when.
  fs::remove(home_ / "blocker");
  ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));
  EXPECT_TRUE(status("AutosaveStatus").starts_with("Autosaved at ")) << status("AutosaveStatus");
  EXPECT_TRUE(fs::exists(home_ / "blocker/velt/temp_velt/temp_pludata.txt"));

  test::TempFolder projects;
  prompts_.file_names = {projects / "menu.TB1"};
  Trigger("Save");
  EXPECT_EQ(status("ProjectStatus"), "Project: menu.TB1");
  EXPECT_EQ(status("ChangesStatus"), "No unsaved changes");
}

// Every control shown in the main window's client area lies wholly inside it.
void ExpectEveryControlInside(QMainWindow* window) {
  QWidget* area = window->centralWidget();
  int checked = 0;
  for (QWidget* control : area->findChildren<QWidget*>()) {
    if (!control->isVisibleTo(window) || control->isWindow()) continue;
    const QRect on_area(control->mapTo(area, QPoint(0, 0)), control->size());
    EXPECT_TRUE(area->rect().contains(on_area))
        << control->objectName().toStdString() << " at " << on_area.x() << "," << on_area.y() << " "
        << on_area.width() << "x" << on_area.height() << " outside " << area->width() << "x"
        << area->height();
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

TEST_F(Designer, ALargerWindowScalesThePageAndThePanels) {
  LeaveWorkCopy([](MenuDocument& doc) {
    Catalogue(doc, {"Soup", "Fish"});
    doc.Botoes[0] = 1;
  });
  Start();
  QWidget* area = window_->centralWidget();
  const QSize design = area->size();
  EXPECT_EQ(design, QSize(1124, 680)) << "the design layout";
  const QRect line3 = Line(3)->geometry();
  const double font = Line(0)->font().pointSizeF();
  const QSize catalogue = Child<QWidget>("Frame3")->size();
  const QSize modifiers = Child<QWidget>("Frame2")->size();

  window_->resize(2560, 1440);
  QApplication::processEvents();
  const double x = static_cast<double>(area->width()) / design.width();
  const double y = static_cast<double>(area->height()) / design.height();
  ASSERT_GT(x, 2.2);
  ASSERT_GT(y, 1.9);
  // The page grows as one: every line where its scaled place is, its font with it.
  for (int k : {0, 3, 23}) {
    EXPECT_NEAR(Line(k)->y(), InitialLayout().linhas[k].top / 15.0 * y, 1.5) << k;
  }
  EXPECT_NEAR(Line(3)->height(), line3.height() * y, 1.5);
  EXPECT_NEAR(Line(3)->width(), line3.width() * x, 1.5);
  EXPECT_NEAR(Line(0)->font().pointSizeF(), font * std::min(x, y), 0.01);
  EXPECT_NEAR(Child<QWidget>("Frame3")->width(), catalogue.width() * x, 1.5) << "the catalogue grows too";
  EXPECT_NEAR(Child<QWidget>("Frame3")->height(), catalogue.height() * y, 1.5);
  EXPECT_NEAR(Child<QWidget>("Frame2")->width(), modifiers.width() * x, 1.5);
  ExpectEveryControlInside(window_.get());

  // The switch keeps working at any size, and a page change draws at the scale.
  Click("Expand");
  EXPECT_EQ(Child<QPushButton>("Expand")->text(), "Configure the Modifiers");
  EXPECT_TRUE(Child<QWidget>("Frame5")->isVisible());
  ExpectEveryControlInside(window_.get());
  Click("Command15");
  Click("Command14");
  EXPECT_EQ(Line(0)->text(), "Soup");
  EXPECT_NEAR(Line(0)->font().pointSizeF(), font * std::min(x, y), 0.01);
  Click("Expand");

  // The design layout is the smallest: a smaller window keeps it, geometry and fonts as designed.
  window_->resize(600, 400);
  QApplication::processEvents();
  EXPECT_EQ(area->size(), design);
  EXPECT_EQ(Line(3)->geometry(), line3);
  EXPECT_EQ(Line(0)->font().pointSizeF(), font);
  ExpectEveryControlInside(window_.get());
}

TEST_F(Designer, TheKeyboardReachesMenusLinesAndCommands) {
  LeaveWorkCopy([](MenuDocument& doc) {
    Catalogue(doc, {"Soup", "Fish", "Cake"});
    doc.Botoes[5] = 3;
    doc.Botoes[24] = 1;  // page 2, line 1
  });
  Start();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  // Every menu of the bar has a letter of its own for Alt.
  QSet<QChar> letters;
  for (QAction* top : window_->menuBar()->actions()) {
    const QString text = top->text();
    const qsizetype amp = text.indexOf('&');
    ASSERT_GE(amp, 0) << text.toStdString();
    letters.insert(text[amp + 1].toLower());
  }
  EXPECT_EQ(letters.size(), window_->menuBar()->actions().size());
  QTest::keyClick(window_.get(), Qt::Key_F, Qt::AltModifier);
  auto* file = window_->findChild<QMenu*>("FileMenu");
  EXPECT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }, 2000)) << "Alt+F opens File";
  file->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !file->isVisible(); }, 2000));
  QTest::keyClick(Line(0), Qt::Key_F10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }, 2000)) << "F10 reaches the menu bar";
  file->close();

  // Up and Down walk the lines, committing what was typed; Page Down and Page Up turn the page.
  Line(5)->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(Line(5), Qt::Key_Up);
  EXPECT_EQ(window_->focusWidget(), Line(4));
  QTest::keyClicks(Line(4), "Tea");
  QTest::keyClick(Line(4), Qt::Key_Down);
  EXPECT_EQ(window_->focusWidget(), Line(5));
  EXPECT_EQ(doc_->NumPlus, 4) << "leaving the line by key commits it";
  EXPECT_EQ(doc_->Botoes[4], 4);
  QTest::keyClick(Line(5), Qt::Key_PageDown);
  EXPECT_EQ(PageCaption(), "2");
  EXPECT_EQ(Line(0)->text(), "Soup");
  EXPECT_EQ(window_->focusWidget(), Line(5)) << "the same line of the next page";
  QTest::keyClick(Line(5), Qt::Key_PageUp);
  EXPECT_EQ(PageCaption(), "1");
  PriceBox(2)->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(PriceBox(2), Qt::Key_Down);
  EXPECT_EQ(window_->focusWidget(), PriceBox(3)) << "prices are a column too";
  Line(0)->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(Line(0), Qt::Key_Up);
  EXPECT_EQ(window_->focusWidget(), Line(0)) << "the first line stays";
  QTest::keyClick(Line(0), Qt::Key_Tab);
  EXPECT_EQ(window_->focusWidget(), PriceBox(0)) << "Tab goes along the line";

  // Enter opens the line editor on the line, a tool window of the designer that stays above it.
  QTest::keyClick(Line(5), Qt::Key_Return);
  auto* editor = window_->findChild<QWidget*>("Form5");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->isVisible());
  EXPECT_EQ(editor->windowType(), Qt::Tool);
  EXPECT_EQ(editor->parentWidget(), window_.get());
  EXPECT_EQ(doc_->Hand.EditPluNumber, 3);
  editor->close();

  // The standard shortcuts.
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  QTest::keyClick(Line(1), Qt::Key_F, Qt::ControlModifier);
  QWidget* search = Child<QWidget>("Frame3")->findChild<QLineEdit*>("Text1");
  EXPECT_EQ(window_->focusWidget(), search) << "Find goes to the catalogue's search";
  QTest::keyClick(search, Qt::Key_P, Qt::ControlModifier);
  auto* print = window_->findChild<QWidget*>("Form4");
  ASSERT_NE(print, nullptr) << "Print";
  EXPECT_TRUE(print->isVisible());
  EXPECT_EQ(print->windowType(), Qt::Tool);
  print->close();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  prompts_.file_names = {};
  QTest::keyClick(Line(1), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_FALSE(prompts_.questions.empty());
  EXPECT_TRUE(prompts_.questions.back().starts_with("save ")) << "Save As asks for a name";
  QTest::keyClick(Line(1), Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(doc_->NumPlus, 0) << "New";
  QTest::keyClick(Line(1), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc_->NumPlus, 4) << "Undo brings the menu back";
  QTest::keyClick(Line(1), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window_->isVisible()) << "Quit";
}

TEST_F(Designer, ClickingALineSelectsItsPluAndEnterOpensTheEditor) {
  LeaveWorkCopy([](MenuDocument& doc) {
    Catalogue(doc, {"Soup", "Fish", "Cake"});
    doc.Botoes[5] = 3;
  });
  Start();
  QTest::mouseClick(Line(5), Qt::LeftButton);
  EXPECT_EQ(PlusCurrent(), 2);
  SelectPlus(0);
  QTest::keyClick(Line(5), Qt::Key_Return);
  EXPECT_EQ(PlusCurrent(), 2);
  EXPECT_EQ(doc_->Hand.CurrentLine, 5);
  EXPECT_EQ(doc_->Hand.EditPluNumber, 3);
  EXPECT_EQ(doc_->Hand.EditListIndex, 2);
  EXPECT_TRUE(doc_->Hand.EditFromPage);
  auto* editor = window_->findChild<QWidget*>("Form5");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->isVisible());
  EXPECT_TRUE(prompts_.messages.empty());
  editor->close();
  QTest::keyClick(Line(6), Qt::Key_Return);
  EXPECT_FALSE(editor->isVisible()) << "a blank line opens nothing";
}

TEST_F(Designer, EveryCommandTakesTheLineBeingTypedFirst) {
  Start();
  test::TempFolder projects;
  // Typed, the focus still in the line, then straight to a menu.
  Line(0)->setFocus(Qt::MouseFocusReason);
  QTest::keyClicks(Line(0), "Soup");
  prompts_.file_names = {projects / "menu.TB1"};
  Trigger("Save");
  auto saved = std::make_unique<MenuDocument>();
  LoadProject(*saved, projects / "menu.TB1");
  ASSERT_EQ(saved->NumPlus, 1);
  EXPECT_EQ(saved->PluDescription[0], "Soup");
  EXPECT_EQ(saved->Botoes[0], 1);

  Line(1)->setFocus(Qt::MouseFocusReason);
  QTest::keyClicks(Line(1), "Fish");
  window_->close();
  auto copy = WorkCopy();
  ASSERT_EQ(copy->NumPlus, 2);
  EXPECT_EQ(copy->PluDescription[1], "Fish");
  EXPECT_EQ(copy->Botoes[1], 2);
}

TEST_F(Designer, SavingIntoTheWorkFolderIsRefusedAndLoadingAProjectKeptThereKeepsIt) {
  Start();
  TypeAndLeave(0, "Soup");
  prompts_.file_names = {WorkFolder() + "mine.TB1"};
  Trigger("Save");
  EXPECT_EQ(prompts_.messages, (std::vector<std::string>{kSaveInWorkFolderMessage}));
  EXPECT_FALSE(fs::exists(WorkFolder() + "mine.TB1"));
  prompts_.file_names = {home_ / "velt/temp_velt/../temp_velt/mine"};
  Trigger("Save");
  EXPECT_EQ(prompts_.messages.size(), 2u) << "however the folder is spelled";
  EXPECT_FALSE(fs::exists(WorkFolder() + "mine.TB1"));

  // A project an older designer saved there.
  auto old = std::make_unique<MenuDocument>();
  Catalogue(*old, {"Old soup", "Old fish"});
  ASSERT_TRUE(SaveProjectAs(*old, WorkFolder() + "old.TB1").ok);
  prompts_.file_names = {WorkFolder() + "old.TB1"};
  Trigger("Load");
  EXPECT_EQ(doc_->NumPlus, 2);
  ASSERT_EQ(PlusCount(), 2);
  EXPECT_EQ(PlusText(1), "Old fish");
}

// A program of the build run in the background, its standard output read line by line.
class Background {
 public:
  Background(const std::string& program, const std::vector<std::string>& args) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<std::string> words = {program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    out_ = out[0];
  }
  ~Background() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
    if (out_ >= 0) ::close(out_);
  }
  std::string ReadLine() {
    std::string line;
    char c;
    while (::read(out_, &c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
  }
  void Signal(int signal_number) { ::kill(pid_, signal_number); }
  // The exit code, or 128 + the signal that ended it.
  int Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

// A designer process with a line typed, a second designer on its maker folder, then the first one ended
// from outside as a shutdown or a kill does it.
TEST_F(Designer, OneDesignerPerFolderAndAnEndedOneKeepsWhatWasTyped) {
  const std::string first_designer =
      std::string(TABULO_BINARY_DIR) + "/tests/mainwindow/designer_with_typed_line";
  for (int signal_number : {SIGTERM, SIGHUP, SIGINT}) {
    fs::remove_all(home_ / "velt");
    LeaveWorkCopy([](MenuDocument& doc) { Catalogue(doc, {"Bread"}); });
    const std::string dish = "Soup " + std::to_string(signal_number);
    Background first(first_designer, {dish});
    ASSERT_EQ(first.ReadLine(), "ready");

    // The second designer is told who has the folder, and reads and writes nothing.
    auto second_doc = std::make_unique<MenuDocument>();
    ScriptedPrompts second_prompts;
    {
      MainWindow second(*second_doc, second_prompts);
      EXPECT_TRUE(second.Refused());
      ASSERT_EQ(second_prompts.messages.size(), 1u);
      EXPECT_NE(second_prompts.messages[0].find("Another Tabulo designer (process "), std::string::npos)
          << second_prompts.messages[0];
      EXPECT_EQ(second_doc->NumPlus, 0);
      second.close();
    }
    EXPECT_EQ(WorkCopy()->NumPlus, 1) << "the second designer wrote no work copy";

    first.Signal(signal_number);
    EXPECT_EQ(first.Wait(), 0) << "the designer ends by itself on signal " << signal_number;
    auto copy = WorkCopy();
    ASSERT_EQ(copy->NumPlus, 2) << "signal " << signal_number;
    EXPECT_EQ(copy->PluDescription[1], dish);
    EXPECT_EQ(copy->Botoes[0], 2) << "the typed line is bound to its PLU";
  }
  // The folder is free again.
  Start();
  EXPECT_FALSE(window_->Refused());
  EXPECT_EQ(doc_->PluDescription[1], "Soup " + std::to_string(SIGINT));
}

}  // namespace
}  // namespace tabulo
