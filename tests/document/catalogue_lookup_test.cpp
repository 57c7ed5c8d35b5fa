#include "designer/document/catalogue_lookup.h"

#include <gtest/gtest.h>

#include <memory>

namespace tabulo {
namespace {

std::unique_ptr<MenuDocument> Catalogue(std::initializer_list<std::pair<const char*, const char*>> entries) {
  auto doc = std::make_unique<MenuDocument>();
  for (auto [number, description] : entries) {
    AppendPlu(*doc, number, std::string("p") + number, description);
  }
  return doc;
}

TEST(CatalogueLookup, FindsTheFirstEntryByNumericValue) {
  auto doc = Catalogue({{"3", "Soup"}, {" 7", "Fish"}, {"7", "Second fish"}, {"0", "Deleted"}, {"7.0", "x"}});
  EXPECT_EQ(DescriptionOfPlu(*doc, 7), "Fish");
  EXPECT_EQ(PriceOfPlu(*doc, 7), "p 7");
  EXPECT_EQ(IndexOfPlu(*doc, 7), 1);
  EXPECT_EQ(DescriptionOfPlu(*doc, 3), "Soup");
  EXPECT_EQ(DescriptionOfPlu(*doc, 99), "");
  EXPECT_EQ(PriceOfPlu(*doc, 99), "");
  EXPECT_EQ(IndexOfPlu(*doc, 99), 0) << "an unknown number reads as index 0";
  EXPECT_FALSE(FindPlu(*doc, 99));
  EXPECT_EQ(FindPlu(*doc, 3), 0);
}

TEST(CatalogueLookup, DeletingMarksEveryEntryOfTheNumber) {
  auto doc = Catalogue({{"3", "Soup"}, {"7", "Fish"}, {"7", "Fish again"}});
  DeletePluNumber(*doc, 7);
  EXPECT_EQ(doc->PluNumber[1], "0");
  EXPECT_EQ(doc->PluNumber[2], "0");
  EXPECT_EQ(doc->PluDescription[1], "Fish") << "entries are never removed";
  EXPECT_EQ(doc->NumPlus, 3);
  EXPECT_EQ(DescriptionOfPlu(*doc, 7), "");
  EXPECT_EQ(NextPluNumber(*doc), 4) << "deleted entries do not count";
}

TEST(CatalogueLookup, NextNumberIsOneAboveTheLargest) {
  EXPECT_EQ(NextPluNumber(*Catalogue({})), 1);
  EXPECT_EQ(NextPluNumber(*Catalogue({{"0", "a"}, {"-5", "b"}, {"abc", "c"}})), 1);
  EXPECT_EQ(NextPluNumber(*Catalogue({{"12", "a"}, {"3", "b"}})), 13);
  EXPECT_EQ(NextPluNumber(*Catalogue({{"2.5", "a"}})), 4) << "3.5 rounds to even";
  // One above the largest does not fit in a number: the lowest free number instead, never a duplicate.
  EXPECT_EQ(NextPluNumber(*Catalogue({{"9999999999999", "a"}})), 1);
  EXPECT_EQ(NextPluNumber(*Catalogue({{"1", "a"}, {"2147483647", "b"}, {"2.5", "c"}, {"3", "d"}})), 2);
  EXPECT_EQ(NextPluNumber(*Catalogue({{"2147483646", "a"}})), INT32_MAX);
}

TEST(CatalogueLookup, FindByDescriptionIsExact) {
  auto doc = Catalogue({{"1", "Soup"}, {"2", "soup"}, {"3", "Soup "}, {"4", "Soup"}});
  EXPECT_EQ(FindPluByDescription(*doc, "Soup"), 0);
  EXPECT_EQ(FindPluByDescription(*doc, "soup"), 1);
  EXPECT_EQ(FindPluByDescription(*doc, "Soup "), 2);
  EXPECT_EQ(FindPluByDescription(*doc, "Fish"), -1);
  EXPECT_EQ(FindPluByDescription(*doc, ""), -1);
  // A deleted entry is no PLU: its description finds the next entry of that name, or none.
  DeletePluNumber(*doc, 1);
  EXPECT_EQ(FindPluByDescription(*doc, "Soup"), 3);
  DeletePluNumber(*doc, 4);
  EXPECT_EQ(FindPluByDescription(*doc, "Soup"), -1);
}

TEST(CatalogueLookup, AppendRefusesAFullCatalogue) {
  auto doc = std::make_unique<MenuDocument>();
  doc->NumPlus = kMaxPlus - 1;
  EXPECT_EQ(AppendPlu(*doc, "5", "1.00", "Last"), kMaxPlus - 1);
  EXPECT_EQ(doc->PluField3[kMaxPlus - 1], "5");
  EXPECT_EQ(doc->NumPlus, kMaxPlus);
  EXPECT_FALSE(AppendPlu(*doc, "6", "1.00", "Too many"));
  EXPECT_EQ(doc->NumPlus, kMaxPlus);
}

}  // namespace
}  // namespace tabulo
