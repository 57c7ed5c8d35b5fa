#include "designer/catalogue/catalogue_list.h"

#include <gtest/gtest.h>

#include <memory>

#include "designer/document/catalogue_lookup.h"

namespace tabulo {
namespace {

std::unique_ptr<MenuDocument> Catalogue(std::initializer_list<std::pair<const char*, const char*>> entries) {
  auto doc = std::make_unique<MenuDocument>();
  for (auto [number, description] : entries) AppendPlu(*doc, number, "", description);
  return doc;
}

std::vector<std::string> Texts(const CatalogueList& list) {
  std::vector<std::string> texts;
  for (const auto& row : list.Rows()) texts.push_back(row.text);
  return texts;
}

using Texts_ = std::vector<std::string>;

TEST(CatalogueList, FillsWithListedPlusInCatalogueOrder) {
  auto doc =
      Catalogue({{"3", "Soup"}, {"0", "Deleted"}, {"-2", "Negative"}, {"abc", "No number"}, {"12", "Fish"}});
  CatalogueList list;
  list.Fill(*doc, false);
  EXPECT_EQ(Texts(list), (Texts_{"Soup", "Fish"}));
  EXPECT_EQ(list.Rows()[1].plu, 12);
  EXPECT_EQ(list.Selected(), -1);
}

TEST(CatalogueList, OnlyDefinedListsOneRowPerBoundLineInPageOrder) {
  auto doc = Catalogue({{"3", "Soup"}, {"12", "Fish"}, {"12", "Fish again"}, {"7", "Unplaced"}});
  doc->Botoes[SlotOf(2, 0)] = 3;
  doc->Botoes[SlotOf(1, 4)] = 12;
  doc->Botoes[SlotOf(1, 9)] = 3;
  doc->Botoes[SlotOf(3, 1)] = 99;   // no such PLU
  doc->Botoes[kLineSlots - 1] = 7;  // the spare slot is read too
  CatalogueList list;
  list.Fill(*doc, true);
  EXPECT_EQ(Texts(list), (Texts_{"Fish", "Fish again", "Soup", "Soup", "Unplaced"}));
}

TEST(CatalogueList, FilterIgnoresLetterCaseAccentsAndLigatures) {
  auto doc = Catalogue({{"1", "Tomato Soup"},
                        {"2", "SOUP of the day"},
                        {"3", "Fish"},
                        {"0", "soup deleted"},
                        {"4", "Éclair"},
                        {"5", "Água das Pedras"},
                        {"6", "Œufs brouillés"}});
  CatalogueList list;
  list.Filter(*doc, "soup");
  EXPECT_EQ(Texts(list), (Texts_{"Tomato Soup", "SOUP of the day"}));
  list.Filter(*doc, "écl");
  EXPECT_EQ(Texts(list), (Texts_{"Éclair"}));
  list.Filter(*doc, "agua");
  EXPECT_EQ(Texts(list), (Texts_{"Água das Pedras"}));
  list.Filter(*doc, "OEUFS BROUILLES");
  EXPECT_EQ(Texts(list), (Texts_{"Œufs brouillés"}));
  list.Filter(*doc, "");
  EXPECT_EQ(list.Rows().size(), 6u) << "an empty filter lists every PLU";

  doc->Botoes[SlotOf(1, 0)] = 2;
  doc->Botoes[SlotOf(1, 1)] = 1;
  list.Fill(*doc, true, "SOUP");
  EXPECT_EQ(Texts(list), (Texts_{"SOUP of the day", "Tomato Soup"})) << "searched among the placed PLUs";
  list.Fill(*doc, true, "fish");
  EXPECT_TRUE(list.Rows().empty());
}

TEST(CatalogueList, SortsByEachColumnKeepingTheSelectionAndMarksNumbersUsedTwice) {
  auto doc = std::make_unique<MenuDocument>();
  AppendPlu(*doc, "30", "12.50", "Steak");
  AppendPlu(*doc, "4", "2", "água");
  AppendPlu(*doc, "12", "abc", "Bread");
  AppendPlu(*doc, "4", "1.5", "Apple pie");
  AppendPlu(*doc, "0", "", "Deleted twin of 30");
  CatalogueList list;
  list.Fill(*doc, false);
  EXPECT_EQ(Texts(list), (Texts_{"Steak", "água", "Bread", "Apple pie"})) << "catalogue order until sorted";
  std::vector<bool> duplicates;
  for (const auto& row : list.Rows()) duplicates.push_back(row.duplicate);
  EXPECT_EQ(duplicates, (std::vector<bool>{false, true, false, true})) << "a deleted entry counts for none";
  EXPECT_EQ(list.Rows()[0].price, "12.50");

  list.Select(2);  // Bread
  list.SortBy(CatalogueColumn::kDescription, true);
  EXPECT_EQ(Texts(list), (Texts_{"água", "Apple pie", "Bread", "Steak"})) << "folded: á sorts as a";
  EXPECT_EQ(list.Selected(), 2);
  list.SortBy(CatalogueColumn::kNumber, false);
  EXPECT_EQ(Texts(list), (Texts_{"Steak", "Bread", "água", "Apple pie"})) << "equal numbers keep their order";
  EXPECT_EQ(list.Selected(), 1);
  list.SortBy(CatalogueColumn::kPrice, true);
  EXPECT_EQ(Texts(list), (Texts_{"Bread", "Apple pie", "água", "Steak"})) << "\"abc\" counts as 0";
  list.Filter(*doc, "a");
  EXPECT_EQ(Texts(list), (Texts_{"Bread", "Apple pie", "água", "Steak"})) << "a new filling keeps the order";
}

TEST(CatalogueList, FindContinuesAfterTheLastHitAndRestartsWhenTheTextChanges) {
  auto doc = Catalogue({{"1", "Red wine"}, {"2", "Water"}, {"3", "White WINE"}, {"4", "Wine glass"}});
  CatalogueList list;
  list.Fill(*doc, false);
  EXPECT_EQ(list.Find("wine"), 0);
  EXPECT_EQ(list.Find("wine"), 2);
  EXPECT_EQ(list.Find("wine"), 3);
  EXPECT_EQ(list.Find("wine"), std::nullopt);
  EXPECT_EQ(list.Selected(), 3) << "no match changes nothing";
  EXPECT_EQ(list.Find("wine"), std::nullopt) << "and the next FIND scans from the same place";
  list.SearchTextChanged();
  EXPECT_EQ(list.Find("water"), 1);
  list.SearchTextChanged();
  EXPECT_EQ(list.Find("wine"), 0);

  list.Filter(*doc, "w");
  list.SearchTextChanged();
  EXPECT_EQ(list.Find("glass"), 3) << "FIND searches the rows shown";
}

TEST(CatalogueList, DeleteMarksEveryEntryOfTheNumber) {
  auto doc = Catalogue({{"3", "Soup"}, {"7", "Fish"}, {"7", "Fish twin"}, {"9", "Cake"}});
  doc->Botoes[0] = 7;
  CatalogueList list;
  list.Fill(*doc, false);
  EXPECT_FALSE(list.DeleteSelected(*doc)) << "nothing selected";
  list.Select(1);
  EXPECT_TRUE(list.DeleteSelected(*doc));
  EXPECT_EQ(doc->PluNumber[1], "0");
  EXPECT_EQ(doc->PluNumber[2], "0");
  EXPECT_EQ(doc->NumPlus, 4);
  EXPECT_EQ(doc->Botoes[0], 7) << "lines keep their binding";
  EXPECT_EQ(Texts(list), (Texts_{"Soup", "Fish twin", "Cake"}));
  EXPECT_EQ(list.Selected(), 1) << "the row now at the same place is selected";
  list.Select(2);
  list.DeleteSelected(*doc);
  EXPECT_EQ(list.Selected(), -1) << "deleting the last row leaves no selection";
  list.Fill(*doc, false);
  EXPECT_EQ(Texts(list), (Texts_{"Soup"}));
}

TEST(CatalogueList, SelectionSteppingAndRelabel) {
  auto doc = Catalogue({{"1", "A"}, {"2", "B"}});
  doc->Botoes[0] = 2;
  doc->Botoes[1] = 2;
  CatalogueList list;
  list.Fill(*doc, true);
  EXPECT_FALSE(list.StepSelection()) << "nothing selected";
  list.Select(0);
  EXPECT_TRUE(list.StepSelection());
  EXPECT_FALSE(list.StepSelection()) << "the last row keeps the selection";
  EXPECT_EQ(list.Selected(), 1);
  list.Select(5);
  EXPECT_EQ(list.Selected(), -1);
  EXPECT_EQ(list.Relabel(2, "Bee"), (std::vector<int>{0, 1}));
  EXPECT_EQ(Texts(list), (Texts_{"Bee", "Bee"}));
}

TEST(AddPlu, AsksNumberAndPriceAndStoresTheAnswersAsTyped) {
  auto doc = Catalogue({{"5", "Five"}, {"12", "Twelve"}});
  ScriptedPrompts prompts;
  prompts.inputs = {std::string(" 40a"), std::string("2.5")};
  EXPECT_EQ(AddPlu(*doc, " Cake ", prompts), AddPluOutcome::kAdded);
  EXPECT_EQ(prompts.questions, (std::vector<std::string>{"Plu Number", "Price"}));
  EXPECT_EQ(prompts.defaults[0], "13");
  EXPECT_EQ(doc->NumPlus, 3);
  EXPECT_EQ(doc->PluNumber[2], " 40a");
  EXPECT_EQ(doc->PluField3[2], " 40a");
  EXPECT_EQ(doc->PluField2[2], "");
  EXPECT_EQ(doc->PluPrice[2], "2.5");
  EXPECT_EQ(doc->PluDescription[2], " Cake ") << "not trimmed";

  prompts.inputs.clear();  // both boxes cancelled
  EXPECT_EQ(AddPlu(*doc, "Tea", prompts), AddPluOutcome::kAdded);
  EXPECT_EQ(doc->PluNumber[3], "");
  EXPECT_EQ(doc->PluPrice[3], "");
}

TEST(AddPlu, RefusesABlankDescriptionAndAFullCatalogue) {
  auto doc = Catalogue({});
  ScriptedPrompts prompts;
  EXPECT_EQ(AddPlu(*doc, "  ", prompts), AddPluOutcome::kNoDescription);
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{"Please fill Plu Description!"}));
  EXPECT_TRUE(prompts.questions.empty());
  for (int i = 0; i < kMaxPlus; ++i) AppendPlu(*doc, std::to_string(i + 1), "", "x");
  EXPECT_EQ(AddPlu(*doc, "One more", prompts), AddPluOutcome::kCatalogueFull);
  EXPECT_EQ(prompts.messages.back(), kCatalogueFullMessage);
  EXPECT_TRUE(prompts.questions.empty()) << "nothing asked for a PLU that cannot be stored";
  EXPECT_EQ(doc->NumPlus, kMaxPlus);
}

}  // namespace
}  // namespace tabulo
