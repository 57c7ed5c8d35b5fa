#include "designer/history/undo_history.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "designer/pages/line_moves.h"
#include "designer/pages/page_operations.h"
#include "designer/pages/page_settings.h"
#include "designer/storage/project_files.h"
#include "designer/storage/project_layout.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

// Every file a save writes, concatenated with the names: the document as the writer sees it.
std::string WrittenBytes(const MenuDocument& doc, const test::TempFolder& folder, int n) {
  auto copy = std::make_unique<MenuDocument>(doc);
  copy->ProjectBase = folder / ("state" + std::to_string(n));
  EXPECT_TRUE(WriteProjectFiles(*copy).ok);
  std::string all;
  for (const char* suffix : {kPluDataFile, kModifiersFile, kModifierDefinitionsFile, kBotoesFile,
                             kPrinterFile, kLayoutFile, kLanguagesFile, kPagesVersionFile}) {
    all += suffix;
    all += '\n' + test::ReadFile(copy->ProjectBase + suffix);
  }
  return all;
}

TEST(UndoHistory, EveryKindOfStepUndoneAndRedoneGivesBackTheSameFiles) {
  test::TempFolder folder;
  auto doc = test::FullMenu();
  doc->ProjectBase = folder / "menu";
  doc->ProjectFolder = folder.Path() + "/";
  doc->ProjectPath = folder / "menu.TB1";
  auto other = test::FullMenu();  // what a Load brings in
  other->PluPrice[5] = "99.99";
  other->Lang(7, 2) = "elsewhere";
  other->ProjectBase = folder / "other";
  other->ProjectFolder = folder.Path() + "/sub/";
  other->ProjectPath = folder / "sub/other.TB1";

  const std::vector<std::pair<std::string, std::function<void(MenuDocument&)>>> steps = {
      {"Del page", [](MenuDocument& d) { DeletePage(d, 3); }},
      {"Ins page", [](MenuDocument& d) { InsertPage(d, 1); }},
      {"Move up", [](MenuDocument& d) { MoveLinesUp(d, 2, 5); }},
      {"Move down", [](MenuDocument& d) { MoveLinesDown(d, 4, 0); }},
      {"Delete line", [](MenuDocument& d) { DeleteLine(d, 5, 7); }},
      {"Background",
       [](MenuDocument& d) {
         StoreSideColour(d, 2, 1, 255);
         StoreSidePicture(d, 2, 2, "/pictures/back.jpg");
       }},
      {"Colors",
       [](MenuDocument& d) {
         StoreStyleColour(d, kStyleTitle, true, 65280);
         StoreDefaultPageColour(d, 123);
       }},
      {"Group title",
       [](MenuDocument& d) {
         d.LineLayout[SlotOf(6, 2)].TitleText = "Desserts";
         d.LineLayout[SlotOf(6, 2)].TitleMark = kTitleMarkStart;
         d.Lang(kLangRowTitleText + SlotOf(6, 2), 3) = "Dolci";
       }},
      {"Line editor",
       [](MenuDocument& d) {
         d.PluDescription[10] = "Soup of the day";
         d.PluPrice[10] = "4.20";
         d.Lang(10, 2) = "Zuppa";
       }},
      {"Modifiers",
       [](MenuDocument& d) {
         d.Modifiers[3].Minimo[1] = 2;
         d.ModifierDefs[4].PluCode[2] = 77;
         d.NumModifierDefs = 50;
       }},
      {"Settings",
       [](MenuDocument& d) {
         d.MarginY = 61.5f;
         d.Currency = "$";
       }},
      {"Translate Menu",
       [](MenuDocument& d) {
         for (int row = 1; row < 3000; ++row) d.Lang(row, 4) = "t" + std::to_string(row);
       }},
      {"New", [](MenuDocument& d) { ResetDocument(d); }},
      {"Load",
       [&other](MenuDocument& d) {
         std::string base = d.ProjectBase;  // the work copy's, which a load keeps
         d = *other;
         d.ProjectBase = base;
       }},
  };

  UndoHistory history(*doc);
  std::vector<std::string> states = {WrittenBytes(*doc, folder, 0)};
  for (const auto& [name, change] : steps) {
    UndoStep step(history, name);
    change(*doc);
  }
  // States again, step by step, on a second document: what each step should give.
  auto replay = test::FullMenu();
  replay->ProjectBase = doc->ProjectBase;
  replay->ProjectFolder = doc->ProjectFolder;
  replay->ProjectPath = doc->ProjectPath;
  for (const auto& [name, change] : steps) {
    change(*replay);
    states.push_back(WrittenBytes(*replay, folder, static_cast<int>(states.size())));
  }
  ASSERT_EQ(history.UndoCount(), static_cast<int>(steps.size()));
  EXPECT_EQ(history.UndoName(), "Load");
  EXPECT_EQ(doc->ProjectPath, other->ProjectPath);

  for (int i = static_cast<int>(steps.size()); i > 0; --i) {
    ASSERT_EQ(history.UndoName(), steps[i - 1].first);
    ASSERT_TRUE(history.Undo());
    ASSERT_EQ(WrittenBytes(*doc, folder, 100 + i), states[i - 1]) << "undo of " << steps[i - 1].first;
  }
  EXPECT_FALSE(history.Undo());
  EXPECT_EQ(doc->ProjectPath, folder / "menu.TB1") << "undoing a load gives the project its own name back";
  for (std::size_t i = 0; i < steps.size(); ++i) {
    ASSERT_EQ(history.RedoName(), steps[i].first);
    ASSERT_TRUE(history.Redo());
    ASSERT_EQ(WrittenBytes(*doc, folder, 200 + static_cast<int>(i)), states[i + 1])
        << "redo of " << steps[i].first;
  }
  EXPECT_FALSE(history.Redo());
}

TEST(UndoHistory, StepsNestLabelUntrackedChangesAndKnowTheSavedState) {
  auto doc = std::make_unique<MenuDocument>();
  UndoHistory history(*doc);
  EXPECT_FALSE(history.Modified());
  EXPECT_FALSE(history.CanUndo());

  {
    UndoStep outer(history, "Import From CSV");
    doc->PluPrice[0] = "1.00";
    UndoStep inner(history, "New");  // an import that starts with New is still one step
    doc->PluPrice[1] = "2.00";
  }
  EXPECT_EQ(history.UndoCount(), 1);
  EXPECT_EQ(history.UndoName(), "Import From CSV");
  history.MarkSaved();
  EXPECT_FALSE(history.Modified());

  // Typing outside any step: recorded under its label when the label changes or a step begins.
  history.Label("Price of line 1");
  doc->PluPrice[0] = "1.5";
  doc->PluPrice[0] = "1.50";
  EXPECT_TRUE(history.Modified());
  EXPECT_EQ(history.UndoName(), "Price of line 1") << "unrecorded changes are what undo acts on";
  history.Label("Price of line 2");
  doc->PluPrice[1] = "2.50";
  {
    UndoStep nothing(history, "Colors");  // a step that changes nothing is no step
  }
  EXPECT_EQ(history.UndoCount(), 3);
  EXPECT_EQ(history.UndoName(), "Price of line 2");

  ASSERT_TRUE(history.Undo());
  ASSERT_TRUE(history.Undo());
  EXPECT_EQ(doc->PluPrice[0], "1.00");
  EXPECT_EQ(doc->PluPrice[1], "2.00");
  EXPECT_FALSE(history.Modified()) << "undone back to what was saved";
  // A change after an undo drops the redo steps.
  history.Label("Catalogue");
  doc->PluDescription[0] = "Water";
  EXPECT_FALSE(history.CanRedo());
  history.RecordPending();
  EXPECT_EQ(history.RedoCount(), 0);
  EXPECT_EQ(history.UndoName(), "Catalogue");
  EXPECT_TRUE(history.Modified());
  {
    UndoStep open(history, "Line editor");
    EXPECT_FALSE(history.Undo()) << "no undo in the middle of a step";
  }
}

TEST(UndoHistory, HundredStepsOnAFullMenuStayWithinTheMemoryLimit) {
  auto doc = test::FullMenu();
  UndoHistory history(*doc);
  for (int i = 0; i < 120; ++i) {
    UndoStep step(history, "Step " + std::to_string(i));
    if (i % 2) {
      DeletePage(*doc, 1 + i % 12);
    } else {
      InsertPage(*doc, 1 + i % 12);
    }
    for (int p = 0; p < 100; ++p) doc->PluPrice[(i * 100 + p) % kMaxPlus] = std::to_string(i) + ".50";
    for (int row = 1; row <= 200; ++row)
      doc->Lang(row + i * 40, 1 + i % kLanguages) = "a rather long changed text " + std::to_string(i);
  }
  EXPECT_EQ(history.UndoCount(), kMaxUndoSteps);
  EXPECT_LE(history.MemoryBytes(), kUndoMemoryLimit);
  EXPECT_GT(history.MemoryBytes(), DocumentBytes(*doc)) << "the recorded copy is counted";

  // Loads of a whole other menu are large steps: the oldest go, the limit holds, the newest stays.
  for (int i = 0; i < 12; ++i) {
    UndoStep step(history, "Load");
    auto other = test::FullMenu();
    for (int row = 1; row < kLangRows; ++row) other->Lang(row, 1 + i % kLanguages) += "x" + std::to_string(i);
    *doc = *other;
  }
  EXPECT_LE(history.MemoryBytes(), kUndoMemoryLimit);
  EXPECT_GE(history.UndoCount(), 1);
  EXPECT_EQ(history.UndoName(), "Load");
}

}  // namespace
}  // namespace tabulo
