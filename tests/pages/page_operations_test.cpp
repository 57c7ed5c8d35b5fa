#include "designer/pages/page_operations.h"

#include <gtest/gtest.h>

#include <memory>

#include "designer/pages/page_layout.h"

namespace tabulo {
namespace {

// Every slot and page marked with its own number, so a shift shows where each one went.
std::unique_ptr<MenuDocument> Numbered() {
  auto doc = std::make_unique<MenuDocument>();
  for (int s = 0; s < kLineSlots; ++s) {
    doc->Botoes[s] = 1000 + s;
    doc->LineLayout[s].Kind = kKindTitle;
    doc->LineLayout[s].Text = "line " + std::to_string(s);
    doc->LineLayout[s].TitleText = "group " + std::to_string(s);
    doc->LineLayout[s].TitleForeColor = "255";
    doc->LineLayout[s].TitleMark = kTitleMarkStart;
    doc->Lang(kLangRowLineText + s, 1) = "text " + std::to_string(s);
    doc->Lang(kLangRowTitleText + s, 5) = "title " + std::to_string(s);
  }
  for (int p = 1; p <= kPages; ++p) {
    doc->PageColorA[p] = std::to_string(p);
    doc->PageColorB[p] = std::to_string(100 + p);
    doc->PagePictureA[p] = "a" + std::to_string(p);
    doc->PagePictureB[p] = "b" + std::to_string(p);
  }
  doc->PluNumber[0] = "1000";
  doc->NumPlus = 1;
  return doc;
}

// The original slot a slot now holds, or -1 when it is empty.
int Origin(const MenuDocument& doc, int slot) {
  return doc.Botoes[slot] ? doc.Botoes[slot] - 1000 : -1;
}
int PageOrigin(const MenuDocument& doc, int page) {
  return doc.PageColorA[page].empty() ? -1 : std::stoi(doc.PageColorA[page]);
}

void ExpectEmptySlot(const MenuDocument& doc, int s) {
  SCOPED_TRACE(s);
  EXPECT_EQ(doc.Botoes[s], 0);
  EXPECT_EQ(doc.LineLayout[s].Kind, kKindUnset);
  EXPECT_EQ(doc.LineLayout[s].TitleMark, 0);
  EXPECT_EQ(doc.LineLayout[s].TitleText, "");
  EXPECT_EQ(doc.Lang(kLangRowLineText + s, 1), "") << "no text left over in any language";
  EXPECT_EQ(doc.Lang(kLangRowTitleText + s, 5), "");
}

TEST(PageOperations, InsertMovesThePagesUpAndEmptiesThePage) {
  for (int page : {1, 6, 14}) {
    SCOPED_TRACE(page);
    auto doc = Numbered();
    InsertPage(*doc, page);
    for (int s = 0; s < kPageSlots; ++s) {
      int p = s / kLinesPerPage + 1;
      if (p < page) {
        EXPECT_EQ(Origin(*doc, s), s);
      } else if (p == page) {
        ExpectEmptySlot(*doc, s);
      } else {
        EXPECT_EQ(Origin(*doc, s), s - kLinesPerPage);
        EXPECT_EQ(doc->Lang(kLangRowLineText + s, 1), "text " + std::to_string(s - kLinesPerPage));
        EXPECT_EQ(doc->LineLayout[s].Text, "line " + std::to_string(s - kLinesPerPage));
      }
    }
    for (int p = 1; p <= kPages; ++p) {
      EXPECT_EQ(PageOrigin(*doc, p), p < page ? p : p == page ? -1 : p - 1) << p;
    }
    EXPECT_EQ(doc->PagePictureB[page], "");
    EXPECT_EQ(Origin(*doc, kLineSlots - 1), kPageSlots - kLinesPerPage)
        << "page 14's first line lands in the spare";
    EXPECT_EQ(doc->NumPlus, 1);
    EXPECT_EQ(doc->PluNumber[0], "1000") << "the catalogue is untouched";
  }
}

TEST(PageOperations, DeleteMovesThePagesDownAndEmptiesPage14) {
  for (int page : {1, 9, 14}) {
    SCOPED_TRACE(page);
    auto doc = Numbered();
    DeletePage(*doc, page);
    for (int s = 0; s < kPageSlots; ++s) {
      int p = s / kLinesPerPage + 1;
      if (p == kPages) {
        ExpectEmptySlot(*doc, s);
      } else {
        EXPECT_EQ(Origin(*doc, s), p < page ? s : s + kLinesPerPage);
      }
    }
    for (int p = 1; p <= kPages; ++p) {
      EXPECT_EQ(PageOrigin(*doc, p), p < page ? p : p == kPages ? -1 : p + 1) << p;
    }
    EXPECT_EQ(doc->PagePictureA[kPages], "");
    EXPECT_EQ(doc->PageColorB[kPages], "");
  }
}

TEST(PageOperations, ClearingKeepsTheFieldsNothingShows) {
  auto doc = Numbered();
  ClearSlot(*doc, 30);
  ExpectEmptySlot(*doc, 30);
  EXPECT_EQ(doc->LineLayout[30].Text, "line 30");
  EXPECT_EQ(doc->LineLayout[30].TitleForeColor, "255");
}

TEST(PageOperations, PreviousAndNextStopAtTheEnds) {
  EXPECT_EQ(PreviousPage(1), 1);
  EXPECT_EQ(PreviousPage(5), 4);
  EXPECT_EQ(NextPage(14), 14);
  EXPECT_EQ(NextPage(13), 14);
}

TEST(PageLayout, TwoSwitchesRestoreEveryPositionAndSize) {
  const MainLayout initial = InitialLayout();
  EXPECT_EQ(initial.expand_caption, "Design the Menu");
  EXPECT_TRUE(initial.frame2_visible);
  EXPECT_FALSE(initial.frame5_visible);
  EXPECT_EQ(initial.frame3.left, 4560);
  EXPECT_EQ(initial.linhas[5], (TwipsRect{480, 360 + 360 * 5, 2655, 285}));

  MainLayout layout = initial;
  SwitchLayout(layout);
  EXPECT_EQ(layout.expand_caption, "Configure the Modifiers");
  EXPECT_FALSE(layout.frame2_visible);
  EXPECT_TRUE(layout.frame5_visible);
  EXPECT_EQ(layout.frame3.left, 12580);
  EXPECT_EQ(layout.frame4.left, initial.frame4.left + 5000);
  EXPECT_EQ(layout.frame4.width, initial.frame4.width + 3000);
  EXPECT_EQ(layout.picture1.width, initial.picture1.width + 3000);
  EXPECT_EQ(layout.command15.left, initial.command15.left + 3000);
  EXPECT_EQ(layout.delete_page.left, initial.delete_page.left + 3000);
  EXPECT_EQ(layout.command14, initial.command14);
  for (int k = 0; k < kLinesPerPage; ++k) {
    EXPECT_EQ(layout.linhas[k].width, 2655 + 2300);
    EXPECT_EQ(layout.price[k].left, 3120 + 2300);
    EXPECT_EQ(layout.price[k].width, 615 + 700);
    EXPECT_EQ(layout.command12[k].left, 3840 + 3000);
  }
  SwitchLayout(layout);
  EXPECT_EQ(layout, initial);
}

}  // namespace
}  // namespace tabulo
