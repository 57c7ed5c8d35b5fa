// Files as spreadsheet libraries write them (formulas, decimal commas, UTF-16, hostile archives), and the
// catalogue brought up to date in place: export, edit, update, with everything else kept byte for byte.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "designer/import/catalogue_export.h"
#include "designer/import/catalogue_file.h"
#include "designer/import/catalogue_update.h"
#include "designer/storage/project_files.h"
#include "designer/storage/project_layout.h"
#include "tests/support/run_program.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

const std::string kMade = std::string(TABULO_FIXTURES) + "/import/made/";

std::vector<std::vector<std::string>> Entries(const CatalogueFile& file) {
  std::vector<std::vector<std::string>> entries;
  for (const CatalogueEntry& e : file.staged.entries)
    entries.push_back({std::string(e.PluNumber), std::string(e.PluDescription), std::string(e.PluPrice)});
  return entries;
}

TEST(CatalogueFiles, AsSpreadsheetLibrariesWriteThem) {
  // Formula cells give their saved results; a price cell formatted 0.00 keeps its decimals.
  CatalogueFile xlsx = ReadCatalogueFile(kMade + "formulas.xlsx");
  ASSERT_TRUE(xlsx.ok) << xlsx.error;
  EXPECT_EQ(Entries(xlsx), (std::vector<std::vector<std::string>>{
                               {"1", "Soup", "2.50"}, {"2", "Fish & chips", "12.00"}, {"3", "Tea", "1.20"}}));
  EXPECT_TRUE(xlsx.staged.skipped.empty());

  // Where no result can be had, the row is refused naming the column, never imported without a price.
  CatalogueFile xls = ReadCatalogueFile(kMade + "formulas.xls");
  ASSERT_TRUE(xls.ok) << xls.error;
  EXPECT_EQ(Entries(xls), (std::vector<std::vector<std::string>>{{"1", "Soup", "2.50"}}));
  EXPECT_EQ(
      SkippedReport(xls.staged.skipped),
      "2 rows skipped:\nformulas.xls, 2 rows (3-4): no price in column C (empty, or a formula whose result "
      "cannot be read from an .xls file: save the file as .xlsx).");
  CatalogueFile no_results = ReadCatalogueFile(kMade + "formulas_nocache.xlsx");
  EXPECT_TRUE(no_results.staged.entries.empty());
  EXPECT_EQ(no_results.staged.skipped.size(), 3u);

  // Semicolons with decimal commas and currency signs, and the same as tab-separated UTF-16; the format is
  // found from the content, whatever the name says.
  for (const char* name : {"semicolon.csv", "unicode.txt"}) {
    CatalogueFile text = ReadCatalogueFile(kMade + name);
    ASSERT_TRUE(text.ok) << text.error;
    EXPECT_EQ(Entries(text),
              (std::vector<std::vector<std::string>>{{"1", "Soup", "2.50"},
                                                     {"2", "Fish \"deluxe\"", "12.00"},
                                                     {"3", "Caf\xC3\xA9; cr\xC3\xA8me", "3.20"},
                                                     {"4", "Water", "3"}}))
        << name;
    EXPECT_EQ(SkippedReport(text.staged.skipped),
              "1 line skipped:\n" + std::string(name) + ", line 5: PLU 2 already given in line 3.");
  }

  // Archives that unpack to too much end with a message that says what, and read nothing.
  const std::map<std::string, std::string> bombs = {
      {"bomb_rows.xlsx", "has more than 200000 rows"},
      {"bomb_cells.xlsx", "has more than 2000000 cells"},
      {"bomb_strings.xlsx", "holds more than 1000000 shared strings"},
      {"bomb_inflate.xlsx", "unpacks to more than 256 MB"}};
  for (const auto& [name, problem] : bombs) {
    CatalogueFile bomb = ReadCatalogueFile(kMade + name);
    EXPECT_FALSE(bomb.ok) << name;
    EXPECT_NE(bomb.error.find(problem), std::string::npos) << name << ": " << bomb.error;
    EXPECT_NE(bomb.error.find("The menu was left as it was."), std::string::npos) << bomb.error;
  }
}

TEST(CatalogueUpdate, ExportThenUpdateWithoutAnEditChangesNothing) {
  test::TempFolder folder;
  std::unique_ptr<MenuDocument> doc = test::FullMenu();
  doc->PluPrice[0] = "2.5";  // written short: a spreadsheet shows it as 2.50, which is the same price
  for (const char* name : {"catalogue.csv", "catalogue.xlsx"}) {
    MenuDocument before = *doc;
    ExportResult exported = ExportCatalogue(*doc, folder / name);
    ASSERT_TRUE(exported.ok) << exported.message;
    EXPECT_EQ(exported.rows, kMaxPlus);
    UpdatePlan plan = PlanCatalogueUpdate(*doc, folder / name);
    ASSERT_TRUE(plan.ok) << plan.error;
    EXPECT_TRUE(plan.ChangesNothing()) << DescribeUpdate(*doc, plan);
    EXPECT_TRUE(plan.missing.empty());
    // PLU 10000 of the sample has no translation row: the file's row is reported, the PLU kept.
    EXPECT_EQ(SkippedReport(plan.skipped), std::string("1 ") + (name[10] == 'c' ? "line" : "row") +
                                               " skipped:\n" + name + ", " +
                                               (name[10] == 'c' ? "line" : "row") +
                                               " 10001: PLU number is not a whole number from 1 to 9999.");
    std::string error;
    ASSERT_TRUE(ApplyCatalogueUpdate(*doc, plan, error)) << error;
    EXPECT_TRUE(*doc == before) << name;
  }
}

std::map<std::string, std::string> ProjectFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files[entry.path().filename().string()] = test::ReadFile(entry.path().string());
  return files;
}

TEST(CatalogueUpdate, KeepsARichProjectByteForByteButTheChangedPricesAndNames) {
  test::TempFolder folder;
  std::filesystem::create_directories(folder / "project");
  std::unique_ptr<MenuDocument> doc = test::FullMenu();
  ASSERT_TRUE(SaveProjectAs(*doc, folder / "project/menu.TB1").ok);
  std::map<std::string, std::string> before = ProjectFiles(folder / "project");
  std::filesystem::copy(folder / "project", folder / "original");

  // The catalogue exported and edited as a user would: PLU 5 gets a decimal-comma price, PLU 7 (which has a
  // modifier) a new name, PLU 9 is left out, and a row gives a number twice.
  ASSERT_TRUE(ExportCatalogue(*doc, folder / "catalogue.csv").ok);
  std::string csv = test::ReadFile(folder / "catalogue.csv");
  auto replace = [&](const std::string& from, const std::string& to) {
    size_t at = csv.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    csv.replace(at, from.size(), to);
  };
  replace("\"5\",\"Dish 5, with sauce\",\"5.40\"", "\"5\",\"Dish 5, with sauce\",\"5,90 \xE2\x82\xAC\"");
  replace("\"7\",\"Dish 7, with sauce\"", "\"7\",\"Dish 7, hot\"");
  replace("\"9\",\"Dish 9, with sauce\"", "\"8\",\"Dish 9, with sauce\"");
  test::WriteFile(folder / "catalogue.csv", csv);

  test::ProgramRun preview =
      test::RunProgram(test::BuiltProgram("tabulo"),
                       {"update", folder / "project/menu.TB1", folder / "catalogue.csv", "--preview"});
  EXPECT_EQ(preview.exit_code, 1) << preview.err;  // the twice given number is reported
  EXPECT_EQ(ProjectFiles(folder / "project"), before) << "--preview wrote";
  EXPECT_EQ(preview.out,
            "changed 5: 5.40 \xE2\x86\x92 5.90\n"
            "changed 7: Dish 7, with sauce \xE2\x86\x92 Dish 7, hot\n"
            "missing 9: Dish 9, with sauce\n"
            "2 lines skipped:\n"
            "catalogue.csv, line 10: PLU 8 already given in line 9.\n"
            "catalogue.csv, line 10001: PLU number is not a whole number from 1 to 9999.\n"
            "0 new, 2 changed, 1 missing from \"catalogue.csv\" (kept). Nothing was written (--preview).\n");

  test::ProgramRun update = test::RunProgram(
      test::BuiltProgram("tabulo"), {"update", folder / "project/menu.TB1", folder / "catalogue.csv"});
  EXPECT_EQ(update.exit_code, 1) << update.err;
  std::map<std::string, std::string> after = ProjectFiles(folder / "project");
  std::vector<std::string> changed;
  for (const auto& [name, bytes] : after) {
    if (before[name] != bytes) changed.push_back(name);
  }
  // The catalogue, the first page's descriptions and prices (PLUs 5 and 7 stand on it) and the modifiers,
  // where the renamed PLU's modifier follows it; nothing else.
  EXPECT_EQ(changed, (std::vector<std::string>{"menu" + PageDescriptionFile(1), "menu" + PagePriceFile(1),
                                               "menu_modifiers.txt", "menu_pludata.txt"}));
  MenuDocument expected;
  ASSERT_TRUE(LoadProject(expected, folder / "original/menu.TB1").issues.empty());
  expected.PluPrice[4] = "5.90";
  expected.PluDescription[6] = "Dish 7, hot";
  expected.Modifiers[6].Name = "Dish 7, hot";
  expected.ModifierDefs[0].PluDesc[6] = "Dish 7, hot";  // a member's name as the definitions show it
  MenuDocument reloaded;
  ASSERT_TRUE(LoadProject(reloaded, folder / "project/menu.TB1").issues.empty());
  reloaded.ProjectBase = expected.ProjectBase;
  reloaded.ProjectFolder = expected.ProjectFolder;
  EXPECT_TRUE(reloaded == expected);
}

}  // namespace
}  // namespace tabulo
