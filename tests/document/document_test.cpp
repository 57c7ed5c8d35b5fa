#include <gtest/gtest.h>

#include <memory>

#include "designer/document/menu_document.h"

namespace tabulo {
namespace {

TEST(CheckedTable, RefusesIndicesOutsideTheTable) {
  auto doc = std::make_unique<MenuDocument>();
  doc->PluDescription[kMaxPlus] = "beyond";
  doc->PluDescription[-1] = "before";
  EXPECT_EQ(std::as_const(*doc).PluDescription[kMaxPlus], "");
  EXPECT_EQ(doc->PluDescription[kMaxPlus], "") << "a write beyond the table must not be readable";
  EXPECT_EQ(doc->PluDescription[kMaxPlus - 1], "");
  doc->Botoes[kLineSlots] = 7;
  EXPECT_EQ(doc->Botoes[kLineSlots], 0);
  doc->Botoes[kLineSlots - 1] = 7;  // the spare slot is part of the table
  EXPECT_EQ(doc->Botoes[kLineSlots - 1], 7);
  doc->Botoes[kLineSlots - 1] = 0;
  doc->Lang(kLangRows, 1) = "x";
  doc->Lang(0, kLangCols) = "x";
  doc->Lang(-1, 3) = "x";
  EXPECT_EQ(doc->Lang(kLangRows, 1), "");
  EXPECT_EQ(doc->Lang(1, 0), "");
  doc->Modifiers[kMaxModifiers].LevelName[0] = "x";
  doc->Modifiers[0].LevelName[kMaxLevels] = "x";
  EXPECT_EQ(doc->Modifiers[0].LevelName[kMaxLevels], "");
  EXPECT_EQ(*doc, MenuDocument()) << "no refused write may change the document";
}

TEST(ResetDocument, EmptiesTheMenuAndKeepsTheSettings) {
  auto doc = std::make_unique<MenuDocument>();
  doc->MarginY = 12;
  doc->Currency = "$";
  doc->PluNumber[0] = "5";
  doc->NumPlus = 1;
  doc->Botoes[3] = 5;
  doc->LineLayout[3] = {"Soup", kKindTitle, "1", "2", 0, "Group", "3", "4", "pic.jpg", kTitleMarkStart};
  doc->Lang(0, 1) = "Portugues";
  doc->Lang(5, 2) = "Soup";
  doc->Modifiers[0].Obrigatorio[0] = 1;
  doc->Modifiers[100].NumLevels = 3;
  doc->NumModifiers = 1;
  doc->PageColorA[2] = "255";
  doc->PagesVersion = "0";
  ResetDocument(*doc);
  MenuDocument expected;
  expected.MarginY = 12;
  expected.Currency = "$";
  expected.PagesVersion = "1";
  EXPECT_EQ(*doc, expected);
}

TEST(GetColor, FallsBackOnlyForAnEmptyValue) {
  EXPECT_EQ(GetColor("", "255"), "255");
  EXPECT_EQ(GetColor("0", "255"), "0");
  EXPECT_EQ(GetColor("abc", "255"), "abc");
}

TEST(LastUsedPage, CountsPagesOneToTwelveAndTheFirstLineOfThirteen) {
  struct Case {
    std::vector<int> slots;
    int32_t page;
  } cases[] = {
      {{}, 0},
      {{SlotOf(14, 0)}, 0},
      {{SlotOf(14, 5)}, 0},
      {{SlotOf(13, 0)}, 13},
      {{SlotOf(13, 1)}, 0},
      {{SlotOf(3, 4), SlotOf(13, 0)}, 3},
      {{SlotOf(1, 0)}, 1},
      {{SlotOf(12, 23), SlotOf(2, 0)}, 12},
  };
  for (const Case& c : cases) {
    auto doc = std::make_unique<MenuDocument>();
    for (int s : c.slots) doc->Botoes[s] = 9;
    EXPECT_EQ(LastUsedPage(*doc), c.page) << "first slot " << (c.slots.empty() ? -1 : c.slots[0]);
  }
  auto doc = std::make_unique<MenuDocument>();
  doc->Botoes[SlotOf(2, 0)] = -4;  // only positive numbers are PLU lines
  EXPECT_EQ(LastUsedPage(*doc), 0);
}

}  // namespace
}  // namespace tabulo
