// The Import menu's commands as the designer runs them, answered through scripted prompts.

#include "designer/import/import_menu.h"

#include <gtest/gtest.h>

#include <memory>

#include "designer/document/catalogue_lookup.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

const std::string kImports = std::string(TABULO_FIXTURES) + "/import/";

struct ImportRun {
  test::TempFolder folder;
  std::unique_ptr<MenuDocument> doc = std::make_unique<MenuDocument>();
  ScriptedPrompts prompts;
  int new_menus = 0;
  ImportOptions options;

  ImportRun() {
    AppendPlu(*doc, "77", "1", "The old menu");
    options.interchange_path = folder / "pludata.txt";
    options.new_menu = [this](MenuDocument& d) {
      ++new_menus;
      ResetDocument(d);
    };
  }
  bool Run(ImportMenuCommand command) { return RunImportCommand(command, *doc, prompts, options); }
  bool OldMenuKept() const { return doc->NumPlus == 1 && doc->PluDescription[0] == "The old menu"; }
};

TEST(ImportMenu, CsvShowsTheLayoutAsksForAFileAndReports) {
  ImportRun run;
  test::WriteFile(run.folder / "plus.csv", "\"1\",\"Soup\",\"2.50\"\r\n\"2\",\"Fish\",\"9\"\r\nbroken\r\n");
  run.prompts.file_names = {run.folder / "plus.csv"};
  EXPECT_TRUE(run.Run(ImportMenuCommand::kFromCsv));
  ASSERT_EQ(run.prompts.messages.size(), 2u);
  EXPECT_EQ(run.prompts.messages[0], "Import Data from CSV, \"PLUCODE\",\"DESCRIPTION\",\"PRICE\"");
  EXPECT_NE(run.prompts.messages[1].find("2 PLUs imported"), std::string::npos) << run.prompts.messages[1];
  EXPECT_EQ(run.prompts.questions, std::vector<std::string>{"open Import From CSV *.csv"});
  EXPECT_EQ(run.new_menus, 1);
  EXPECT_EQ(DescriptionOfPlu(*run.doc, 2), "Fish");
}

TEST(ImportMenu, ACancelledDialogChangesNothing) {
  for (auto command :
       {ImportMenuCommand::kFromCsv, ImportMenuCommand::kFromXls, ImportMenuCommand::kFromMercato}) {
    ImportRun run;
    EXPECT_FALSE(run.Run(command));
    EXPECT_TRUE(run.OldMenuKept());
    EXPECT_EQ(run.new_menus, 0);
  }
}

TEST(ImportMenu, SpreadsheetAsksWithItsPrefilledName) {
  ImportRun run;
  run.prompts.file_names = {kImports + "plus.xlsx"};
  EXPECT_TRUE(run.Run(ImportMenuCommand::kFromXls));
  EXPECT_EQ(run.prompts.messages.front(),
            "Import Data from XLS $Sheet1$, Table [PLUCODE][DESCRIPTION][PRICE]");
  EXPECT_EQ(run.prompts.questions, std::vector<std::string>{"open Import From XLS DATA.XLS"});
  EXPECT_GT(run.doc->NumPlus, 0);
}

TEST(ImportMenu, BackOfficeImportAsksForBothFilesAndKeepsTheMenuWhenTheSecondIsCancelled) {
  ImportRun cancelled;
  cancelled.prompts.file_names = {kImports + "fami.xls"};
  EXPECT_FALSE(cancelled.Run(ImportMenuCommand::kFromMercato));
  EXPECT_EQ(cancelled.prompts.questions,
            (std::vector<std::string>{"open Import From Mercato ( XLS) FAMI.XLS",
                                      "open Import From Mercato ( XLS) PLU.XLS"}));
  EXPECT_TRUE(cancelled.OldMenuKept());

  ImportRun bad_families;
  bad_families.prompts.file_names = {kImports + "plus.xls", kImports + "plu.xls"};
  EXPECT_FALSE(bad_families.Run(ImportMenuCommand::kFromMercato));
  EXPECT_EQ(bad_families.prompts.questions.size(), 1u) << "a bad families file is told before the products";
  EXPECT_EQ(bad_families.prompts.messages.size(), 1u);
  EXPECT_TRUE(bad_families.OldMenuKept());

  ImportRun both;
  both.prompts.file_names = {kImports + "fami.xls", kImports + "plu.xls"};
  EXPECT_TRUE(both.Run(ImportMenuCommand::kFromMercato));
  EXPECT_GT(both.doc->NumPlus, 1);
}

TEST(ImportMenu, LastSentListAsksNothing) {
  ImportRun run;
  test::WriteFile(run.folder / "pludata.txt", "st1,5,,5,1.00,Tea, green\r\n");
  EXPECT_TRUE(run.Run(ImportMenuCommand::kFromLastSent));
  EXPECT_TRUE(run.prompts.questions.empty());
  EXPECT_EQ(run.doc->PluDescription[0], "Tea, green");
  EXPECT_EQ(run.prompts.messages.size(), 1u);

  ImportRun missing;
  EXPECT_FALSE(missing.Run(ImportMenuCommand::kFromLastSent));
  EXPECT_TRUE(missing.OldMenuKept());
}

}  // namespace
}  // namespace tabulo
