#include "designer/pages/line_grid.h"

#include <gtest/gtest.h>

#include <memory>

#include "designer/document/catalogue_lookup.h"

namespace tabulo {
namespace {

struct Grid {
  std::unique_ptr<MenuDocument> doc = std::make_unique<MenuDocument>();
  GridState grid;

  Grid(int page = 2) { grid.page = page; }
  void Draw() { TakeTags(grid, BuildPageView(*doc, grid.page)); }
  int Slot(int k) const { return grid.Slot(k); }
};

TEST(LineCommit, NewTextOnAnEmptyLineBindsTheExistingPlu) {
  Grid g;
  AppendPlu(*g.doc, "8", "3.20", "Soup");  // catalogue index 0 counts as found
  AppendPlu(*g.doc, "9", "4.00", "Soup");
  LineCommit commit = CommitLine(*g.doc, g.grid, 4, "Soup");
  EXPECT_EQ(commit.outcome, LineCommit::Outcome::kBound);
  EXPECT_EQ(commit.price, "3.20");
  EXPECT_EQ(g.doc->Botoes[g.Slot(4)], 8);
  EXPECT_EQ(g.grid.tags[4], "0");
  EXPECT_EQ(g.doc->NumPlus, 2) << "nothing created";
  EXPECT_EQ(g.doc->LineLayout[g.Slot(4)].Kind, kKindUnset) << "the kind is left as it was";
}

TEST(LineCommit, NewDescriptionsCreatePlusNumberedAboveTheHighest) {
  Grid g;
  CommitLine(*g.doc, g.grid, 0, "Soup");
  LineCommit second = CommitLine(*g.doc, g.grid, 1, "Fish");
  EXPECT_EQ(second.outcome, LineCommit::Outcome::kCreated);
  EXPECT_EQ(second.price, "");
  EXPECT_EQ(g.doc->PluNumber[0], "1");
  EXPECT_EQ(g.doc->PluNumber[1], "2");
  EXPECT_EQ(g.doc->PluField3[1], "2");
  EXPECT_EQ(g.doc->PluPrice[1], "");
  EXPECT_EQ(g.doc->Botoes[g.Slot(1)], 2);
  EXPECT_EQ(g.grid.tags[1], "1");

  Grid h;
  AppendPlu(*h.doc, "5", "", "Five");
  AppendPlu(*h.doc, "12", "", "Twelve");
  CommitLine(*h.doc, h.grid, 0, "Five ");  // a trailing blank is another description
  EXPECT_EQ(h.doc->PluNumber[2], "13");
  EXPECT_EQ(h.doc->PluDescription[2], "Five ");
  EXPECT_EQ(h.doc->Botoes[h.Slot(0)], 13);
}

TEST(LineCommit, TitleAndNoteLinesStoreTheirTextAndCreateNothing) {
  Grid g;
  g.doc->LineLayout[g.Slot(3)].Kind = kKindTitle;
  LineCommit commit = CommitLine(*g.doc, g.grid, 3, "Desserts");
  EXPECT_EQ(commit.outcome, LineCommit::Outcome::kStored);
  EXPECT_EQ(g.doc->LineLayout[g.Slot(3)].Text, "Desserts");
  EXPECT_EQ(g.doc->NumPlus, 0);
  EXPECT_EQ(g.doc->Botoes[g.Slot(3)], 0);
  EXPECT_EQ(CommitLine(*g.doc, g.grid, 5, "   ").outcome, LineCommit::Outcome::kNothing)
      << "blank empty line";
}

TEST(LineEdits, LiveRenameFollowsTheTextAndStopsWhenItIsErased) {
  Grid g;
  AppendPlu(*g.doc, "4", "1", "Soup");
  g.doc->Modifiers[0].Name = "Soup";
  g.doc->Modifiers[1].Name = "Fish";
  g.doc->NumModifiers = 2;
  g.doc->Botoes[g.Slot(6)] = 4;
  g.Draw();
  ASSERT_EQ(g.grid.tags[6], "0");
  EXPECT_EQ(LiveRename(*g.doc, g.grid, 6, "Soupe"), 4);
  EXPECT_EQ(g.doc->PluDescription[0], "Soupe");
  EXPECT_EQ(g.doc->Modifiers[0].Name, "Soupe") << "modifier records follow their PLU";
  EXPECT_EQ(g.doc->Modifiers[1].Name, "Fish");
  EXPECT_FALSE(LiveRename(*g.doc, g.grid, 6, ""));
  EXPECT_FALSE(LiveRename(*g.doc, g.grid, 7, "no PLU here"));
  EXPECT_EQ(g.doc->PluDescription[0], "Soupe");
  EXPECT_EQ(CommitLine(*g.doc, g.grid, 6, "").outcome, LineCommit::Outcome::kStored);
  EXPECT_EQ(g.doc->PluDescription[0], "") << "leaving the line stores the blank text";
}

TEST(LineEdits, NothingIsWrittenWhileThePageIsDrawn) {
  Grid g;
  AppendPlu(*g.doc, "4", "1", "Soup");
  g.doc->Botoes[g.Slot(0)] = 4;
  g.Draw();
  g.grid.page_updating = true;
  EXPECT_FALSE(LiveRename(*g.doc, g.grid, 0, "Other"));
  EXPECT_FALSE(StorePrice(*g.doc, g.grid, 0, "Soup", "9"));
  EXPECT_FALSE(StoreTitleText(*g.doc, g.grid, 0, "Group"));
  EXPECT_EQ(CommitLine(*g.doc, g.grid, 1, "New").outcome, LineCommit::Outcome::kNothing);
  EXPECT_EQ(g.doc->PluDescription[0], "Soup");
  EXPECT_EQ(g.doc->PluPrice[0], "1");
  EXPECT_EQ(g.doc->LineLayout[g.Slot(0)].TitleText, "");
  EXPECT_EQ(g.doc->NumPlus, 1);
}

TEST(LineEdits, PricesAndGroupTitles) {
  Grid g;
  AppendPlu(*g.doc, "4", "1", "Soup");
  g.doc->Botoes[g.Slot(0)] = 4;
  g.Draw();
  EXPECT_TRUE(StorePrice(*g.doc, g.grid, 0, "Soup", " 2,5 EUR"));
  EXPECT_EQ(g.doc->PluPrice[0], " 2,5 EUR") << "stored as typed";
  EXPECT_FALSE(StorePrice(*g.doc, g.grid, 0, "  ", "3")) << "a blank line stores no price";
  EXPECT_FALSE(StorePrice(*g.doc, g.grid, 1, "text", "3")) << "a line without a PLU stores no price";
  EXPECT_EQ(g.doc->PluPrice[0], " 2,5 EUR");
  EXPECT_TRUE(StoreTitleText(*g.doc, g.grid, 9, "Drinks"));
  EXPECT_EQ(g.doc->LineLayout[g.Slot(9)].TitleText, "Drinks");
}

TEST(LineEdits, AssignMakesAPluLineAndKeepsTheText) {
  Grid g;
  g.doc->LineLayout[g.Slot(2)].Kind = kKindNote;
  g.doc->LineLayout[g.Slot(2)].Text = "note";
  AssignLine(*g.doc, g.grid, 2, 17);
  EXPECT_EQ(g.doc->Botoes[g.Slot(2)], 17);
  EXPECT_EQ(g.doc->LineLayout[g.Slot(2)].Kind, kKindPlu);
  EXPECT_EQ(g.doc->LineLayout[g.Slot(2)].Text, "note");
}

TEST(LineEdits, AFullCatalogueRefusesANewPlu) {
  Grid g;
  for (int i = 0; i < kMaxPlus; ++i)
    AppendPlu(*g.doc, std::to_string(i + 1), "", "Dish " + std::to_string(i));
  ASSERT_EQ(g.doc->NumPlus, kMaxPlus);
  LineCommit commit = CommitLine(*g.doc, g.grid, 0, "One too many");
  EXPECT_EQ(commit.outcome, LineCommit::Outcome::kCatalogueFull);
  EXPECT_EQ(g.doc->NumPlus, kMaxPlus);
  EXPECT_EQ(g.doc->Botoes[g.Slot(0)], 0);
  EXPECT_EQ(g.grid.tags[0], "") << "the line stays unbound";
  EXPECT_EQ(CommitLine(*g.doc, g.grid, 1, "Dish 5").outcome, LineCommit::Outcome::kBound)
      << "existing descriptions still bind";
}

TEST(LineEdits, HandOverToTheLineEditor) {
  Grid g;
  AppendPlu(*g.doc, " 12 ", " 3.5 ", "Cake");
  g.doc->Botoes[g.Slot(3)] = 12;
  g.doc->Hand.EditPluNumber = 77;
  g.Draw();
  HandOverLine(*g.doc, g.grid, 4, 5);
  EXPECT_EQ(g.doc->Hand.CurrentLine, 4);
  EXPECT_EQ(g.doc->Hand.EditPluNumber, 77) << "a line without a PLU keeps the previous values";
  HandOverLine(*g.doc, g.grid, 3, 5);
  EXPECT_EQ(g.doc->Hand.EditPluNumber, 12);
  EXPECT_EQ(g.doc->Hand.EditPluPrice, "3.5");
  EXPECT_EQ(g.doc->Hand.EditListIndex, 5);
  EXPECT_TRUE(g.doc->Hand.EditFromPage);
}

}  // namespace
}  // namespace tabulo
