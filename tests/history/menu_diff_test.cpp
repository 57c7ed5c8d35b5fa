#include "designer/history/menu_diff.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "designer/pages/line_moves.h"
#include "tests/support/sample_menu.h"

namespace tabulo {
namespace {

bool Has(const MenuDiff& diff, ChangeKind kind, const std::string& where, const std::string& before = "*",
         const std::string& after = "*") {
  for (const MenuChange& change : diff.changes) {
    if (change.kind == kind && change.where == where && (before == "*" || change.before == before) &&
        (after == "*" || change.after == after)) {
      return true;
    }
  }
  return false;
}

TEST(CompareMenus, FindsAPlantedChangeOfEveryKindAndNothingElse) {
  auto a = test::FullMenu();
  EXPECT_TRUE(CompareMenus(*a, *a).Empty());
  EXPECT_EQ(CompareMenus(*a, *a).Summary(), "nothing changed");

  auto b = std::make_unique<MenuDocument>(*a);
  b->PluPrice[0] = "9.99";
  b->PluPrice[1] = "8.88";
  b->PluPrice[2] = "7.77";
  b->PluDescription[3] = "Renamed dish";
  b->Lang(std::stoi(b->PluNumber[4]), 2) = "a new translation";
  b->PluNumber[5] = "0";  // deleted
  const std::string renumbered_name = b->PluDescription[6];
  const std::string old_number = b->PluNumber[6];
  b->PluNumber[6] = "99999";             // renumbered, above the translated range
  b->PluNumber[kMaxPlus - 1] = "77777";  // the catalogue is full: the last PLU makes way for a new one
  b->PluDescription[kMaxPlus - 1] = "Brand new dish";
  b->Botoes[SlotOf(3, 5)] = 0;
  b->LineLayout[SlotOf(3, 5)].Kind = kKindUnset;
  std::swap(b->Botoes[SlotOf(4, 0)], b->Botoes[SlotOf(4, 1)]);
  std::swap(b->LineLayout[SlotOf(4, 0)], b->LineLayout[SlotOf(4, 1)]);
  b->LineLayout[SlotOf(4, 0)].LineBackColor = b->LineLayout[SlotOf(4, 1)].LineBackColor;
  b->LineLayout[SlotOf(4, 1)].LineBackColor = a->LineLayout[SlotOf(4, 1)].LineBackColor;
  b->LineLayout[SlotOf(5, 2)].TitleText = "Wines";
  b->LineLayout[SlotOf(5, 3)].TitleForeColor = "255";
  b->PagePictureB[6] = "/pictures/new.jpg";
  b->Modifiers[0].Maximo[0] += 1;
  b->ModifierDefs[1].PluDesc[0] = "changed member";
  b->Currency = "$";

  MenuDiff diff = CompareMenus(*a, *b);
  EXPECT_TRUE(Has(diff, ChangeKind::kPrice, "PLU " + a->PluNumber[0], a->PluPrice[0], "9.99"));
  EXPECT_TRUE(Has(diff, ChangeKind::kDescription, "PLU " + a->PluNumber[3], "*", "Renamed dish"));
  EXPECT_TRUE(Has(diff, ChangeKind::kTranslation, "PLU " + a->PluNumber[4] + " in " + a->Lang(0, 2), "*",
                  "a new translation"));
  EXPECT_TRUE(Has(diff, ChangeKind::kPluRemoved, "PLU " + a->PluNumber[5]));
  EXPECT_TRUE(Has(diff, ChangeKind::kPluRenumbered, renumbered_name, old_number, "99999"));
  EXPECT_TRUE(Has(diff, ChangeKind::kPluAdded, "PLU 77777", "", "Brand new dish"));
  EXPECT_TRUE(Has(diff, ChangeKind::kPageLine, "page 3 line 6", "*", ""));
  EXPECT_TRUE(Has(diff, ChangeKind::kPageReordered, "page 4"));
  EXPECT_TRUE(Has(diff, ChangeKind::kGroupTitle, "page 5 line 3", "*",
                  "Wines (mark " + std::to_string(a->LineLayout[SlotOf(5, 2)].TitleMark) + ")") ||
              Has(diff, ChangeKind::kGroupTitle, "page 5 line 3", "*", "Wines"));
  EXPECT_TRUE(Has(diff, ChangeKind::kColour, "page 5 line 4 group text colour", "*", "255"));
  EXPECT_TRUE(Has(diff, ChangeKind::kColour, "page 6 back picture", "*", "/pictures/new.jpg"));
  EXPECT_TRUE(Has(diff, ChangeKind::kModifier, "modifier " + a->Modifiers[0].Name));
  EXPECT_TRUE(Has(diff, ChangeKind::kDefinition, "definition " + a->ModifierDefs[1].Name));
  EXPECT_TRUE(Has(diff, ChangeKind::kSetting, "currency", a->Currency, "$"));
  // No change of a kind that was not planted.
  std::set<ChangeKind> kinds;
  for (const MenuChange& change : diff.changes) kinds.insert(change.kind);
  EXPECT_EQ(kinds.count(ChangeKind::kPluField), 0u) << diff.Text();
  EXPECT_EQ(kinds.count(ChangeKind::kLineText), 0u) << diff.Text();
  auto count = [&diff](ChangeKind kind) {
    return std::count_if(diff.changes.begin(), diff.changes.end(),
                         [kind](const MenuChange& change) { return change.kind == kind; });
  };
  EXPECT_EQ(count(ChangeKind::kPrice), 3) << diff.Text();
  EXPECT_EQ(
      diff.Summary().rfind("1 new dish, 2 dishes removed, 1 dish renumbered, 1 description, 3 prices, ", 0),
      0u)
      << diff.Summary();
  EXPECT_NE(diff.Summary().find("3 prices"), std::string::npos) << diff.Summary();
  EXPECT_NE(diff.Summary().find("page 4 reordered"), std::string::npos) << diff.Summary();

  // Title and note lines: their text and translations.
  auto c = std::make_unique<MenuDocument>(*a);
  int title_slot = -1;
  for (int s = 0; s < kPageSlots && title_slot < 0; ++s) {
    if (a->LineLayout[s].Kind == kKindTitle) title_slot = s;
  }
  ASSERT_GE(title_slot, 0);
  c->LineLayout[title_slot].Text = "Soups";
  c->Lang(kLangRowLineText + title_slot, 3) = "Zuppe";
  MenuDiff titles = CompareMenus(*a, *c);
  EXPECT_EQ(titles.changes.size(), 2u) << titles.Text();  // its text and its translation
  EXPECT_TRUE(Has(titles, ChangeKind::kLineText,
                  "page " + std::to_string(title_slot / kLinesPerPage + 1) + " line " +
                      std::to_string(title_slot % kLinesPerPage + 1),
                  "*", "Soups"));
}

}  // namespace
}  // namespace tabulo
