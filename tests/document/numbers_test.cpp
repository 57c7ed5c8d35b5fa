#include "designer/document/numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

namespace tabulo {
namespace {

TEST(NumericValue, ReadsTheLeadingNumber) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"", 0},
      {"abc", 0},
      {"12", 12},
      {"  12", 12},
      {"\t7", 7},
      {"-3", -3},
      {"+4", 4},
      {"12abc", 12},
      {"1.5", 1.5},
      {".5", 0.5},
      {"5.", 5},
      {"1.2.3", 1.2},
      {"- 3", 0},
      {"12 34", 12},
      {"1,5", 1},
      {"-", 0},
      {".", 0},
      {" 47 ", 47},
      {"99999999999", 99999999999.0},
      {"0.1", 0.1},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(NumericValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(StrictNumber, AcceptsOnlyAWholeNumberText) {
  EXPECT_EQ(StrictNumber(" 47 "), 47.0);
  EXPECT_EQ(StrictNumber("-3"), -3.0);
  EXPECT_EQ(StrictNumber("12.5"), 12.5);
  EXPECT_FALSE(StrictNumber("12.5", false) != 12.5);
  EXPECT_FALSE(StrictNumber(""));
  EXPECT_FALSE(StrictNumber("   "));
  EXPECT_FALSE(StrictNumber("12abc"));
  EXPECT_FALSE(StrictNumber("abc"));
  EXPECT_FALSE(StrictNumber("47,5"));
  EXPECT_EQ(StrictNumber("47,5", true), 47.5);
  EXPECT_EQ(StrictNumber("47.5", true), 47.5);
}

TEST(WholeNumber, RoundsHalvesToEvenAndStaysInRange) {
  EXPECT_EQ(WholeNumber(2.5), 2);
  EXPECT_EQ(WholeNumber(3.5), 4);
  EXPECT_EQ(WholeNumber(-2.5), -2);
  EXPECT_EQ(WholeNumber(2.4), 2);
  EXPECT_EQ(WholeNumber(1e20), INT32_MAX);
  EXPECT_EQ(WholeNumber(-1e20), INT32_MIN);
  EXPECT_EQ(IntegerValue("99999999999999"), INT32_MAX);
  EXPECT_EQ(IntegerValue(" 12 "), 12);
}

TEST(NumberForms, MatchWhatTheOriginalFilesHold) {
  EXPECT_EQ(PlainNumber(int32_t{47}), " 47 ");
  EXPECT_EQ(PlainNumber(int32_t{0}), " 0 ");
  EXPECT_EQ(PlainNumber(int32_t{-3}), "-3 ");
  EXPECT_EQ(SignedText(12), " 12");
  EXPECT_EQ(SignedText(-3), "-3");
  EXPECT_EQ(SignedText(INT32_MIN), "-2147483648");
  EXPECT_EQ(PlainNumber(47.0f), " 47 ");
  EXPECT_EQ(PlainNumber(47.5f), " 47.5 ");
  EXPECT_EQ(PlainNumber(0.5f), " .5 ");
  EXPECT_EQ(PlainNumber(-0.25f), "-.25 ");
  EXPECT_EQ(PlainNumber(165.1f), " 165.1 ");
  // What is written reads back to the same value.
  for (float margin : {47.0f, 165.1f, 59.25f, 0.5f, 12.345f}) {
    EXPECT_FLOAT_EQ(static_cast<float>(*StrictNumber(PlainNumber(margin))), margin);
  }
}

TEST(NumberForms, IgnoreTheLocale) {
  // A window program runs with the user's locale, which may write decimal commas (`make deps` generates
  // de_DE.UTF-8 so that this runs everywhere).
  std::locale previous = std::locale::global(std::locale("de_DE.UTF-8"));
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(PlainNumber(47.5f), " 47.5 ");
  EXPECT_EQ(PlainNumber(0.25f), " .25 ");
  EXPECT_EQ(StrictNumber("47.5"), 47.5);
  EXPECT_EQ(NumericValue("12.5"), 12.5);
  std::locale::global(previous);
}

}  // namespace
}  // namespace tabulo
