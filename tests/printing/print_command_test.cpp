// tabulo print end to end: a project written to disk, printed to PDF, and the PDF read back by poppler.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "designer/document/catalogue_lookup.h"
#include "designer/document/menu_document.h"
#include "designer/storage/project_files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using test::BuiltProgram;
using test::RunProgram;

class PrintCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    auto doc = std::make_unique<MenuDocument>();
    ResetDocument(*doc);
    ApplyDefaultLanguageNames(*doc);
    AppendPlu(*doc, "7", "2.50", "Sopa do dia");
    doc->Botoes[SlotOf(1, 0)] = 7;
    doc->LineLayout[SlotOf(1, 0)].Kind = kKindPlu;
    doc->Lang(7, 2) = "Soup of the day";
    doc->LineLayout[SlotOf(1, 0)].TitleText = "Entradas";
    doc->LineLayout[SlotOf(1, 0)].TitleBackColor = "255";
    LineLayoutRecord& title = doc->LineLayout[SlotOf(2, 3)];
    title.Kind = kKindTitle;
    title.Text = "Sobremesas";
    doc->Lang(kLangRowLineText + SlotOf(2, 3), 2) = "Desserts";
    project_ = folder_ / "menu.TB1";
    ASSERT_TRUE(SaveProjectAs(*doc, project_).ok);
  }

  test::ProgramRun Print(std::vector<std::string> options) {
    std::vector<std::string> args = {"print", project_, "--pdf", pdf_};
    args.insert(args.end(), options.begin(), options.end());
    return RunProgram(BuiltProgram("tabulo"), args, {"QT_QPA_PLATFORM=offscreen"});
  }

  std::string Text() { return RunProgram("/usr/bin/pdftotext", {"-layout", pdf_, "-"}).out; }
  int Pages() {
    std::string info = RunProgram("/usr/bin/pdfinfo", {pdf_}).out;
    size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
  }

  test::TempFolder folder_;
  std::string project_;
  std::string pdf_ = folder_ / "cards.pdf";
};

TEST_F(PrintCommand, AllPagesFrontsAndBacksWithTheirTexts) {
  auto run = Print({});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "4 sheets written to " + pdf_ + "\n");
  EXPECT_EQ(Pages(), 4);
  std::string text = Text();
  for (const char* expected : {"Sopa do dia", "2.50\u20ac", "Page A / Plaque K418B", "Page B / Plaque K418A",
                               "Entradas", "Sobremesas", "D", "E"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
  }
  EXPECT_EQ(text.find("Soup of the day"), std::string::npos);
  // Sheets in order: front 1, back 1, front 2, back 2.
  EXPECT_LT(text.find("Sopa do dia"), text.find("Entradas"));
  EXPECT_LT(text.find("Entradas"), text.find("Sobremesas"));
}

TEST_F(PrintCommand, OptionsChooseSidesPagesAndLanguages) {
  auto run = Print({"--fronts", "--languages", "2,1", "--no-lines"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(Pages(), 2);
  std::string text = Text();
  EXPECT_NE(text.find("Soup of the day"), std::string::npos) << text;
  EXPECT_NE(text.find("Sopa do dia"), std::string::npos) << text;  // the second language below it
  EXPECT_NE(text.find("Desserts"), std::string::npos) << text;
  EXPECT_EQ(text.find("Page B"), std::string::npos) << text;

  run = Print({"--page", "2"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(Pages(), 2);
  text = Text();
  EXPECT_NE(text.find("Sobremesas"), std::string::npos) << text;
  EXPECT_EQ(text.find("Sopa"), std::string::npos) << text;

  run = Print({"--backs"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(Pages(), 2);
  EXPECT_EQ(Text().find("Page A"), std::string::npos);
}

TEST_F(PrintCommand, NothingToPrintAndBadRequests) {
  // Fronts in a language nothing is translated into: nothing printed, no file.
  auto run = Print({"--fronts", "--languages", "5"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(std::filesystem::exists(pdf_));

  for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{{"--languages", "1,1"},
                                                                            {"--page", "15"},
                                                                            {"--page", "2.5"},
                                                                            {"--page", "1e300"},
                                                                            {"--all", "--backs"},
                                                                            {"--colour"}}) {
    run = Print(bad);
    EXPECT_EQ(run.exit_code, 2) << bad[0];
    EXPECT_NE(run.err.find("tabulo: "), std::string::npos);
  }
  run = RunProgram(BuiltProgram("tabulo"), {"print", folder_ / "missing.TB1", "--pdf", pdf_});
  EXPECT_EQ(run.exit_code, 2);
  run = RunProgram(BuiltProgram("tabulo"), {"print", project_});
  EXPECT_EQ(run.exit_code, 2);
  // A file that cannot be written is an error, not a success.
  run = RunProgram(BuiltProgram("tabulo"), {"print", project_, "--pdf", folder_ / "no/such/folder/x.pdf"},
                   {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace tabulo
