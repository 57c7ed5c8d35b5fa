// `tabulo translate` and `tabulo translate-menu` against a real Apertium APy on 127.0.0.1.

#include <gtest/gtest.h>

#include <memory>

#include "designer/document/catalogue_lookup.h"
#include "designer/storage/project_files.h"
#include "tests/support/apertium_server.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

TEST(TranslateCommands, AMenuTranslatedOnceIsAnsweredFromTheMemoryAfter) {
  test::ApertiumServer& server = test::ApertiumServer::Shared();
  ASSERT_EQ(server.Error(), "");
  test::TempFolder folder;
  const std::vector<std::string> environment = {
      "VELT_HOME=" + folder.Path(), "TABULO_TRANSLATE_SERVICE=", "TABULO_TRANSLATE_URL=" + server.Base(),
      "TABULO_TRANSLATE_KEY="};
  const std::string tabulo = test::BuiltProgram("tabulo");

  test::ProgramRun run = test::RunProgram(
      tabulo, {"translate", "--from", "english", "--to", "Portugu\xc3\xaas", "Chicken soup"}, environment);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "Sopa de frango\n");
  run = test::RunProgram(tabulo, {"translate", "--from", "English", "--to", "Klingon", "Chicken soup"},
                         environment);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("\"Klingon\" is not a language the translation knows. Accepted names: English"),
            std::string::npos)
      << run.err;
  run = test::RunProgram(
      tabulo, {"translate", "--service", "babel", "--from", "English", "--to", "Espanol", "x"}, environment);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("unknown translation service \"babel\""), std::string::npos) << run.err;
  // The command line wins over the environment.
  run = test::RunProgram(
      tabulo,
      {"translate", "--url", "http://127.0.0.1:1", "--from", "English", "--to", "Espanol", "Chicken soup"},
      environment);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("The translation service at http://127.0.0.1:1 cannot be reached"),
            std::string::npos)
      << run.err;

  auto doc = std::make_unique<MenuDocument>();
  ApplyDefaultLanguageNames(*doc);  // Portugues, English, Italiano, Frances, Espanol
  const char* dishes[][2] = {{"Sopa de galinha", "Chicken soup"},
                             {"Vinho tinto", "Red wine"},
                             {"Peixe grelhado", "Grilled fish"},
                             {"Canja", "Chicken soup"}};
  for (int i = 0; i < 4; ++i) {
    AppendPlu(*doc, std::to_string(i + 1), "2.00", dishes[i][0]);
    doc->Lang(i + 1, 2) = dishes[i][1];
  }
  doc->LineLayout[0].Kind = kKindTitle;
  doc->LineLayout[0].Text = "Sopas";
  doc->Lang(kLangRowLineText, 2) = "Soups";
  const std::string project = folder / "menu.TB1";
  ASSERT_TRUE(SaveProjectAs(*doc, project).ok);

  run = test::RunProgram(tabulo, {"translate-menu", project, "--from", "2", "--to", "5,3"}, environment);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "Translated: 8, reused: 2, failed: 0, left alone: 0.\n");
  auto read = std::make_unique<MenuDocument>();
  LoadProject(*read, project);
  EXPECT_EQ(read->Lang(1, 5), "Sopa de pollo");
  EXPECT_EQ(read->Lang(4, 5), "Sopa de pollo");
  EXPECT_EQ(read->Lang(2, 5), "Vino tinto");
  EXPECT_FALSE(read->Lang(1, 3).empty()) << "Italian, through Spanish";
  EXPECT_NE(read->Lang(1, 3), "Chicken soup");
  EXPECT_FALSE(read->Lang(kLangRowLineText, 3).empty());
  EXPECT_EQ(read->PluDescription[0], "Sopa de galinha") << "column 1 is not translated into";

  // Every text again, replacing what is there: all of it from the memory.
  run = test::RunProgram(tabulo, {"translate-menu", project, "--from", "2", "--to", "3,5", "--overwrite"},
                         environment);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "Translated: 0, reused: 10, failed: 0, left alone: 0.\n");
  // Nothing left to do without --overwrite; column 1 is refused as a target.
  run = test::RunProgram(tabulo, {"translate-menu", project, "--from", "2", "--to", "3,5"}, environment);
  EXPECT_EQ(run.out, "Translated: 0, reused: 0, failed: 0, left alone: 10.\n");
  run = test::RunProgram(tabulo, {"translate-menu", project, "--from", "2", "--to", "1"}, environment);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("Language 1 holds the menu's own texts"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace tabulo
