#include "designer/pages/line_moves.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tabulo {
namespace {

// Every slot marked with its own number in its PLU, every field of its record and both language rows, so
// a move shows where each line's whole content went.
std::unique_ptr<MenuDocument> Numbered() {
  auto doc = std::make_unique<MenuDocument>();
  for (int s = 0; s < kLineSlots; ++s) {
    const std::string n = std::to_string(s);
    doc->Botoes[s] = 1000 + s;
    LineLayoutRecord& line = doc->LineLayout[s];
    line.Text = "line " + n;
    line.Kind = kKindPlu;
    line.LineBackColor = "1" + n;
    line.LineForeColor = "2" + n;
    line.TitleText = "group " + n;
    line.TitleBackColor = "3" + n;
    line.TitleForeColor = "4" + n;
    line.TitlePicture = "pic" + n + ".jpg";
    line.TitleMark = s % 2 ? kTitleMarkPictureCovered : kTitleMarkStart;
    for (int col = 1; col <= kLanguages; ++col) {
      doc->Lang(kLangRowLineText + s, col) = "text " + n + "/" + std::to_string(col);
      doc->Lang(kLangRowTitleText + s, col) = "title " + n + "/" + std::to_string(col);
    }
  }
  doc->PluNumber[0] = "1000";
  doc->NumPlus = 1;
  return doc;
}

// The numbered document as it was before any move.
const MenuDocument& Start() {
  static const std::unique_ptr<MenuDocument> start = Numbered();
  return *start;
}

// True when slot `slot` holds everything slot `origin` held at the start.
::testing::AssertionResult Holds(const MenuDocument& doc, int slot, int origin) {
  const MenuDocument* fresh = &Start();
  if (doc.Botoes[slot] != fresh->Botoes[origin]) {
    return ::testing::AssertionFailure() << "slot " << slot << " has PLU " << doc.Botoes[slot];
  }
  if (!(doc.LineLayout[slot] == fresh->LineLayout[origin])) {
    return ::testing::AssertionFailure()
           << "slot " << slot << " has the record of " << doc.LineLayout[slot].Text;
  }
  for (int col = 1; col <= kLanguages; ++col) {
    if (doc.Lang(kLangRowLineText + slot, col) != fresh->Lang(kLangRowLineText + origin, col) ||
        doc.Lang(kLangRowTitleText + slot, col) != fresh->Lang(kLangRowTitleText + origin, col)) {
      return ::testing::AssertionFailure() << "slot " << slot << " has other texts in language " << col;
    }
  }
  return ::testing::AssertionSuccess();
}

// True when slot `slot` holds what slot `origin` held, emptied: no PLU, a PLU line, everything else kept.
::testing::AssertionResult HoldsEmptied(const MenuDocument& doc, int slot, int origin) {
  const MenuDocument* expected = &Start();
  LineLayoutRecord emptied = expected->LineLayout[origin];
  emptied.Kind = kKindPlu;
  if (doc.Botoes[slot] != 0) return ::testing::AssertionFailure() << "slot " << slot << " still has a PLU";
  if (!(doc.LineLayout[slot] == emptied)) {
    return ::testing::AssertionFailure() << "slot " << slot << " lost fields of " << emptied.Text;
  }
  for (int col = 1; col <= kLanguages; ++col) {
    if (doc.Lang(kLangRowLineText + slot, col) != expected->Lang(kLangRowLineText + origin, col) ||
        doc.Lang(kLangRowTitleText + slot, col) != expected->Lang(kLangRowTitleText + origin, col)) {
      return ::testing::AssertionFailure() << "slot " << slot << " lost its texts in language " << col;
    }
  }
  return ::testing::AssertionSuccess();
}

void ExpectOtherPagesUntouched(const MenuDocument& doc, int page) {
  for (int s = 0; s < kLineSlots; ++s) {
    if (s >= SlotOf(page, 0) && s <= SlotOf(page, kLinesPerPage - 1)) continue;
    EXPECT_TRUE(Holds(doc, s, s));
  }
}

TEST(LineMoves, MoveDownOnTheFirstLineShiftsTheWholePageAndDropsItsLastLine) {
  auto doc = Numbered();
  MoveLinesDown(*doc, 2, 0);
  const int base = SlotOf(2, 0);
  EXPECT_TRUE(HoldsEmptied(*doc, base, base));
  for (int k = 1; k < kLinesPerPage; ++k) EXPECT_TRUE(Holds(*doc, base + k, base + k - 1)) << k;
  ExpectOtherPagesUntouched(*doc, 2);
}

TEST(LineMoves, MoveUpPullsTheLinesBelowAndEmptiesTheLastLine) {
  auto doc = Numbered();
  MoveLinesUp(*doc, 3, 4);
  const int base = SlotOf(3, 0);
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(Holds(*doc, base + k, base + k));
  for (int k = 4; k < kLinesPerPage - 1; ++k) EXPECT_TRUE(Holds(*doc, base + k, base + k + 1)) << k;
  EXPECT_TRUE(HoldsEmptied(*doc, base + 23, base + 23)) << "the last line keeps a copy of its old fields";
  ExpectOtherPagesUntouched(*doc, 3);
  EXPECT_EQ(doc->PluNumber[0], "1000") << "the catalogue is not touched";
}

TEST(LineMoves, OnTheLastLineBothMovesOnlyEmptyIt) {
  for (auto move : {MoveLinesUp, MoveLinesDown}) {
    auto doc = Numbered();
    move(*doc, 1, 23);
    for (int k = 0; k < 23; ++k) EXPECT_TRUE(Holds(*doc, k, k));
    EXPECT_TRUE(HoldsEmptied(*doc, 23, 23));
    ExpectOtherPagesUntouched(*doc, 1);
  }
}

TEST(LineMoves, TheLastPageNeverReachesTheSpareSlot) {
  auto doc = Numbered();
  MoveLinesDown(*doc, kPages, 0);
  EXPECT_TRUE(Holds(*doc, kPageSlots, kPageSlots)) << "the spare slot after page 14";
  EXPECT_TRUE(Holds(*doc, SlotOf(kPages, 23), SlotOf(kPages, 22)));
}

TEST(LineMoves, AGroupTitleLineMovedDownLeavesItsGroupFieldsOnTheEmptiedLine) {
  auto doc = Numbered();
  const int start = SlotOf(1, 6);
  doc->LineLayout[start].TitleMark = kTitleMarkStart;
  doc->LineLayout[start].Kind = kKindTitle;
  MoveLinesDown(*doc, 1, 6);
  EXPECT_EQ(doc->Botoes[start], 0);
  EXPECT_EQ(doc->LineLayout[start].Kind, kKindPlu);
  EXPECT_EQ(doc->LineLayout[start].TitleMark, kTitleMarkStart);
  EXPECT_EQ(doc->LineLayout[start].TitleText, "group 6");
  EXPECT_EQ(doc->LineLayout[start].TitlePicture, "pic6.jpg");
  EXPECT_EQ(doc->Lang(kLangRowTitleText + start, 3), "title 6/3");
  // The line itself, group title included, now sits one place lower.
  EXPECT_EQ(doc->LineLayout[start + 1].Kind, kKindTitle);
  EXPECT_EQ(doc->LineLayout[start + 1].TitleText, "group 6");
  EXPECT_EQ(doc->Botoes[start + 1], 1006);
  EXPECT_EQ(doc->Lang(kLangRowTitleText + start + 1, 5), "title 6/5");
}

TEST(LineMoves, DeletingATitleOrNoteLineMakesItAPluLineWithoutPlu) {
  for (int32_t kind : {kKindTitle, kKindNote, kKindUnset}) {
    auto doc = Numbered();
    const int slot = SlotOf(5, 10);
    doc->LineLayout[slot].Kind = kind;
    DeleteLine(*doc, 5, 10);
    EXPECT_TRUE(HoldsEmptied(*doc, slot, slot)) << kind;
    EXPECT_EQ(doc->LineLayout[slot].Text, "line " + std::to_string(slot));
    ExpectOtherPagesUntouched(*doc, 5);
    for (int k = 0; k < kLinesPerPage; ++k) {
      if (k != 10) {
        EXPECT_TRUE(Holds(*doc, SlotOf(5, k), SlotOf(5, k)));
      }
    }
    EXPECT_EQ(doc->PluNumber[0], "1000");
  }
}

TEST(LineMoves, ALineOrPageOutsideThePageChangesNothing) {
  for (auto [page, line] : {std::pair{1, -1}, {1, 24}, {0, 3}, {15, 3}, {2, 1000}}) {
    for (auto move : {DeleteLine, MoveLinesUp, MoveLinesDown}) {
      auto doc = Numbered();
      move(*doc, page, line);
      for (int s = 0; s < kLineSlots; ++s) ASSERT_TRUE(Holds(*doc, s, s)) << page << "/" << line;
    }
  }
}

}  // namespace
}  // namespace tabulo
