// The reader on files as other programs, older versions and damaged disks leave them.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "designer/document/catalogue_lookup.h"
#include "designer/storage/project_files.h"
#include "designer/storage/project_layout.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

struct Read {
  std::unique_ptr<MenuDocument> doc = std::make_unique<MenuDocument>();
  ReadReport report;

  bool Reported(const std::string& file, int line = -1) const {
    for (const ReadIssue& issue : report.issues) {
      if (issue.file == file && (line < 0 || issue.line == line)) return true;
    }
    return false;
  }
};

// Reads a project made of the given files (suffix to bytes) into a new document.
Read ReadFiles(const std::map<std::string, std::string>& files) {
  Read read;
  ResetDocument(*read.doc);
  read.report = ReadProjectFiles(*read.doc, [&](const std::string& suffix, std::string& bytes) {
    auto found = files.find(suffix);
    if (found == files.end()) return false;
    bytes = found->second;
    return true;
  });
  return read;
}

std::string Lines(std::initializer_list<std::string> lines, const std::string& end = "\r\n") {
  std::string text;
  for (const auto& line : lines) text += line + end;
  return text;
}

TEST(ProjectReader, NoFilesGiveAnEmptyMenuWithDefaults) {
  Read read = ReadFiles({});
  MenuDocument expected;
  ResetDocument(expected);
  ApplyDefaultLanguageNames(expected);
  expected.PagesVersion = "0";
  for (int p = 1; p <= kPages; ++p) expected.PageColorA[p] = expected.PageColorB[p] = "15724527";
  EXPECT_EQ(*read.doc, expected);
  EXPECT_EQ(read.report.issues.size(), 8u) << "each missing data file is reported";
}

TEST(ProjectReader, CatalogueLines) {
  Read read = ReadFiles({{kPluDataFile, Lines({"st1,1,,1, 2.50 , Soup, hot and fresh ", "x,2,a,b,3,Fish",
                                               "st1,3,,3,4", "st1,4,,4,5,Wine", "   ", "st1,5,,5,6,Lost"})}});
  const MenuDocument& doc = *read.doc;
  EXPECT_EQ(doc.NumPlus, 3);
  EXPECT_EQ(doc.PluPrice[0], "2.50");
  EXPECT_EQ(doc.PluDescription[0], "Soup, hot and fresh")
      << "the description is the rest of the line, trimmed";
  EXPECT_EQ(doc.PluField2[1], "a");
  EXPECT_EQ(doc.PluField3[1], "b");
  EXPECT_EQ(doc.PluNumber[2], "4") << "a line with too few fields is skipped";
  EXPECT_TRUE(read.Reported(kPluDataFile, 3));
  EXPECT_TRUE(read.Reported(kPluDataFile, 6)) << "entries after an empty line are lost, and said so";
}

TEST(ProjectReader, CatalogueStopsAtItsCapacity) {
  std::string text;
  for (int i = 1; i <= kMaxPlus + 2; ++i) text += "st1," + std::to_string(i) + ",,,1,Dish\r\n";
  Read read = ReadFiles({{kPluDataFile, text}});
  EXPECT_EQ(read.doc->NumPlus, kMaxPlus);
  EXPECT_EQ(read.doc->PluNumber[kMaxPlus - 1], std::to_string(kMaxPlus));
  EXPECT_TRUE(read.Reported(kPluDataFile, kMaxPlus + 1));
}

TEST(ProjectReader, LineEndsAndByteOrderMark) {
  Read mixed = ReadFiles({{kPluDataFile, "st1,1,,1,2,Caf\xe9\rst1,2,,2,3,Tea\nst1,3,,3,4,Beer\r\n"}});
  EXPECT_EQ(mixed.doc->NumPlus, 3);
  EXPECT_EQ(mixed.doc->PluDescription[0], "Caf\xc3\xa9") << "Windows-1252 read as UTF-8";
  Read marked = ReadFiles({{kPluDataFile, "\xEF\xBB\xBFst1,1,,1,2,\xd0\x91\r\n"}});
  EXPECT_EQ(marked.doc->PluDescription[0], "\xd0\x91");
  EXPECT_EQ(marked.doc->PluNumber[0], "1") << "the mark is not part of the first field";
}

TEST(ProjectReader, ModifierBlocks) {
  Read read = ReadFiles(
      {{kModifiersFile, Lines({"Steak", "Sauces", "obrigatorio", "minimo  1", "maximo 12", "default  5",
                               "Sides", "Obrigatorio", "", "Fish", "", "Wine", "Glasses", "default  3"})}});
  const MenuDocument& doc = *read.doc;
  ASSERT_EQ(doc.NumModifiers, 3);
  const ModifierRecord& steak = doc.Modifiers[0];
  EXPECT_EQ(steak.NumLevels, 3) << "a line that is no keyword starts the next level";
  EXPECT_EQ(steak.Obrigatorio[0], 1);
  EXPECT_EQ(steak.Minimo[0], 1);
  EXPECT_EQ(steak.Maximo[0], 2) << "one digit: the last character";
  EXPECT_EQ(steak.Default[0], 5);
  EXPECT_EQ(steak.LevelName[1], "Sides");
  EXPECT_EQ(steak.LevelName[2], "Obrigatorio") << "keywords are case-sensitive";
  EXPECT_EQ(doc.Modifiers[1].NumLevels, 0);
  EXPECT_EQ(doc.Modifiers[2].LevelName[0], "Glasses");
  EXPECT_EQ(doc.Modifiers[2].Default[0], 0) << "the file's last line is never data";
}

// A cancelled " New Modifier" box once made a definition without a name, and levels naming it. The files
// the writer made of that are read past the nameless blocks: nothing after them is lost or shifted.
TEST(ProjectReader, NamelessDefinitionsAndLevelsAreReadPast) {
  test::TempFolder folder;
  auto doc = std::make_unique<MenuDocument>();
  for (int i = 1; i <= 4; ++i) AppendPlu(*doc, std::to_string(i), "1", "Dish " + std::to_string(i));
  auto define = [&doc](int d, const std::string& name, std::vector<int32_t> members) {
    doc->ModifierDefs[d].Name = name;
    for (int32_t plu : members) doc->ModifierDefs[d].PluCode[doc->ModifierDefs[d].Count++] = plu;
  };
  define(0, "Sauces", {1});
  define(1, "", {2});
  define(2, "", {});
  define(3, "Sides", {3, 4});
  doc->NumModifierDefs = 4;
  auto record = [&doc](int m, const std::string& name, std::vector<std::string> levels) {
    doc->Modifiers[m].Name = name;
    for (const std::string& level : levels) {
      int l = doc->Modifiers[m].NumLevels++;
      doc->Modifiers[m].LevelName[l] = level;
      doc->Modifiers[m].Maximo[l] = 1;
      doc->Modifiers[m].Obrigatorio[l] = 1;
    }
  };
  record(0, "Dish 1", {"Sauces", "", "Sides"});
  record(1, "Dish 2", {""});
  record(2, "Dish 3", {"Sides"});
  doc->NumModifiers = 3;
  ASSERT_TRUE(SaveProjectAs(*doc, folder / "menu.TB1").ok);

  Read read;
  read.report = LoadProject(*read.doc, folder / "menu.TB1");
  const MenuDocument& got = *read.doc;
  ASSERT_EQ(got.NumModifierDefs, 2);
  EXPECT_EQ(got.ModifierDefs[0].Name, "Sauces");
  EXPECT_EQ(got.ModifierDefs[1].Name, "Sides");
  EXPECT_EQ(got.ModifierDefs[1].Count, 2);
  ASSERT_EQ(got.NumModifiers, 3) << "no keyword line became a record";
  EXPECT_EQ(got.Modifiers[0].NumLevels, 2);
  EXPECT_EQ(got.Modifiers[0].LevelName[1], "Sides");
  EXPECT_EQ(got.Modifiers[0].Maximo[1], 1);
  EXPECT_EQ(got.Modifiers[1].Name, "Dish 2");
  EXPECT_EQ(got.Modifiers[1].NumLevels, 0);
  EXPECT_EQ(got.Modifiers[2].Name, "Dish 3");
  EXPECT_EQ(got.Modifiers[2].LevelName[0], "Sides");
  // What was skipped is told (`tabulo check` lists it and fails).
  EXPECT_TRUE(read.Reported(kModifierDefinitionsFile, 4));
  EXPECT_TRUE(read.Reported(kModifierDefinitionsFile, 7));
  EXPECT_TRUE(read.Reported(kModifiersFile, 5));
  EXPECT_TRUE(read.Reported(kModifiersFile, 13));
}

TEST(ProjectReader, ModifierTablesStayWithinTheirCapacity) {
  std::string text = "Big\r\n";
  for (int l = 0; l < kMaxLevels + 2; ++l) text += "Level " + std::to_string(l) + "\r\nmaximo  3\r\n";
  text += "\r\n";
  for (int m = 0; m < kMaxModifiers + 3; ++m) text += "Mod " + std::to_string(m) + "\r\n\r\n";
  Read read = ReadFiles({{kModifiersFile, text}});
  EXPECT_EQ(read.doc->NumModifiers, kMaxModifiers);
  EXPECT_EQ(read.doc->Modifiers[0].NumLevels, kMaxLevels);
  EXPECT_EQ(read.doc->Modifiers[0].LevelName[kMaxLevels - 1], "Level 10");
  EXPECT_EQ(read.doc->Modifiers[1].Name, "Mod 0") << "the block after the extra levels is read in step";
  EXPECT_TRUE(read.Reported(kModifiersFile));
}

TEST(ProjectReader, DefinitionMembersComeFromTheCatalogue) {
  std::string members;
  for (int j = 0; j < kMaxMembers + 1; ++j) members += " 1 \r\n";
  Read read = ReadFiles({{kPluDataFile, Lines({"st1,4,,4,1,Chips", "st1,9,,9,1,Salad"})},
                         {kModifierDefinitionsFile,
                          Lines({"Sides", " 9 ", " 77 ", "4.2", ""}) + "Many\r\n" + members + "\r\n"}});
  const ModifierDefRecord& sides = read.doc->ModifierDefs[0];
  ASSERT_EQ(sides.Count, 3);
  EXPECT_EQ(sides.PluCode[0], 9);
  EXPECT_EQ(sides.PluDesc[0], "Salad");
  EXPECT_EQ(sides.PluCode[1], 77) << "a member missing from the catalogue keeps its number";
  EXPECT_EQ(sides.PluDesc[1], "");
  EXPECT_EQ(sides.PluCode[2], 4);
  EXPECT_TRUE(read.Reported(kModifierDefinitionsFile, 3));
  EXPECT_EQ(read.doc->ModifierDefs[1].Count, kMaxMembers);
  EXPECT_EQ(read.doc->NumModifierDefs, 2);
}

TEST(ProjectReader, DefinitionsWithAnEmptyCatalogue) {
  Read read = ReadFiles({{kModifierDefinitionsFile, Lines({"Sides", " 3 ", ""})}});
  EXPECT_EQ(read.doc->ModifierDefs[0].PluCode[0], 3);
  EXPECT_EQ(read.doc->NumModifierDefs, 1);
}

TEST(ProjectReader, LineSlots) {
  Read read = ReadFiles({{kBotoesFile, Lines({"- Page  0", " 5", "abc", " 7", "-3", "12.6"})}});
  EXPECT_EQ(read.doc->Botoes[0], 5);
  EXPECT_EQ(read.doc->Botoes[1], 0) << "a non-number leaves its slot and is reported";
  EXPECT_EQ(read.doc->Botoes[2], 7) << "the following slots stay in step";
  EXPECT_EQ(read.doc->Botoes[3], 13) << "\"-3\" is a page header line; 12.6 rounds";
  EXPECT_TRUE(read.Reported(kBotoesFile, 3));

  std::string many;
  for (int s = 0; s < kLineSlots + 5; ++s) many += " 1\r\n";
  Read full = ReadFiles({{kBotoesFile, many}});
  EXPECT_EQ(full.doc->Botoes[kLineSlots - 1], 1);
  EXPECT_TRUE(full.Reported(kBotoesFile, kLineSlots + 1));
}

TEST(ProjectReader, PrinterSettings) {
  Read read = ReadFiles({{kPrinterFile, Lines({" 47,5 ", "abc", " 60 ", "$", "Liberation Sans", "1", "2", "3",
                                               "4", "5", "6", "7", " 0 ", "100", "", "300"})}});
  const MenuDocument& doc = *read.doc;
  EXPECT_FLOAT_EQ(doc.MarginXDescr, 47.5f) << "a decimal comma is read too";
  EXPECT_FLOAT_EQ(doc.MarginXPrice, 165.0f) << "an unreadable margin takes the default";
  EXPECT_TRUE(read.Reported(kPrinterFile, 2));
  EXPECT_FLOAT_EQ(doc.MarginY, 60.0f);
  EXPECT_EQ(doc.StyleBackColor[kStyleTitle], "1");
  EXPECT_EQ(doc.StyleForeColor[kStyleNote], "4");
  EXPECT_EQ(doc.StyleBackColor[kStyleText], "5");
  EXPECT_EQ(doc.DefaultPageColor, "7");
  EXPECT_EQ(doc.PrintLines, 0);
  EXPECT_EQ(doc.PageColorA[1], "100");
  EXPECT_EQ(doc.PageColorB[1], "");
  EXPECT_EQ(doc.PageColorA[2], "300");
  EXPECT_EQ(doc.PageColorB[2], "7") << "a missing line gives the default page colour";
  EXPECT_EQ(doc.PageColorA[14], "7");
}

TEST(ProjectReader, LayoutAndLanguages) {
  std::string layout =
      Lines({"Title", " 2 ", "255", "", " 0 ", "Group", "1", "2", "pic.jpg", "", "x", "", "", " 0 "});
  Read read = ReadFiles(
      {{kLayoutFile, layout}, {kLanguagesFile, Lines({"PT", "EN", "IT"})}, {kPagesVersionFile, "1\r\n"}});
  const MenuDocument& doc = *read.doc;
  EXPECT_EQ(doc.LineLayout[0].Text, "Title");
  EXPECT_EQ(doc.LineLayout[0].Kind, kKindTitle);
  EXPECT_EQ(doc.LineLayout[0].TitlePicture, "pic.jpg");
  EXPECT_EQ(doc.LineLayout[1].Kind, kKindUnset) << "a non-numeric kind is skipped";
  EXPECT_TRUE(read.Reported(kLayoutFile, 11));
  EXPECT_EQ(doc.Lang(0, 1), "PT");
  EXPECT_EQ(doc.Lang(0, 3), "IT");
  EXPECT_EQ(doc.Lang(0, 4), "Frances") << "names the file does not give keep their defaults";
  EXPECT_EQ(doc.PagesVersion, "1");
}

TEST(ProjectReader, LayoutMarksAndTooLongLanguages) {
  std::string layout;
  for (int s = 0; s < kLayoutSlots; ++s) layout += Lines({"", " 1 ", "", "", " 0 ", "", "", "", ""});
  for (int s = 0; s < kLayoutSlots; ++s) layout += s == 7 ? " 4 \r\n" : " 0 \r\n";
  layout += "extra\r\n";
  std::string languages;
  for (int i = 0; i < kLangRows * kLanguages + 3; ++i) languages += "t\r\n";
  Read read = ReadFiles({{kLayoutFile, layout}, {kLanguagesFile, languages}});
  EXPECT_EQ(read.doc->LineLayout[7].TitleMark, kTitleMarkStart);
  EXPECT_EQ(read.doc->LineLayout[312].Kind, kKindPlu);
  EXPECT_EQ(read.doc->LineLayout[313].Kind, kKindUnset) << "the layout file stops at slot 312";
  EXPECT_EQ(read.doc->Lang(kLangRows - 1, kLanguages), "t");
  EXPECT_TRUE(read.Reported(kLayoutFile, kLayoutSlots * 10 + 1));
  EXPECT_TRUE(read.Reported(kLanguagesFile, kLangRows * kLanguages + 1));
}

}  // namespace
}  // namespace tabulo
