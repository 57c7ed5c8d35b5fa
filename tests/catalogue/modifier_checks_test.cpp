#include "designer/catalogue/modifier_checks.h"

#include <gtest/gtest.h>

#include <memory>

#include "designer/document/catalogue_lookup.h"

namespace tabulo {
namespace {

using Lines = std::vector<std::string>;

// A catalogue of PLUs 1..5, "Sauces" with members 1..3 and "Sides" with 4 and 5, and "Steak" offering both
// with limits a terminal accepts.
std::unique_ptr<MenuDocument> SoundMenu() {
  auto doc = std::make_unique<MenuDocument>();
  for (int n = 1; n <= 5; ++n) AppendPlu(*doc, std::to_string(n), "1", "Dish " + std::to_string(n));
  auto define = [&](const char* name, std::initializer_list<int> codes) {
    ModifierDefRecord& def = doc->ModifierDefs[doc->NumModifierDefs++];
    def.Name = name;
    for (int code : codes) {
      def.PluCode[def.Count] = code;
      def.PluDesc[def.Count++] = "Dish " + std::to_string(code);
    }
  };
  define("Sauces", {1, 2, 3});
  define("Sides", {4, 5});
  ModifierRecord& steak = doc->Modifiers[doc->NumModifiers++];
  steak.Name = "Steak";
  steak.NumLevels = 2;
  steak.LevelName[0] = "Sauces";
  steak.Minimo[0] = 1;
  steak.Maximo[0] = 3;
  steak.Default[0] = 5;
  steak.LevelName[1] = "Sides";
  steak.Maximo[1] = 1;
  return doc;
}

TEST(ModifierChecks, ASoundMenuHasNone) {
  auto doc = SoundMenu();
  EXPECT_EQ(CheckModifiers(*doc), Lines{});
  EXPECT_EQ(CheckModifiers(MenuDocument{}), Lines{});
}

TEST(ModifierChecks, LimitsTheTerminalCannotMeetAreReportedOneLineEach) {
  auto doc = SoundMenu();
  ModifierRecord& steak = doc->Modifiers[0];
  steak.Minimo[1] = 2;   // above the maximum of 1
  steak.Maximo[0] = 4;   // "Sauces" has 3 members
  steak.Default[1] = 3;  // two defaults, maximum 1
  const MenuDocument before = *doc;
  EXPECT_EQ(CheckModifiers(*doc),
            (Lines{
                "\"Steak\" level 1 (\"Sauces\"): maximum 4 is above the 3 members of the "
                "definition",
                "\"Steak\" level 2 (\"Sides\"): minimum 2 is above maximum 1",
                "\"Steak\" level 2 (\"Sides\"): 2 default choices but a maximum of 1",
            }));
  EXPECT_EQ(*doc, before) << "reported, never changed";
}

TEST(ModifierChecks, LevelsAndMembersThatNameNothing) {
  auto doc = SoundMenu();
  ModifierRecord& steak = doc->Modifiers[0];
  steak.LevelName[1] = "Drinks";
  steak.Default[1] = 1;
  steak.Default[0] = 1 | 16 | 64;  // members 5 and 7 of a definition of 3
  doc->ModifierDefs[1].PluCode[1] = 77;
  doc->PluNumber[3] = "0";  // PLU 4 deleted
  EXPECT_EQ(
      CheckModifiers(*doc),
      (Lines{
          "\"Steak\" level 1 (\"Sauces\"): default choices name members 5, 7, beyond the 3 members of the "
          "definition",
          "\"Steak\" level 2 (\"Drinks\"): names no modifier definition",
          "definition \"Sides\" member 1: PLU 4 is not in the catalogue",
          "definition \"Sides\" member 2: PLU 77 is not in the catalogue",
      }));
}

TEST(ModifierChecks, TheSignBitIsADefaultNoMemberCanHave) {
  auto doc = SoundMenu();
  ModifierDefRecord& sauces = doc->ModifierDefs[0];
  for (int j = 3; j < 40; ++j) {
    sauces.PluCode[j] = 1 + j % 5;
    sauces.PluDesc[j] = "more";
  }
  sauces.Count = 40;
  doc->Modifiers[0].Maximo[0] = 2;
  doc->Modifiers[0].Default[0] = INT32_MIN | 1;
  EXPECT_EQ(
      CheckModifiers(*doc),
      (Lines{"\"Steak\" level 1 (\"Sauces\"): a default choice names member 32, beyond the 31 members that "
             "can be default choices"}));
}

}  // namespace
}  // namespace tabulo
