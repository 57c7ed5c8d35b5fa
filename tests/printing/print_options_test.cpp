#include "designer/printing/print_options.h"

#include <gtest/gtest.h>

namespace tabulo {
namespace {

LanguageBoxes Click(LanguageBoxes boxes, int k) {
  boxes.checked[k] = !boxes.checked[k];  // the box changes before its click runs
  ClickLanguageBox(boxes, k);
  return boxes;
}

TEST(LanguageBoxes, AtMostTwoAndTheFirstCheckedIsBold) {
  LanguageBoxes boxes = LanguageBoxes::Initial();
  EXPECT_EQ(LanguagesOf(boxes), (PrintLanguages{0, std::nullopt, 1}));

  boxes = Click(boxes, 2);  // a second language: checked, not bold
  EXPECT_TRUE(boxes.checked[2]);
  EXPECT_FALSE(boxes.bold[2]);
  EXPECT_EQ(LanguagesOf(boxes), (PrintLanguages{0, 2, 2}));

  LanguageBoxes before = boxes;
  boxes = Click(boxes, 4);  // a third is refused
  EXPECT_EQ(boxes, before);

  // Clearing the bold box makes the remaining one bold: it is now the primary language.
  boxes = Click(boxes, 0);
  EXPECT_FALSE(boxes.checked[0]);
  EXPECT_FALSE(boxes.bold[0]);
  EXPECT_TRUE(boxes.bold[2]);
  EXPECT_EQ(LanguagesOf(boxes), (PrintLanguages{2, std::nullopt, 1}));

  // Checking box 0 again makes it the secondary, though its index is lower.
  boxes = Click(boxes, 0);
  EXPECT_EQ(LanguagesOf(boxes), (PrintLanguages{2, 0, 2}));

  // Clearing the normal box leaves the bold one as it is.
  boxes = Click(boxes, 0);
  EXPECT_EQ(LanguagesOf(boxes), (PrintLanguages{2, std::nullopt, 1}));

  // Clearing the last box: nothing checked, the designer's own texts.
  boxes = Click(boxes, 2);
  EXPECT_EQ(boxes, LanguageBoxes{});
  EXPECT_EQ(LanguagesOf(boxes), (PrintLanguages{0, std::nullopt, 0}));
  // The next box checked is bold.
  boxes = Click(boxes, 3);
  EXPECT_TRUE(boxes.bold[3]);
  EXPECT_EQ(LanguagesOf(boxes), (PrintLanguages{3, std::nullopt, 1}));
}

TEST(LanguageBoxes, CommandLineLists) {
  EXPECT_EQ(ParsePrintLanguages("1"), (PrintLanguages{0, std::nullopt, 1}));
  EXPECT_EQ(ParsePrintLanguages("3,1"), (PrintLanguages{2, 0, 2}));
  for (const char* bad : {"", "0", "6", "1,1", "1,2,3", "x", "1.5", "2,", ",2"}) {
    EXPECT_FALSE(ParsePrintLanguages(bad)) << bad;
  }
}

TEST(Margins, ANumberIsTakenAtOnceAnythingElseKeepsTheLastValue) {
  float margin = 47;
  EXPECT_TRUE(SetMarginFromText(margin, "50.5"));
  EXPECT_EQ(margin, 50.5f);
  for (const char* typing : {"", "-", "5x", "abc", ".", "1e400"}) {
    EXPECT_FALSE(SetMarginFromText(margin, typing)) << typing;
    EXPECT_EQ(margin, 50.5f) << typing;
  }
  EXPECT_TRUE(SetMarginFromText(margin, "12,25"));  // typed with a decimal comma
  EXPECT_EQ(margin, 12.25f);
  EXPECT_TRUE(SetMarginFromText(margin, "0"));
  EXPECT_EQ(margin, 0.0f);
  EXPECT_EQ(MarginText(47), "47");
  EXPECT_EQ(MarginText(47.5f), "47.5");
  EXPECT_EQ(MarginText(0.5f), "0.5");
}

TEST(PrintOptions, PageMessages) {
  EXPECT_EQ(InsertPagesMessage(PrintOption::kAllFronts), "Please insert pages type 'PAGE A' on the printer");
  EXPECT_EQ(InsertPagesMessage(PrintOption::kAllBacks), "Please insert pages type 'PAGE B' on the printer");
  EXPECT_FALSE(InsertPagesMessage(PrintOption::kCurrentPage));
  EXPECT_FALSE(InsertPagesMessage(PrintOption::kAllPages));
}

}  // namespace
}  // namespace tabulo
