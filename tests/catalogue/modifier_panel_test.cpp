// The modifier panel driven through its real widgets, beside the catalogue panel it takes PLUs from, and
// once inside the designer's main window.

#include "designer/catalogue/modifier_panel.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "designer/catalogue/catalogue_panel.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/mainwindow/main_window.h"
#include "designer/pages/page_grid_widget.h"
#include "designer/storage/project_files.h"
#include "tests/support/designer_test.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

void ClickRow(QListWidget* list, int row) {
  QListWidgetItem* item = list->item(row);
  ASSERT_TRUE(item) << list->objectName().toStdString() << " has no row " << row;
  list->scrollToItem(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void ClickRow(QTableView* table, int row) {
  const QModelIndex index = table->model()->index(row, CataloguePanel::kDescriptionColumn);
  ASSERT_TRUE(index.isValid()) << table->objectName().toStdString() << " has no row " << row;
  table->scrollTo(index);
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
}

QStringList Rows(const QListWidget* list) {
  QStringList rows;
  for (int j = 0; j < list->count(); ++j) rows << list->item(j)->text();
  return rows;
}

std::vector<int> CheckedRows(const QListWidget* list) {
  std::vector<int> rows;
  for (int j = 0; j < list->count(); ++j) {
    if (list->item(j)->checkState() == Qt::Checked) rows.push_back(j);
  }
  return rows;
}

void Define(MenuDocument& doc, const std::string& name, std::initializer_list<int32_t> members) {
  ModifierDefRecord& def = doc.ModifierDefs[doc.NumModifierDefs++];
  def.Name = name;
  for (int32_t plu : members) {
    def.PluCode[def.Count] = plu;
    def.PluDesc[def.Count++] = DescriptionOfPlu(doc, plu);
  }
}

void GiveLevels(MenuDocument& doc, const std::string& name, std::initializer_list<const char*> levels,
                int32_t maximum = 1) {
  ModifierRecord& record = doc.Modifiers[doc.NumModifiers++];
  record.Name = name;
  for (const char* level : levels) {
    record.LevelName[record.NumLevels] = level;
    record.Maximo[record.NumLevels++] = maximum;
  }
}

// Catalogue rows: 0 Steak (1), 1 Fish (2), 2 Mayo (3), 3 Aioli (4), 4 Ketchup (5), 5 Chips (6).
class Panel : public ::testing::Test {
 protected:
  Panel() {
    int number = 1;
    for (const char* name : {"Steak", "Fish", "Mayo", "Aioli", "Ketchup", "Chips"}) {
      AppendPlu(doc, std::to_string(number++), "1", name);
    }
    Define(doc, "Sauces", {3, 4, 5});
    Define(doc, "Sides", {6});
  }

  void Start() {
    window_ = std::make_unique<QWidget>();
    catalogue_ = new CataloguePanel(doc, prompts_, window_.get());
    PlaceAt(catalogue_, {60, 60, 4200, 9960});
    panel_ = new ModifierPanel(doc, prompts_, *catalogue_, window_.get());
    PlaceAt(panel_, {4320, 60, 7980, 9960});
    // What the main window's Refresh_Page does with the two panels.
    auto refresh = [this] {
      panel_->Fill();
      catalogue_->Fill();
    };
    QObject::connect(panel_, &ModifierPanel::RefreshRequested, refresh);
    QObject::connect(catalogue_, &CataloguePanel::RefreshRequested, refresh);
    panel_->SyncModifierPanel = true;
    refresh();
    window_->resize(TwipsToPixels(12400), TwipsToPixels(10200));
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  QTableView* Plus() { return catalogue_->Lista_plus; }
  QListWidget* Records() { return panel_->List1; }
  QListWidget* Levels() { return panel_->Lista_def_complementos; }
  QListWidget* Members() { return panel_->Lista_Complementos; }
  QListWidget* AllDefs() { return panel_->Lista_Todos_Def_Comp; }
  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  bool LevelShown() { return panel_->Frame1->isVisibleTo(panel_); }

  // Ticks or clears a member's check box with the keyboard, as the user may.
  void Toggle(int row) {
    ClickRow(Members(), row);
    QTest::keyClick(Members(), Qt::Key_Space);
  }
  void Retype(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
  }

  std::unique_ptr<MenuDocument> doc_ = std::make_unique<MenuDocument>();
  MenuDocument& doc = *doc_;
  ScriptedPrompts prompts_;
  std::unique_ptr<QWidget> window_;
  CataloguePanel* catalogue_ = nullptr;
  ModifierPanel* panel_ = nullptr;
};

TEST_F(Panel, AddingALevelToAPluWithoutARecordCreatesTheRecordOnce) {
  Start();
  EXPECT_EQ(Rows(AllDefs()), (QStringList{"Sauces", "Sides"}));
  ClickRow(Plus(), 0);
  EXPECT_EQ(Records()->count(), 0);
  ClickRow(AllDefs(), 0);
  EXPECT_EQ(Rows(Members()), (QStringList{"Mayo", "Aioli", "Ketchup"}));
  Click(panel_->Command8);

  ASSERT_EQ(doc.NumModifiers, 1);
  const ModifierRecord& steak = doc.Modifiers[0];
  EXPECT_EQ(steak.Name, "Steak");
  ASSERT_EQ(steak.NumLevels, 1);
  EXPECT_EQ(steak.LevelName[0], "Sauces");
  EXPECT_EQ(steak.Maximo[0], 1);
  EXPECT_EQ(steak.Minimo[0], 0);
  EXPECT_EQ(Rows(Records()), (QStringList{"Steak"}));
  EXPECT_EQ(Records()->currentRow(), 0);
  EXPECT_EQ(Rows(Levels()), (QStringList{"Sauces"}));
  EXPECT_EQ(Levels()->currentRow(), 0) << "the new level is shown";
  EXPECT_TRUE(LevelShown());
  EXPECT_EQ(panel_->minimo->text(), "0");
  EXPECT_EQ(panel_->maximo->text(), "1");
  EXPECT_EQ(Rows(Members()), (QStringList{"Mayo", "Aioli", "Ketchup"}));
  EXPECT_EQ(Members()->item(1)->data(Qt::UserRole).toInt(), 4);

  // The same definition again leaves one level; Enter in "All Modifiers" adds another.
  ClickRow(AllDefs(), 0);
  Click(panel_->Command8);
  EXPECT_EQ(doc.Modifiers[0].NumLevels, 1);
  EXPECT_EQ(doc.NumModifiers, 1);
  ClickRow(AllDefs(), 1);
  QTest::keyClick(AllDefs(), Qt::Key_Return);
  EXPECT_EQ(Rows(Levels()), (QStringList{"Sauces", "Sides"}));
  EXPECT_EQ(Levels()->currentRow(), 1);
  EXPECT_EQ(Rows(Members()), (QStringList{"Chips"}));
}

TEST_F(Panel, ChecksStopAtTheMaximumAndNeedALevel) {
  GiveLevels(doc, "Steak", {"Sauces"}, 2);
  Start();
  ClickRow(Plus(), 0);  // the catalogue brings the panel to Steak and its first level
  EXPECT_EQ(Records()->currentRow(), 0);
  EXPECT_EQ(Levels()->currentRow(), 0);
  ASSERT_TRUE(LevelShown());
  EXPECT_EQ(panel_->maximo->text(), "2");
  Toggle(0);
  Toggle(1);
  Toggle(2);
  EXPECT_EQ(CheckedRows(Members()), (std::vector<int>{0, 1}));
  EXPECT_EQ(doc.Modifiers[0].Default[0], 3);
  Toggle(0);
  EXPECT_EQ(doc.Modifiers[0].Default[0], 2);

  // Members shown from "All Modifiers" belong to no level: none can be checked.
  ClickRow(AllDefs(), 0);
  EXPECT_FALSE(LevelShown());
  EXPECT_EQ(Levels()->currentRow(), -1);
  EXPECT_EQ(CheckedRows(Members()), std::vector<int>{});
  Toggle(1);
  EXPECT_EQ(CheckedRows(Members()), std::vector<int>{});
  EXPECT_EQ(doc.Modifiers[0].Default[0], 2);
}

TEST_F(Panel, DefaultsAreStoredAndShownAgainWhileShowingWritesNothing) {
  GiveLevels(doc, "Steak", {"Sauces", "Sides"}, 3);
  Start();
  ClickRow(Records(), 0);
  EXPECT_FALSE(LevelShown());
  ClickRow(Levels(), 0);
  Toggle(0);
  Toggle(2);
  EXPECT_EQ(doc.Modifiers[0].Default[0], 5);
  ClickRow(Levels(), 1);
  EXPECT_EQ(CheckedRows(Members()), std::vector<int>{});
  ClickRow(Levels(), 0);
  EXPECT_EQ(CheckedRows(Members()), (std::vector<int>{0, 2}));

  Retype(panel_->minimo, "2");
  Retype(panel_->maximo, "abc");
  EXPECT_EQ(doc.Modifiers[0].Minimo[0], 2);
  EXPECT_EQ(doc.Modifiers[0].Maximo[0], 0);
  // "Mandatory" is the level's own: set on one, not shown on the other, shown again on the first.
  ASSERT_TRUE(panel_->obrigatorio->isVisibleTo(panel_));
  QTest::mouseClick(panel_->obrigatorio, Qt::LeftButton, {}, QPoint(6, panel_->obrigatorio->height() / 2));
  EXPECT_EQ(doc.Modifiers[0].Obrigatorio[0], 1);
  ClickRow(Levels(), 1);
  EXPECT_FALSE(panel_->obrigatorio->isChecked());
  ClickRow(Levels(), 0);
  EXPECT_TRUE(panel_->obrigatorio->isChecked());
  QTest::mouseClick(panel_->obrigatorio, Qt::LeftButton, {}, QPoint(6, panel_->obrigatorio->height() / 2));
  EXPECT_EQ(doc.Modifiers[0].Obrigatorio[0], 0);

  // A stored level the check box rule would not allow is shown as it is, and showing it writes nothing.
  doc.Modifiers[0].Maximo[1] = 0;
  doc.Modifiers[0].Default[1] = 1;
  doc.Modifiers[0].Minimo[1] = 4;
  const MenuDocument before = doc;
  ClickRow(Levels(), 1);
  ClickRow(Records(), 0);
  ClickRow(Levels(), 1);
  EXPECT_EQ(CheckedRows(Members()), std::vector<int>{0});
  EXPECT_EQ(panel_->minimo->text(), "4");
  EXPECT_TRUE(panel_->MemberClicksEnabled);
  EXPECT_TRUE(doc == before);
}

TEST_F(Panel, RemovalsMoveTheLastEntryIntoPlace) {
  Define(doc, "Drinks", {});
  GiveLevels(doc, "Steak", {"Sauces", "Sides", "Drinks"});
  GiveLevels(doc, "Fish", {});
  GiveLevels(doc, "Chips", {"Sauces"});
  Start();

  ClickRow(Records(), 0);
  ClickRow(Levels(), 0);
  ClickRow(Members(), 0);
  Click(panel_->Command2);
  EXPECT_EQ(Rows(Members()), (QStringList{"Ketchup", "Aioli"}));
  EXPECT_EQ(doc.ModifierDefs[0].Count, 2);
  EXPECT_EQ(doc.ModifierDefs[0].PluCode[0], 5);

  Click(panel_->Command7);
  EXPECT_EQ(Rows(Levels()), (QStringList{"Drinks", "Sides"}));
  EXPECT_EQ(doc.Modifiers[0].LevelName[0], "Drinks");
  EXPECT_EQ(Levels()->currentRow(), -1);
  EXPECT_EQ(Members()->count(), 0);

  Click(panel_->Command4);
  EXPECT_EQ(Rows(Records()), (QStringList{"Chips", "Fish"}));
  EXPECT_EQ(doc.Modifiers[0].LevelName[0], "Sauces") << "the last record came with its levels";
  EXPECT_EQ(Levels()->count(), 0);

  Click(panel_->Command4);  // nothing selected: nothing removed
  EXPECT_EQ(doc.NumModifiers, 2);
}

TEST_F(Panel, ADeletedDefinitionLeavesItsLevelShowingNoMembers) {
  GiveLevels(doc, "Steak", {"Sauces"});
  Start();
  ClickRow(AllDefs(), 0);
  Click(panel_->Command6);
  EXPECT_EQ(Rows(AllDefs()), (QStringList{"Sides"}));
  EXPECT_EQ(doc.NumModifierDefs, 1);
  EXPECT_EQ(doc.Modifiers[0].LevelName[0], "Sauces");
  ClickRow(Records(), 0);
  ClickRow(Levels(), 0);
  EXPECT_TRUE(LevelShown());
  EXPECT_EQ(Members()->count(), 0);
}

TEST_F(Panel, ANewModifierNeedsANameACancelledBoxCreatesNothing) {
  Start();
  Click(panel_->Command5);
  EXPECT_EQ(prompts_.questions, (std::vector<std::string>{" New Modifier"}));
  EXPECT_EQ(doc.NumModifierDefs, 2);
  EXPECT_EQ(Rows(AllDefs()), (QStringList{"Sauces", "Sides"}));
  EXPECT_TRUE(prompts_.messages.empty());

  prompts_.inputs = {std::string(""), std::string("Drinks")};
  Click(panel_->Command5);
  EXPECT_EQ(prompts_.messages, (std::vector<std::string>{kModifierNameRequiredMessage}));
  EXPECT_EQ(Rows(AllDefs()), (QStringList{"Sauces", "Sides"}));
  Click(panel_->Command5);
  EXPECT_EQ(Rows(AllDefs()), (QStringList{"Sauces", "Sides", "Drinks"}));
}

TEST_F(Panel, AddingMembersStepsThroughTheCatalogue) {
  Define(doc, "Extras", {});
  Start();
  ClickRow(AllDefs(), 2);
  Click(panel_->Command1);
  EXPECT_EQ(doc.ModifierDefs[2].Count, 0) << "no PLU selected, none added";

  ClickRow(Plus(), 3);  // Aioli
  ClickRow(AllDefs(), 2);
  Click(panel_->Command1);
  Click(panel_->Command1);
  Click(panel_->Command1);
  Click(panel_->Command1);
  EXPECT_EQ(Rows(Members()), (QStringList{"Aioli", "Ketchup", "Chips", "Chips"}));
  EXPECT_EQ(doc.ModifierDefs[2].PluCode[2], 6);
  EXPECT_EQ(Plus()->currentIndex().row(), 5) << "the last row keeps the selection";
  EXPECT_TRUE(panel_->SyncModifierPanel);

  // Removing a member removes every member of that text.
  ClickRow(Members(), 3);
  Click(panel_->Command2);
  EXPECT_EQ(Rows(Members()), (QStringList{"Aioli", "Ketchup"}));
}

TEST_F(Panel, FullTablesAreToldAndNothingIsAdded) {
  GiveLevels(doc, "Steak", {"L0", "L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9", "L10"});
  Start();
  ClickRow(Plus(), 0);
  ClickRow(AllDefs(), 0);
  const MenuDocument before = doc;
  Click(panel_->Command8);
  EXPECT_TRUE(doc == before);
  EXPECT_EQ(prompts_.messages, (std::vector<std::string>{kLevelsFullMessage}));

  for (int i = doc.NumModifiers; i < kMaxModifiers; ++i) GiveLevels(doc, "PLU " + std::to_string(i), {});
  ClickRow(Plus(), 1);  // Fish has no record and there is no room for one
  ClickRow(AllDefs(), 0);
  const MenuDocument full = doc;
  Click(panel_->Command8);
  EXPECT_TRUE(doc == full);
  EXPECT_EQ(prompts_.messages.back(), kModifierRecordsFullMessage);
}

// A project whose level names a cooking point that is chosen by default ("Médio") before its definition
// has members: filling the definition, deleting it and making it again keep the stored default, in the
// document and in the saved modifiers file, until a member row is clicked.
TEST_F(Panel, StoredDefaultsOutliveEditsOfTheirDefinition) {
  test::TempFolder folder;
  const std::string project = folder / "menu.TB1";
  const std::string modifiers_file = folder / "menu_modifiers.txt";
  const std::string kStoredModifiers = "Bife\r\nPonto\r\nmaximo  1\r\ndefault  2\r\n\r\n";
  {
    auto written = std::make_unique<MenuDocument>();
    int number = 1;
    for (const char* name : {"Bife", "Mal passado",
                             "M\xc3\xa9"
                             "dio",
                             "Bem passado"}) {
      AppendPlu(*written, std::to_string(number++), "1", name);
    }
    Define(*written, "Ponto", {});
    GiveLevels(*written, "Bife", {"Ponto"});
    written->Modifiers[0].Default[0] = 2;  // member 1, "Médio", once the definition has it
    ASSERT_TRUE(SaveProjectAs(*written, project).ok);
  }
  ASSERT_EQ(test::ReadFile(modifiers_file), kStoredModifiers);
  LoadProject(doc, project);
  Start();

  auto add_members = [&] {
    ClickRow(Plus(), 1);  // "Mal passado", then the two after it
    ClickRow(AllDefs(), 0);
    for (int i = 0; i < 3; ++i) Click(panel_->Command1);
  };
  auto shown_defaults = [&] {
    ClickRow(Records(), 0);
    ClickRow(Levels(), 0);
    return CheckedRows(Members());
  };
  add_members();
  EXPECT_EQ(Rows(Members()), (QStringList{"Mal passado", "M\u00e9dio", "Bem passado"}));
  EXPECT_EQ(doc.Modifiers[0].Default[0], 2);
  EXPECT_EQ(shown_defaults(), std::vector<int>{1});
  ASSERT_TRUE(SaveProjectAs(doc, project).ok);
  EXPECT_EQ(test::ReadFile(modifiers_file), kStoredModifiers);

  // Deleted: the level keeps its name and its default; made again and filled: "Médio" is the default again.
  ClickRow(AllDefs(), 0);
  Click(panel_->Command6);
  EXPECT_EQ(doc.NumModifierDefs, 0);
  EXPECT_EQ(doc.Modifiers[0].Default[0], 2);
  ASSERT_TRUE(SaveProjectAs(doc, project).ok);
  EXPECT_EQ(test::ReadFile(modifiers_file), kStoredModifiers);
  prompts_.inputs = {std::string("Ponto")};
  Click(panel_->Command5);
  add_members();
  ASSERT_TRUE(SaveProjectAs(doc, project).ok);
  EXPECT_EQ(test::ReadFile(modifiers_file), kStoredModifiers);

  auto read = std::make_unique<MenuDocument>();
  LoadProject(*read, project);
  EXPECT_EQ(read->Modifiers[0].Default[0], 2);
  EXPECT_EQ(read->ModifierDefs[0].Count, 3);
  EXPECT_EQ(shown_defaults(), std::vector<int>{1});

  // Only a click on a member row changes it.
  Toggle(1);
  Toggle(2);
  EXPECT_EQ(doc.Modifiers[0].Default[0], 4);
  ASSERT_TRUE(SaveProjectAs(doc, project).ok);
  EXPECT_EQ(test::ReadFile(modifiers_file), "Bife\r\nPonto\r\nmaximo  1\r\ndefault  4\r\n\r\n");
}

// The panel in the designer: the page's lines and "Refresh_Page" drive it.
using InDesigner = test::DesignerTest;

TEST_F(InDesigner, ALineClickShowsThePlusFirstLevel) {
  Start();
  MenuDocument& doc = *doc_;
  AppendPlu(doc, "1", "9", "Steak");
  AppendPlu(doc, "2", "1", "Mayo");
  Define(doc, "Sauces", {2});
  GiveLevels(doc, "Steak", {"Sauces"});
  doc.Modifiers[0].Default[0] = 1;
  doc.Botoes[SlotOf(1, 3)] = 1;
  window_->Refresh_Page();

  auto* panel = window_->findChild<ModifierPanel*>("Frame2");
  ASSERT_TRUE(panel);
  EXPECT_TRUE(panel->SyncModifierPanel);
  EXPECT_EQ(Rows(panel->List1), (QStringList{"Steak"}));
  QTest::mouseClick(window_->findChildren<QLineEdit*>("Linhas")[3], Qt::LeftButton);
  EXPECT_EQ(panel->List1->currentRow(), 0);
  EXPECT_EQ(panel->Lista_def_complementos->currentRow(), 0);
  EXPECT_EQ(Rows(panel->Lista_Complementos), (QStringList{"Mayo"}));
  EXPECT_EQ(CheckedRows(panel->Lista_Complementos), std::vector<int>{0});
  EXPECT_TRUE(panel->Frame1->isVisible());

  // A new definition refreshes the whole window; File > New empties the panel.
  prompts_.inputs = {std::string("Drinks")};
  QTest::mouseClick(panel->Command5, Qt::LeftButton);
  EXPECT_EQ(Rows(panel->Lista_Todos_Def_Comp), (QStringList{"Sauces", "Drinks"}));
  EXPECT_EQ(window_->findChild<QTableView*>("Lista_plus")->model()->rowCount(), 2);
  window_->findChild<QAction*>("New")->trigger();
  for (QListWidget* list : {panel->List1, panel->Lista_def_complementos, panel->Lista_Complementos,
                            panel->Lista_Todos_Def_Comp}) {
    EXPECT_EQ(list->count(), 0) << list->objectName().toStdString();
  }
}

}  // namespace
}  // namespace tabulo
