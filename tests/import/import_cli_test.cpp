// `tabulo import`, run as a user runs it: a new project from a catalogue file, the designer's message.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

const std::string kFixtures = std::string(TABULO_FIXTURES) + "/import/";

class TabuloImport : public ::testing::Test {
 protected:
  test::ProgramRun Tabulo(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"import"};
    all.insert(all.end(), args.begin(), args.end());
    return test::RunProgram(test::BuiltProgram("tabulo"), all, {"VELT_HOME=" + folder_ / "velt"});
  }
  test::TempFolder folder_;
};

TEST_F(TabuloImport, CsvBecomesAProject) {
  test::ProgramRun run = Tabulo({"csv", kFixtures + "sources/plus.csv", "-o", folder_ / "menu.TB1"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "3 PLUs imported.\n");
  EXPECT_EQ(test::ReadFile(folder_ / "menu.TB1"), "OK\r\n");
  EXPECT_EQ(test::ReadFile(folder_ / "menu_pludata.txt"),
            "st1,1,,,2.50,Soup\r\nst1,2,,,12,Fish, chips and peas\r\n"
            "st1,3,,,0.99,Caf\xE9 cr\xE8me\r\n");
}

TEST_F(TabuloImport, SpreadsheetsAndBackOfficeThroughTheMakerFolder) {
  test::ProgramRun xls = Tabulo({"xls", kFixtures + "plus_biff5.xls", "-o", folder_ / "xls.TB1"});
  ASSERT_EQ(xls.exit_code, 0) << xls.err;
  EXPECT_EQ(
      test::ReadFile(folder_ / "velt/pludata.txt"),
      "0, 1,0, 1,2.50,Soup\r\n0, 2,0, 2,12,Fish, chips and peas\r\n0, 3,0, 3,0.99,Caf\xE9 cr\xE8me\r\n");

  // The interchange file left by that import is what the last-sent import reads.
  test::ProgramRun last = Tabulo({"last-sent", "-o", folder_ / "last.TB1"});
  ASSERT_EQ(last.exit_code, 0) << last.err;
  EXPECT_EQ(test::ReadFile(folder_ / "last_pludata.txt"), test::ReadFile(folder_ / "xls_pludata.txt"));

  test::ProgramRun xlsx = Tabulo({"xlsx", kFixtures + "reordered.xlsx", "-o", folder_ / "xlsx.TB1"});
  EXPECT_EQ(xlsx.exit_code, 1) << xlsx.err;  // a row was skipped
  EXPECT_EQ(xlsx.out,
            "4 PLUs imported, 1 row skipped:\nreordered.xlsx, row 6: price \"1.23456789012346E+16\" is not a "
            "number.\n");

  test::ProgramRun back = Tabulo(
      {"backoffice", kFixtures + "fami_biff5.xls", kFixtures + "plu_biff5.xls", "-o", folder_ / "back.TB1"});
  // A family left out on purpose is no fault: `import ... && send` goes on.
  EXPECT_EQ(back.exit_code, 0) << back.err;
  EXPECT_EQ(back.out,
            "5 PLUs imported (2 families, 3 products). 1 family with COMANDO 0 left out (fami_biff5.xls, row "
            "3).\n");
  EXPECT_EQ(test::ReadFile(folder_ / "back_pludata.txt"),
            "st1,0, 1, y,x,Starters\r\nst1,0, 3, y,x,Mains, grills\r\nst1, 5,0, 37,3.20,Soup of the day\r\n"
            "st1, 6,0, 38,12.50,Steak\r\nst1, 7,0, 39,2.75,Water, still\r\n");
}

TEST_F(TabuloImport, FailuresWriteNoProject) {
  test::ProgramRun missing_column = Tabulo({"xls", kFixtures + "no_price.xls", "-o", folder_ / "a.TB1"});
  EXPECT_EQ(missing_column.exit_code, 2);
  EXPECT_EQ(
      missing_column.err,
      "tabulo: The sheet \"no_price\" of \"no_price.xls\" has no column \"PRICE\". The menu was left as it "
      "was.\n");
  // The content decides the format: a CSV named for the xls import is read as CSV, here with nothing in it.
  test::ProgramRun nothing = Tabulo({"xls", kFixtures + "sources/empty.csv", "-o", folder_ / "a.TB1"});
  EXPECT_EQ(nothing.exit_code, 2);
  test::ProgramRun no_list = Tabulo({"last-sent", "-o", folder_ / "a.TB1"});
  EXPECT_EQ(no_list.exit_code, 2);
  EXPECT_NE(no_list.err.find("pludata.txt\": there is no such file"), std::string::npos) << no_list.err;
  EXPECT_FALSE(std::filesystem::exists(folder_ / "a.TB1"));

  EXPECT_EQ(Tabulo({"csv", kFixtures + "sources/plus.csv"}).exit_code, 2);  // no -o
  EXPECT_EQ(Tabulo({"ods", "x.ods", "-o", folder_ / "a.TB1"}).exit_code, 2);
  EXPECT_EQ(Tabulo({"backoffice", "only-one.xls", "-o", folder_ / "a.TB1"}).exit_code, 2);
  EXPECT_NE(Tabulo({}).err.find("usage: tabulo import"), std::string::npos);
}

}  // namespace
}  // namespace tabulo

namespace tabulo {
namespace {

// What an import now refuses, found in a project an earlier version wrote: a NUL from a UTF-16 file, a number
// given twice, a number past 9999, a price that is no number and a name longer than a terminal shows.
TEST(TabuloCheckCatalogue, ReportsWhatImportsRefuse) {
  test::TempFolder folder;
  const std::filesystem::path small = std::string(TABULO_FIXTURES) + "/projects/small";
  for (const auto& entry : std::filesystem::directory_iterator(small))
    std::filesystem::copy_file(entry.path(), folder / entry.path().filename().string());
  test::WriteFile(folder / "menu_pludata.txt",
                  std::string("st1,1,,1,2.50,S\0o\0u\0p\0\r\n", 25) +
                      "st1,1,,1,3,Again\r\nst1,10000,,,1,Far\r\nst1,4,,,two,Tea\r\n"
                      "st1,5,,,1,A name far longer than any terminal shows\r\nst1,3,,3,1,Water\r\n");
  test::ProgramRun run = test::RunProgram(test::BuiltProgram("tabulo"), {"check", folder / "menu.TB1"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out,
            "catalogue: catalogue entry 1 (PLU \"1\"): holds a NUL character\n"
            "catalogue: catalogue entry 2 (PLU \"1\"): the number is used by catalogue entry 1 too\n"
            "catalogue: catalogue entry 3 (PLU \"10000\"): the number is not a whole number from 1 to 9999\n"
            "catalogue: catalogue entry 4 (PLU \"4\"): the price \"two\" is not a number\n"
            "catalogue: catalogue entry 5 (PLU \"5\"): the name is longer than the 30 characters a terminal "
            "shows\n");
}

}  // namespace
}  // namespace tabulo
