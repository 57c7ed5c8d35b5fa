#include "designer/catalogue/modifier_edits.h"

#include <gtest/gtest.h>

#include <memory>

namespace tabulo {
namespace {

using Names = std::vector<std::string>;

void Define(MenuDocument& doc, const std::string& name, std::initializer_list<const char*> members) {
  ModifierDefRecord& def = doc.ModifierDefs[doc.NumModifierDefs++];
  def.Name = name;
  int32_t code = 100 * doc.NumModifierDefs;
  for (const char* member : members) {
    def.PluCode[def.Count] = ++code;
    def.PluDesc[def.Count++] = member;
  }
}

// A record with one level per definition name, maximum 1.
int Record(MenuDocument& doc, const std::string& name, std::initializer_list<const char*> levels) {
  const int m = doc.NumModifiers++;
  doc.Modifiers[m].Name = name;
  for (const char* level : levels) {
    ModifierRecord& record = doc.Modifiers[m];
    record.LevelName[record.NumLevels] = level;
    record.Maximo[record.NumLevels++] = 1;
  }
  return m;
}

Names Members(const MenuDocument& doc, int def) {
  Names names;
  for (int j = 0; j < doc.ModifierDefs[def].Count; ++j) names.push_back(doc.ModifierDefs[def].PluDesc[j]);
  return names;
}

Names Levels(const MenuDocument& doc, int record) {
  Names names;
  for (int k = 0; k < doc.Modifiers[record].NumLevels; ++k)
    names.push_back(doc.Modifiers[record].LevelName[k]);
  return names;
}

Names RecordNames(const MenuDocument& doc) {
  Names names;
  for (int i = 0; i < doc.NumModifiers; ++i) names.push_back(doc.Modifiers[i].Name);
  return names;
}

class ModifierEdits : public ::testing::Test {
 protected:
  std::unique_ptr<MenuDocument> doc_ = std::make_unique<MenuDocument>();
  MenuDocument& doc = *doc_;
  ScriptedPrompts prompts;

  // Nothing at all changed since the snapshot.
  void Snapshot() { before_ = std::make_unique<MenuDocument>(doc); }
  bool Unchanged() const { return doc == *before_; }

 private:
  std::unique_ptr<MenuDocument> before_;
};

TEST_F(ModifierEdits, RecordsAreGivenOncePerNameAndStartEmpty) {
  EXPECT_EQ(GiveModifierRecord(doc, "  ", prompts), ModifierEdit::kUnchanged);
  EXPECT_EQ(GiveModifierRecord(doc, "Steak", prompts), ModifierEdit::kDone);
  EXPECT_EQ(GiveModifierRecord(doc, "Steak", prompts), ModifierEdit::kUnchanged);
  EXPECT_EQ(doc.NumModifiers, 1);

  // A removed record leaves its levels behind in the entry it vacated; a new record must not inherit them.
  Record(doc, "Fish", {"Sauces", "Sides"});
  EXPECT_EQ(RemoveModifierRecords(doc, "Fish"), 1);
  ASSERT_EQ(GiveModifierRecord(doc, "Soup", prompts), ModifierEdit::kDone);
  EXPECT_EQ(doc.Modifiers[1].Name, "Soup");
  EXPECT_EQ(doc.Modifiers[1].NumLevels, 0);
  EXPECT_EQ(doc.Modifiers[1].LevelName[0], "");
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ModifierEdits, RemovingARecordMovesTheLastOneWithItsLevelsIntoPlace) {
  Record(doc, "A", {"Sauces"});
  Record(doc, "B", {});
  Record(doc, "C", {"Sides", "Drinks"});
  doc.Modifiers[2].Default[1] = 3;
  EXPECT_EQ(RemoveModifierRecords(doc, "A"), 1);
  EXPECT_EQ(RecordNames(doc), (Names{"C", "B"}));
  EXPECT_EQ(Levels(doc, 0), (Names{"Sides", "Drinks"}));
  EXPECT_EQ(doc.Modifiers[0].Default[1], 3);
  EXPECT_EQ(doc.Modifiers[2], ModifierRecord{}) << "the vacated entry holds nothing";
  EXPECT_EQ(RemoveModifierRecords(doc, "none"), 0);

  // Every record of the name goes, also the one moved into a freed place.
  Record(doc, "X", {});
  Record(doc, "B", {});
  Record(doc, "X", {});
  EXPECT_EQ(RemoveModifierRecords(doc, "X"), 2);
  EXPECT_EQ(RecordNames(doc), (Names{"C", "B", "B"}));
  EXPECT_EQ(RemoveModifierRecords(doc, "B"), 2);
  EXPECT_EQ(RecordNames(doc), (Names{"C"}));
}

TEST_F(ModifierEdits, AFullRecordTableRefusesWithAMessageAndWritesNothing) {
  for (int i = 0; i < kMaxModifiers; ++i) Record(doc, "PLU " + std::to_string(i), {});
  Snapshot();
  EXPECT_EQ(GiveModifierRecord(doc, "One too many", prompts), ModifierEdit::kFull);
  EXPECT_TRUE(Unchanged());
  ASSERT_EQ(prompts.messages, (Names{kModifierRecordsFullMessage}));
  EXPECT_EQ(GiveModifierRecord(doc, "PLU 7", prompts), ModifierEdit::kUnchanged)
      << "a PLU that has its record needs no room";
  EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST_F(ModifierEdits, DefinitionsAreCreatedFromTheAnswerNeverWithoutAName) {
  prompts.inputs = {std::string("Sauces"), std::nullopt, std::string("  ")};
  EXPECT_EQ(CreateModifierDef(doc, prompts), ModifierEdit::kDone);
  EXPECT_EQ(CreateModifierDef(doc, prompts), ModifierEdit::kUnchanged) << "cancelled";
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(CreateModifierDef(doc, prompts), ModifierEdit::kUnchanged) << "a blank name";
  EXPECT_EQ(prompts.messages, (Names{kModifierNameRequiredMessage}));
  EXPECT_EQ(prompts.questions, (Names{" New Modifier", " New Modifier", " New Modifier"}));
  ASSERT_EQ(doc.NumModifierDefs, 1);
  EXPECT_EQ(doc.ModifierDefs[0].Name, "Sauces");

  // An entry vacated by a deletion keeps no members for the next definition.
  Define(doc, "Sides", {"Chips", "Rice"});
  EXPECT_EQ(DeleteModifierDefs(doc, "Sides"), 1);
  prompts.inputs = {std::string("Drinks")};
  CreateModifierDef(doc, prompts);
  EXPECT_EQ(doc.ModifierDefs[1].Count, 0);
}

TEST_F(ModifierEdits, AFullDefinitionTableIsToldBeforeTheNameIsAsked) {
  for (int i = 0; i < kMaxModifierDefs; ++i) Define(doc, "D" + std::to_string(i), {});
  Snapshot();
  prompts.inputs = {std::string("One too many")};
  EXPECT_EQ(CreateModifierDef(doc, prompts), ModifierEdit::kFull);
  EXPECT_TRUE(Unchanged());
  EXPECT_TRUE(prompts.questions.empty());
  EXPECT_EQ(prompts.messages, (Names{kModifierDefsFullMessage}));
}

TEST_F(ModifierEdits, DeletingADefinitionLeavesTheLevelsThatNameIt) {
  Define(doc, "Sauces", {"Mayo"});
  Define(doc, "Sides", {"Chips", "Rice", "Salad"});
  Define(doc, "Drinks", {"Water", "Wine"});
  Record(doc, "Steak", {"Sauces", "Drinks"});
  doc.Modifiers[0].Default[0] = 1;  // Mayo
  doc.Modifiers[0].Default[1] = 2;  // Wine
  EXPECT_EQ(DeleteModifierDefs(doc, "Sauces"), 1);
  ASSERT_EQ(doc.NumModifierDefs, 2);
  EXPECT_EQ(doc.ModifierDefs[0].Name, "Drinks");
  EXPECT_EQ(Members(doc, 0), (Names{"Water", "Wine"}));
  EXPECT_EQ(Levels(doc, 0), (Names{"Sauces", "Drinks"}));
  EXPECT_TRUE(LevelMembers(doc, "Sauces").empty());
  EXPECT_EQ(doc.Modifiers[0].Default[1], 2) << "the moved definition's defaults stay on their members";
  EXPECT_EQ(doc.Modifiers[0].Default[0], 1) << "kept for the definition's return";
  Define(doc, "Sauces", {"Mayo", "Aioli"});
  EXPECT_EQ(RemoveMembers(doc, "Sauces", "Aioli"), 1);
  EXPECT_EQ(doc.Modifiers[0].Default[0], 1);
  EXPECT_EQ(DeleteModifierDefs(doc, "none"), 0);
}

TEST_F(ModifierEdits, MembersAreAppendedToEveryDefinitionOfTheNameAndMayRepeat) {
  Define(doc, "Sauces", {"Mayo"});
  Define(doc, "Sides", {});
  Define(doc, "Sauces", {"Aioli"});
  Record(doc, "Steak", {"Sauces"});
  doc.Modifiers[0].Default[0] = 2;  // row 1: Aioli, the first member of the second "Sauces"
  EXPECT_EQ(AddMember(doc, "Sauces", 7, "Ketchup", prompts), ModifierEdit::kDone);
  EXPECT_EQ(AddMember(doc, "Sauces", 7, "Ketchup", prompts), ModifierEdit::kDone);
  EXPECT_EQ(Members(doc, 0), (Names{"Mayo", "Ketchup", "Ketchup"}));
  EXPECT_EQ(Members(doc, 2), (Names{"Aioli", "Ketchup", "Ketchup"}));
  EXPECT_EQ(doc.ModifierDefs[0].PluCode[2], 7);
  // Both lists show as one: Aioli moved from row 1 to row 3 and its default went with it.
  EXPECT_EQ(doc.Modifiers[0].Default[0], 8);
  EXPECT_EQ(AddMember(doc, "Nothing", 7, "Ketchup", prompts), ModifierEdit::kUnchanged);
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ModifierEdits, AFullDefinitionRefusesTheMemberForEveryDefinitionOfTheName) {
  Define(doc, "Sauces", {"Mayo"});
  Define(doc, "Sauces", {});
  for (int j = 0; j < kMaxMembers; ++j) AddMember(doc, "Sauces", j + 1, "M" + std::to_string(j), prompts);
  EXPECT_EQ(doc.ModifierDefs[0].Count, kMaxMembers);
  EXPECT_EQ(doc.ModifierDefs[1].Count, kMaxMembers - 1);
  EXPECT_EQ(prompts.messages.size(), 1u) << "the 101st add on the first definition was refused";
  Snapshot();
  EXPECT_EQ(AddMember(doc, "Sauces", 999, "Ketchup", prompts), ModifierEdit::kFull);
  EXPECT_TRUE(Unchanged()) << "the second definition, which had room, got nothing either";
  ASSERT_EQ(prompts.messages.size(), 2u);
  EXPECT_NE(prompts.messages[1].find("\"Sauces\""), std::string::npos) << prompts.messages[1];
}

TEST_F(ModifierEdits, RemovingAMemberMovesTheLastIntoPlaceAndKeepsDefaultsOnTheirMembers) {
  Define(doc, "Sauces", {"Mayo", "Aioli", "Ketchup"});
  Record(doc, "Steak", {"Sauces"});
  Record(doc, "Fish", {"Sauces"});
  doc.Modifiers[0].Default[0] = 4;  // Ketchup
  doc.Modifiers[1].Default[0] = 3;  // Mayo, Aioli
  EXPECT_EQ(RemoveMembers(doc, "Sauces", "Mayo"), 1);
  EXPECT_EQ(Members(doc, 0), (Names{"Ketchup", "Aioli"}));
  EXPECT_EQ(doc.ModifierDefs[0].PluCode[0], 103);
  EXPECT_EQ(doc.ModifierDefs[0].PluDesc[2], "") << "the vacated place holds nothing";
  EXPECT_EQ(doc.Modifiers[0].Default[0], 1) << "Ketchup stays the default in its new place";
  EXPECT_EQ(doc.Modifiers[1].Default[0], 2) << "Mayo's default went with it; Aioli's stays";

  // Every member of the text goes, also one moved into a freed place, and nothing else.
  Define(doc, "Sides", {"Chips", "Rice", "Chips"});
  EXPECT_EQ(RemoveMembers(doc, "Sides", "Chips"), 2);
  EXPECT_EQ(Members(doc, 1), (Names{"Rice"}));
  EXPECT_EQ(RemoveMembers(doc, "Sides", "Nothing"), 0);
}

TEST_F(ModifierEdits, LevelsAreAddedOnceWithMaximumOneAndStartClean) {
  Record(doc, "Steak", {"Sauces", "Sides"});
  ModifierRecord& steak = doc.Modifiers[0];
  steak.Minimo[1] = 2;
  steak.Default[1] = 7;
  steak.Obrigatorio[1] = 1;
  EXPECT_EQ(RemoveLevels(doc, "Steak", "Sides"), 1);
  EXPECT_EQ(AddLevel(doc, 0, "Drinks", prompts), ModifierEdit::kDone);
  EXPECT_EQ(Levels(doc, 0), (Names{"Sauces", "Drinks"}));
  EXPECT_EQ(steak.Maximo[1], 1);
  EXPECT_EQ(steak.Minimo[1], 0);
  EXPECT_EQ(steak.Default[1], 0);
  EXPECT_EQ(steak.Obrigatorio[1], 0);

  Snapshot();
  EXPECT_EQ(AddLevel(doc, 0, "Drinks", prompts), ModifierEdit::kUnchanged) << "one level per definition";
  EXPECT_EQ(AddLevel(doc, 1, "Drinks", prompts), ModifierEdit::kUnchanged) << "no record 1";
  EXPECT_EQ(AddLevel(doc, -1, "Drinks", prompts), ModifierEdit::kUnchanged);
  EXPECT_TRUE(Unchanged());
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ModifierEdits, TheTwelfthLevelIsRefusedWithAMessage) {
  Record(doc, "Steak", {});
  for (int k = 0; k < kMaxLevels; ++k) {
    ASSERT_EQ(AddLevel(doc, 0, "L" + std::to_string(k), prompts), ModifierEdit::kDone);
  }
  Snapshot();
  EXPECT_EQ(AddLevel(doc, 0, "One too many", prompts), ModifierEdit::kFull);
  EXPECT_TRUE(Unchanged());
  EXPECT_EQ(prompts.messages, (Names{kLevelsFullMessage}));
  EXPECT_EQ(AddLevel(doc, 0, "L3", prompts), ModifierEdit::kUnchanged) << "already there: no message";
  EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST_F(ModifierEdits, RemovingALevelMovesTheLastWithAllItsFieldsIntoPlace) {
  Record(doc, "Steak", {"A", "B", "C"});
  Record(doc, "Fish", {"A"});
  ModifierRecord& steak = doc.Modifiers[0];
  steak.Obrigatorio[2] = 1;
  steak.Minimo[2] = 1;
  steak.Maximo[2] = 2;
  steak.Default[2] = 6;
  EXPECT_EQ(RemoveLevels(doc, "Steak", "A"), 1);
  EXPECT_EQ(Levels(doc, 0), (Names{"C", "B"}));
  EXPECT_EQ(steak.Obrigatorio[0], 1);
  EXPECT_EQ(steak.Minimo[0], 1);
  EXPECT_EQ(steak.Maximo[0], 2);
  EXPECT_EQ(steak.Default[0], 6);
  EXPECT_EQ(steak.LevelName[2], "");
  EXPECT_EQ(Levels(doc, 1), (Names{"A"})) << "another record's level of that name stays";
}

TEST_F(ModifierEdits, MinimumMaximumAndDefaultsAreWrittenOnlyToALevelInUse) {
  Record(doc, "Steak", {"A"});
  SetMinimo(doc, 0, 0, IntegerPart("2.9"));
  SetMaximo(doc, 0, 0, IntegerPart(" 3abc"));
  SetDefault(doc, 0, 0, 5);
  EXPECT_EQ(doc.Modifiers[0].Minimo[0], 2);
  EXPECT_EQ(doc.Modifiers[0].Maximo[0], 3);
  EXPECT_EQ(doc.Modifiers[0].Default[0], 5);
  Snapshot();
  SetMinimo(doc, 0, 1, 4);
  SetMaximo(doc, 1, 0, 4);
  SetDefault(doc, 0, -1, 4);
  SetDefault(doc, kMaxModifiers, 0, 4);
  EXPECT_TRUE(Unchanged());

  EXPECT_EQ(IntegerPart("abc"), 0);
  EXPECT_EQ(IntegerPart(""), 0);
  EXPECT_EQ(IntegerPart("-2.5"), -2);
  EXPECT_EQ(IntegerPart("99999999999"), INT32_MAX);
  EXPECT_EQ(IntegerPart("-99999999999"), INT32_MIN);
}

TEST(DefaultBits, OnlyMembersZeroToThirtyHaveABit) {
  std::vector<bool> checked(40);
  checked[0] = checked[2] = true;
  EXPECT_EQ(DefaultMask(checked), 5);
  checked[30] = true;
  checked[31] = checked[39] = true;
  EXPECT_EQ(DefaultMask(checked), 5 + (1 << 30));
  EXPECT_TRUE(IsDefaultChoice(5, 2));
  EXPECT_FALSE(IsDefaultChoice(5, 1));
  EXPECT_TRUE(IsDefaultChoice(1 << 30, 30));
  EXPECT_FALSE(IsDefaultChoice(-1, 31)) << "bit 31 names no member";
  EXPECT_FALSE(IsDefaultChoice(-1, -1));
}

}  // namespace
}  // namespace tabulo
