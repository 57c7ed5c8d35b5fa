// Pages laid out from a menu spreadsheet: where categories land, what is refused before anything changes,
// and the command line writing the project, read back byte for byte.

#include "designer/import/page_fill.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "designer/document/catalogue_lookup.h"
#include "designer/storage/project_files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

struct Row {
  int number;
  std::string category;
};

// A menu file as a spreadsheet saves it: one row per dish, categories written once per run or on every row.
std::string MenuCsv(const std::vector<Row>& rows, const std::string& extra_header = "",
                    const std::function<std::string(int)>& extra = {}) {
  std::string csv = "PLUCODE;DESCRIPTION;PRICE;CATEGORY" + extra_header + "\r\n";
  for (const Row& row : rows) {
    csv += std::to_string(row.number) + ";Dish " + std::to_string(row.number) + ";" +
           std::to_string(row.number % 20 + 1) + ",50;" + row.category + (extra ? extra(row.number) : "") +
           "\r\n";
  }
  return csv;
}

// `count` dishes numbered from `first`, the category written on the first row only.
std::vector<Row> Category(const std::string& name, int first, int count) {
  std::vector<Row> rows;
  for (int i = 0; i < count; ++i) rows.push_back({first + i, i == 0 ? name : ""});
  return rows;
}

std::vector<Row> Join(std::initializer_list<std::vector<Row>> parts) {
  std::vector<Row> rows;
  for (const auto& part : parts) rows.insert(rows.end(), part.begin(), part.end());
  return rows;
}

// The pages in use, one per line: "3: [Soups] 1-4 [Fish] 5 9" (titles in brackets, runs of PLU numbers).
std::string Pages(const MenuDocument& doc) {
  std::string text;
  for (int p = 1; p <= kPages; ++p) {
    if (!PageInUse(doc, p)) continue;
    text += std::to_string(p) + ":";
    int run_first = 0, run_last = 0;
    auto flush = [&] {
      if (run_first)
        text +=
            " " + std::to_string(run_first) + (run_last > run_first ? "-" + std::to_string(run_last) : "");
      run_first = 0;
    };
    for (int k = 0; k < kLinesPerPage; ++k) {
      int s = SlotOf(p, k);
      if (doc.LineLayout[s].Kind == kKindTitle) {
        flush();
        text += " [" + doc.LineLayout[s].Text + "]";
      } else if (doc.Botoes[s] > 0) {
        if (run_first && doc.Botoes[s] == run_last + 1) {
          run_last = doc.Botoes[s];
        } else {
          flush();
          run_first = run_last = doc.Botoes[s];
        }
      } else {
        flush();
        if (doc.LineLayout[s].Kind != kKindUnset && doc.LineLayout[s].Kind != kKindPlu) text += " ?";
      }
    }
    flush();
    text += "\n";
  }
  return text;
}

// A menu whose pages 1 and 2 were laid out by hand: PLUs 901-903 and a coloured title, and a note on page 5.
void HandMadePages(MenuDocument& doc) {
  ApplyDefaultLanguageNames(doc);
  for (int n : {901, 902, 903}) AppendPlu(doc, std::to_string(n), "1.00", "Old " + std::to_string(n));
  doc.LineLayout[SlotOf(1, 0)] = LineLayoutRecord{};
  doc.LineLayout[SlotOf(1, 0)].Kind = kKindTitle;
  doc.LineLayout[SlotOf(1, 0)].Text = "Specials";
  doc.LineLayout[SlotOf(1, 0)].LineBackColor = "255";
  doc.Botoes[SlotOf(1, 1)] = 901;
  doc.LineLayout[SlotOf(1, 1)].Kind = kKindPlu;
  doc.Botoes[SlotOf(2, 0)] = 902;
  doc.LineLayout[SlotOf(2, 0)].Kind = kKindPlu;
  doc.LineLayout[SlotOf(5, 3)].Kind = kKindNote;
  doc.LineLayout[SlotOf(5, 3)].Text = "Ask for the wine list";
}

TEST(PageFill, PlacesCategoriesAndRefusesWhatDoesNotFitBeforeAnythingChanges) {
  struct Case {
    const char* name;
    std::string csv;
    PageFillOptions options;
    std::function<void(MenuDocument&)> before;
    std::string pages;  // the pages afterwards; "" when the plan is refused
    std::string error_start;
  };
  auto blank = [](MenuDocument& doc) { ApplyDefaultLanguageNames(doc); };
  const std::vector<Case> cases = {
      {"a category that fills a page exactly, the next on a fresh page",
       MenuCsv(Join({Category("Starters", 1, 23), Category("Soups", 24, 3)})),
       {},
       blank,
       "1: [Starters] 1-23\n2: [Soups] 24-26\n",
       ""},
      {"a category that does not fit on what is left moves on whole",
       MenuCsv(Join({Category("Starters", 1, 20), Category("Soups", 21, 5), Category("Tea", 26, 1)})),
       {},
       blank,
       "1: [Starters] 1-20\n2: [Soups] 21-25 [Tea] 26\n",
       ""},
      {"a category longer than a page starts on a fresh page, its title repeated",
       MenuCsv(Join({Category("Starters", 1, 3), Category("Mains", 4, 50), Category("Tea", 54, 2)})),
       {},
       blank,
       "1: [Starters] 1-3\n2: [Mains] 4-26\n3: [Mains] 27-49\n4: [Mains] 50-53 [Tea] 54-55\n",
       ""},
      {"rows without a category follow the previous one, or start without a title",
       MenuCsv({{1, ""}, {2, ""}, {3, "Soups"}, {4, ""}, {5, "Soups"}, {6, "Fish"}, {7, ""}}),
       {},
       blank,
       "1: 1-2 [Soups] 3-5 [Fish] 6-7\n",
       ""},
      {"page 14 keeps its first line only",
       MenuCsv(Category("", 1, 25)),
       {13, false},
       blank,
       "13: 1-24\n14: 25\n",
       ""},
      {"one dish more than the kept lines is refused",
       MenuCsv(Category("", 1, 26)),
       {13, false},
       blank,
       "",
       "The layout needs 26 lines from page 13 on"},
      {"a file too large for the pages is refused",
       MenuCsv([] {
         std::vector<Row> rows;
         for (int c = 0; c < 14; ++c) {
           auto part = Category("Category " + std::to_string(c + 1), c * 20 + 1, 20);
           rows.insert(rows.end(), part.begin(), part.end());
         }
         return rows;
       }()),
       {},
       blank,
       "",
       "The layout needs 334 lines from page 1 on"},
      {"pages in use are skipped without --replace",
       MenuCsv(Join({Category("Starters", 1, 23), Category("Soups", 24, 23), Category("Fish", 47, 23),
                     Category("Cakes", 70, 2)})),
       {1, false},
       HandMadePages,
       "1: [Specials] 901\n2: 902\n3: [Starters] 1-23\n4: [Soups] 24-46\n5: ?\n6: [Fish] 47-69\n"
       "7: [Cakes] 70-71\n",
       ""},
      {"by default the layout starts on the first free page",
       MenuCsv(Category("Starters", 1, 2)),
       {},
       HandMadePages,
       "1: [Specials] 901\n2: 902\n3: [Starters] 1-2\n5: ?\n",
       ""},
      {"--replace empties the pages in use from page 1 on and lays them out again",
       MenuCsv(Join({Category("Starters", 1, 2), Category("Soups", 3, 2)})),
       {0, true},
       HandMadePages,
       "1: [Starters] 1-2 [Soups] 3-4\n",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempFolder folder;
    test::WriteFile(folder / "menu.csv", c.csv);
    auto doc = std::make_unique<MenuDocument>();
    c.before(*doc);
    auto original = std::make_unique<MenuDocument>(*doc);
    PageFillPlan plan = PlanPageFill(*doc, folder / "menu.csv", c.options);
    std::string error;
    bool applied = ApplyPageFill(*doc, plan, error);
    if (c.pages.empty()) {
      EXPECT_FALSE(applied);
      EXPECT_EQ(error.rfind(c.error_start, 0), 0u) << error;
      EXPECT_NE(error.find("Nothing was changed."), std::string::npos) << error;
      EXPECT_TRUE(*doc == *original) << "a refused layout changed the menu";
      EXPECT_NE(DescribePageFill(plan).find("Does not fit: "), std::string::npos) << DescribePageFill(plan);
    } else {
      ASSERT_TRUE(applied) << error;
      EXPECT_EQ(Pages(*doc), c.pages);
    }
  }
}

TEST(PageFill, UpdatesTheCatalogueFillsLanguagesAndReportsWhatItSkipped) {
  test::TempFolder folder;
  auto doc = std::make_unique<MenuDocument>();
  HandMadePages(*doc);
  doc->Lang(902, 2) = "Old 902 in English";
  doc->Lang(902, 3) = "Vecchio 902";
  // PLU 902 exists: it takes the file's name and price and lands a second time, on the new page. A column
  // named as the menu's language (whatever its case) fills that language; one the menu lacks is reported.
  test::WriteFile(folder / "menu.csv",
                  "plucode;Description;price;Category;ENGLISH;Italiano;Deutsch\r\n"
                  "902;Soup of the day;4,50 \xE2\x82\xAC;Soups;Soup of the day;;Tagessuppe\r\n"
                  "11;Onion soup;5.00;;Onion soup;Zuppa di cipolle;Zwiebelsuppe\r\n"
                  "x12;Bad number;1.00;;;;\r\n"
                  "11;Twice;1.00;;;;\r\n"
                  "13;Trout;12;Fish;Trout;Trota;Forelle\r\n");
  PageFillPlan plan = PlanPageFill(*doc, folder / "menu.csv", {});
  ASSERT_TRUE(plan.ok) << plan.error;
  EXPECT_EQ(DescribePageFill(plan),
            "Page 3: Soups (2), Fish (1)\n"
            "PLU 902 stays on page 2 too: the terminals know it by its first line.\n"
            "Column \"Deutsch\" not read: it is no language of the menu.\n"
            "Catalogue: 2 new PLUs, 1 changed.\n"
            "2 lines skipped:\n"
            "menu.csv, line 4: PLU number is not a whole number from 1 to 9999.\n"
            "menu.csv, line 5: PLU 11 already given in line 3.\n");
  EXPECT_EQ(PageFillSummary(plan), "3 dishes in 2 categories laid out on 1 page (page 3).");
  std::string error;
  ASSERT_TRUE(ApplyPageFill(*doc, plan, error)) << error;
  EXPECT_EQ(Pages(*doc), "1: [Specials] 901\n2: 902\n3: [Soups] 902 11 [Fish] 13\n5: ?\n");
  EXPECT_EQ(DescriptionOfPlu(*doc, 902), "Soup of the day");
  EXPECT_EQ(PriceOfPlu(*doc, 902), "4.50");
  EXPECT_EQ(PriceOfPlu(*doc, 13), "12");
  EXPECT_EQ(doc->Lang(902, 2), "Soup of the day");
  EXPECT_EQ(doc->Lang(902, 3), "Vecchio 902") << "an empty cell keeps the text";
  EXPECT_EQ(doc->Lang(11, 3), "Zuppa di cipolle");
  // Titles take the colours of a title already on the page, else the style's: page 3 had none.
  EXPECT_EQ(doc->LineLayout[SlotOf(3, 0)].LineBackColor, "");
  EXPECT_EQ(doc->Lang(kLangRowLineText + SlotOf(3, 0), 1), "Soups");

  // Laid out again over itself with --replace from page 3: the hand-made title's colour on page 1 is the
  // style of the titles laid out there.
  PageFillPlan again = PlanPageFill(*doc, folder / "menu.csv", {1, true});
  ASSERT_TRUE(ApplyPageFill(*doc, again, error)) << error;
  EXPECT_EQ(Pages(*doc), "1: [Soups] 902 11 [Fish] 13\n");
  EXPECT_EQ(doc->LineLayout[SlotOf(1, 0)].LineBackColor, "255");
  EXPECT_EQ(doc->LineLayout[SlotOf(1, 3)].LineBackColor, "255");
}

std::map<std::string, std::string> ProjectFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files[entry.path().filename().string()] = test::ReadFile(entry.path().string());
  return files;
}

TEST(PageFill, CommandLineLaysOutSavesAndLeavesARefusedProjectByteForByte) {
  test::TempFolder folder;
  std::filesystem::create_directories(folder / "project");
  auto doc = std::make_unique<MenuDocument>();
  HandMadePages(*doc);
  ASSERT_TRUE(SaveProjectAs(*doc, folder / "project/menu.TB1").ok);
  std::map<std::string, std::string> before = ProjectFiles(folder / "project");

  std::vector<Row> too_many;
  for (int n = 1; n <= 300; ++n) too_many.push_back({n, "Category " + std::to_string((n - 1) / 15 + 1)});
  test::WriteFile(folder / "large.csv", MenuCsv(too_many));
  test::ProgramRun refused = test::RunProgram(
      test::BuiltProgram("tabulo"), {"layout", folder / "project/menu.TB1", "--from", folder / "large.csv"});
  EXPECT_EQ(refused.exit_code, 2);
  EXPECT_NE(refused.err.find(
                "hold 241 (pages 1 to 13 and the first line of page 14 are kept). Nothing was changed."),
            std::string::npos)
      << refused.err;
  EXPECT_NE(refused.out.find("Does not fit: Category 20 (15 dishes"), std::string::npos) << refused.out;
  EXPECT_EQ(ProjectFiles(folder / "project"), before) << "a refused layout wrote";

  test::ProgramRun bad = test::RunProgram(
      test::BuiltProgram("tabulo"),
      {"layout", folder / "project/menu.TB1", "--from", folder / "large.csv", "--start-page", "15"});
  EXPECT_EQ(bad.exit_code, 2);
  EXPECT_EQ(ProjectFiles(folder / "project"), before);

  // Replaced from page 1: 13 categories of 10 dishes, two a page; a skipped row makes the exit 1.
  std::vector<Row> menu;
  for (int n = 1; n <= 130; ++n)
    menu.push_back({n, n % 10 == 1 ? "Category " + std::to_string(n / 10 + 1) : ""});
  std::string csv = MenuCsv(menu) + "0;Nothing;1;\r\n";
  test::WriteFile(folder / "menu.csv", csv);
  test::ProgramRun run =
      test::RunProgram(test::BuiltProgram("tabulo"),
                       {"layout", folder / "project/menu.TB1", "--from", folder / "menu.csv", "--replace"});
  EXPECT_EQ(run.exit_code, 1) << run.err;
  EXPECT_NE(run.out.find("Page 1: Category 1 (10), Category 2 (10)\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("menu.csv, line 132: PLU number is not a whole number from 1 to 9999.\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("130 dishes in 13 categories laid out on 7 pages (pages 1 to 7).\n"),
            std::string::npos)
      << run.out;

  // Read back and written again: the same bytes.
  MenuDocument reloaded;
  ASSERT_TRUE(LoadProject(reloaded, folder / "project/menu.TB1").issues.empty());
  EXPECT_EQ(reloaded.Botoes[SlotOf(1, 1)], 1);
  EXPECT_EQ(reloaded.LineLayout[SlotOf(1, 11)].Text, "Category 2");
  std::filesystem::create_directories(folder / "again");
  ASSERT_TRUE(SaveProjectAs(reloaded, folder / "again/menu.TB1").ok);
  EXPECT_EQ(ProjectFiles(folder / "again"), ProjectFiles(folder / "project"));
}

}  // namespace
}  // namespace tabulo
