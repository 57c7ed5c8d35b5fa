// The four Import commands on a document: what they store, the interchange file they write, their messages,
// and that a file that cannot be imported leaves the menu as it was.

#include "designer/import/catalogue_imports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/import/xlsx_builder.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

const std::string kFixtures = std::string(TABULO_FIXTURES) + "/import/";

std::vector<std::string> Entry(const MenuDocument& doc, int i) {
  return {doc.PluNumber[i], doc.PluField2[i], doc.PluField3[i], doc.PluPrice[i], doc.PluDescription[i]};
}

class CatalogueImport : public ::testing::Test {
 protected:
  void SetUp() override {
    doc_ = test::FullMenu();
    before_ = std::make_unique<MenuDocument>(*doc_);
    options_.interchange_path = folder_ / "velt/pludata.txt";
    options_.new_menu = [this](MenuDocument& doc) {
      ++new_menus_;
      ResetDocument(doc);
    };
  }

  void ExpectUnchanged(const ImportResult& result) {
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(new_menus_, 0);
    EXPECT_TRUE(*doc_ == *before_) << "the menu was changed by: " << result.message;
  }

  // The menu that an import leaves: only its catalogue filled, everything else as New left it.
  void ExpectOnlyCatalogue(int entries) {
    EXPECT_EQ(new_menus_, 1);
    EXPECT_EQ(doc_->NumPlus, entries);
    MenuDocument fresh = *before_;
    ResetDocument(fresh);
    MenuDocument without_catalogue = *doc_;
    without_catalogue.PluNumber.Fill({});
    without_catalogue.PluField2.Fill({});
    without_catalogue.PluField3.Fill({});
    without_catalogue.PluPrice.Fill({});
    without_catalogue.PluDescription.Fill({});
    without_catalogue.NumPlus = 0;
    EXPECT_TRUE(without_catalogue == fresh) << "pages, lines, modifiers or translations survived the import";
  }

  std::string Interchange() const { return test::ReadFile(options_.interchange_path); }

  test::TempFolder folder_;
  std::unique_ptr<MenuDocument> doc_;
  std::unique_ptr<MenuDocument> before_;
  ImportOptions options_;
  int new_menus_ = 0;
};

TEST_F(CatalogueImport, CsvReplacesTheWholeMenu) {
  test::WriteFile(folder_ / "plus.csv",
                  "\"PLUCODE\",\"DESCRIPTION\",\"PRICE\"\r\n\"1\",\" Soup \",\" 2.50\"\r\n\"2\",\"Tea\"\r\n"
                  "\"3\",\"Caf\xE9\",\"1\"\r\n");
  ImportResult result = ImportCSV(*doc_, folder_ / "plus.csv", options_);
  ASSERT_TRUE(result.ok) << result.message;
  // The header line names the columns and is not a PLU.
  ExpectOnlyCatalogue(2);
  EXPECT_EQ(Entry(*doc_, 0), (std::vector<std::string>{"1", "", "", "2.50", "Soup"}));
  EXPECT_EQ(Entry(*doc_, 1), (std::vector<std::string>{"3", "", "", "1", "Caf\xC3\xA9"}));
  EXPECT_EQ(result.imported, 2);
  EXPECT_EQ(result.message, "2 PLUs imported, 1 line skipped:\nplus.csv, line 3: fewer than three fields.");
  // The CSV import does not go through the interchange file.
  EXPECT_FALSE(std::filesystem::exists(options_.interchange_path));
}

TEST_F(CatalogueImport, CsvOfMoreThanTenThousandLinesStopsThere) {
  std::string text;
  for (int i = 1; i <= 10001; ++i)
    text += "\"" + std::to_string(i) + "\",\"PLU " + std::to_string(i) + "\",\"1\"\n";
  test::WriteFile(folder_ / "big.csv", text);
  ImportResult result = ImportCSV(*doc_, folder_ / "big.csv", options_);
  ASSERT_TRUE(result.ok);
  // Numbers past 9999 have no translation row; the catalogue holds them all the same up to 10000 entries.
  EXPECT_EQ(doc_->NumPlus, 9999);
  EXPECT_EQ(doc_->PluDescription[9998], "PLU 9999");
  EXPECT_EQ(result.message,
            "9999 PLUs imported, 2 lines skipped:\nbig.csv, 2 lines (10000-10001): PLU number is not a whole "
            "number from 1 to 9999.");
}

TEST_F(CatalogueImport, CsvThatGivesNothingLeavesTheMenu) {
  ImportResult missing = ImportCSV(*doc_, folder_ / "missing.csv", options_);
  ExpectUnchanged(missing);
  EXPECT_EQ(missing.message, "Cannot open \"" + folder_ / "missing.csv" +
                                 "\": there is no such file. The menu was left as it was.");

  test::WriteFile(folder_ / "empty.csv", "");
  ImportResult empty = ImportCSV(*doc_, folder_ / "empty.csv", options_);
  ExpectUnchanged(empty);
  EXPECT_EQ(empty.message, "No PLUs found in \"empty.csv\"; the menu was left as it was.");

  test::WriteFile(folder_ / "bad.csv", "1 Soup 2\n2 Tea 1\n\"3\",\"x\n");
  ImportResult bad = ImportCSV(*doc_, folder_ / "bad.csv", options_);
  ExpectUnchanged(bad);
  EXPECT_EQ(bad.message,
            "No PLUs found in \"bad.csv\"; the menu was left as it was.\n3 lines skipped:\n"
            "bad.csv, 3 lines (1-3): fewer than three fields.");
  EXPECT_EQ(bad.skipped.size(), 3u);

  ExpectUnchanged(ImportCSV(*doc_, folder_.Path(), options_));  // a folder
}

TEST_F(CatalogueImport, SpreadsheetGoesThroughTheInterchangeFile) {
  for (const char* name : {"plus.xls", "plus.xlsx", "plus_biff5.xls"}) {
    new_menus_ = 0;
    ImportResult result = ImportFromXls(*doc_, kFixtures + name, options_);
    ASSERT_TRUE(result.ok) << name << ": " << result.message;
    // Written in the maker folder, created for it, in Windows-1252 with CR LF.
    EXPECT_EQ(
        Interchange(),
        "0, 1,0, 1,2.50,Soup\r\n0, 2,0, 2,12,Fish, chips and peas\r\n0, 3,0, 3,0.99,Caf\xE9 cr\xE8me\r\n")
        << name;
    ExpectOnlyCatalogue(3);
    // Numbers carry the leading space the interchange file holds; a description keeps its commas.
    // A price cell of 2.5 is a price in cents written short.
    EXPECT_EQ(Entry(*doc_, 0), (std::vector<std::string>{" 1", "0", " 1", "2.50", "Soup"}));
    EXPECT_EQ(Entry(*doc_, 1), (std::vector<std::string>{" 2", "0", " 2", "12", "Fish, chips and peas"}));
    EXPECT_EQ(Entry(*doc_, 2),
              (std::vector<std::string>{" 3", "0", " 3", "0.99", "Caf\xC3\xA9 cr\xC3\xA8me"}));
    EXPECT_EQ(result.message, "3 PLUs imported.");
    std::filesystem::remove_all(folder_ / "velt");
  }
}

TEST_F(CatalogueImport, SpreadsheetPricesWithADecimalCommaAreTaken) {
  ImportResult result = ImportFromXls(*doc_, kFixtures + "reordered.xlsx", options_);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(doc_->NumPlus, 4);
  EXPECT_EQ(Entry(*doc_, 1), (std::vector<std::string>{" 11", "0", " 11", "3.5", "Bad price"}));
  EXPECT_EQ(result.message,
            "4 PLUs imported, 1 row skipped:\nreordered.xlsx, row 6: price \"1.23456789012346E+16\" is not a "
            "number.");
}

TEST_F(CatalogueImport, SpreadsheetThatCannotBeReadLeavesMenuAndInterchangeFile) {
  test::WriteFile(folder_ / "velt-file", "");
  std::filesystem::create_directories(folder_ / "velt");
  test::WriteFile(options_.interchange_path, "0, 9,0, 9,1,Last sent\r\n");
  for (const char* name : {"no_price.xls", "no_price.xlsx", "empty.xlsx", "missing.xls"}) {
    ImportResult result = ImportFromXls(*doc_, kFixtures + name, options_);
    ExpectUnchanged(result);
    EXPECT_NE(result.message.find("The menu was left as it was."), std::string::npos) << result.message;
    EXPECT_EQ(Interchange(), "0, 9,0, 9,1,Last sent\r\n") << name;
  }
  // A sheet with headers only: nothing to import, nothing written.
  test::WriteFile(
      folder_ / "headers.xlsx",
      test::ZipBytes(test::XlsxParts({{"Sheet1", test::XlsxRow(1, {"PLUCODE", "DESCRIPTION", "PRICE"})}})));
  ImportResult headers = ImportFromXls(*doc_, folder_ / "headers.xlsx", options_);
  ExpectUnchanged(headers);
  EXPECT_EQ(headers.message, "No PLUs found in \"headers.xlsx\"; the menu was left as it was.");
  EXPECT_EQ(Interchange(), "0, 9,0, 9,1,Last sent\r\n");

  // An interchange file that cannot be written: the menu stays.
  options_.interchange_path = folder_ / "velt-file/pludata.txt";
  ImportResult unwritable = ImportFromXls(*doc_, kFixtures + "plus.xlsx", options_);
  ExpectUnchanged(unwritable);
  EXPECT_NE(unwritable.message.find("velt-file"), std::string::npos) << unwritable.message;
}

TEST_F(CatalogueImport, SpreadsheetOfMoreThanTenThousandRows) {
  std::string data = test::XlsxRow(1, {"PLUCODE", "DESCRIPTION", "PRICE"});
  for (int i = 1; i <= 10002; ++i) data += test::XlsxRow(i + 1, {"=" + std::to_string(i), "P", "=1"});
  test::WriteFile(folder_ / "big.xlsx", test::ZipBytes(test::XlsxParts({{"Sheet1", data}})));
  ImportResult result = ImportFromXls(*doc_, folder_ / "big.xlsx", options_);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(doc_->NumPlus, 9999);
  EXPECT_EQ(doc_->PluNumber[9998], " 9999");
  EXPECT_EQ(result.message,
            "9999 PLUs imported, 3 rows skipped:\nbig.xlsx, 3 rows (10001-10003): PLU number is not a whole "
            "number from 1 to 9999.");
}

TEST_F(CatalogueImport, BackOfficeFamiliesThenProducts) {
  for (auto [families, products] : {std::pair{"fami_biff5.xls", "plu_biff5.xls"},
                                    std::pair{"fami.xls", "plu.xls"}, std::pair{"fami.xlsx", "plu.xlsx"}}) {
    new_menus_ = 0;
    EXPECT_EQ(CheckMercatoFamilies(kFixtures + families, options_), "");
    ImportResult result = ImportMercatoXls(*doc_, kFixtures + families, kFixtures + products, options_);
    ASSERT_TRUE(result.ok) << result.message;
    // COMANDO 0 gives no line; NUMERO + 32; the decimal comma of a price made a point.
    EXPECT_EQ(Interchange(),
              "1,0, 1, y, x, Starters\r\n"
              "3,0, 3, y, x, Mains, grills\r\n"
              "0, 5,0, 37, 3.20, Soup of the day\r\n"
              "0, 6,0, 38, 12.50, Steak\r\n"
              "0, 7,0, 39, 2.75, Water, still\r\n")
        << families;
    ExpectOnlyCatalogue(5);
    EXPECT_EQ(Entry(*doc_, 0), (std::vector<std::string>{"0", " 1", " y", "x", "Starters"}));
    EXPECT_EQ(Entry(*doc_, 1), (std::vector<std::string>{"0", " 3", " y", "x", "Mains, grills"}));
    EXPECT_EQ(Entry(*doc_, 2), (std::vector<std::string>{" 5", "0", " 37", "3.20", "Soup of the day"}));
    EXPECT_EQ(result.families, 2);
    EXPECT_EQ(result.products, 3);
    EXPECT_TRUE(result.skipped.empty()) << "a family left out on purpose is no skipped row";
    EXPECT_EQ(result.message, std::string("5 PLUs imported (2 families, 3 products). 1 family with COMANDO 0 "
                                          "left out (") +
                                  families + ", row 3).");
  }
}

TEST_F(CatalogueImport, BackOfficeLines) {
  EXPECT_EQ(ProductInterchangeLine("5", "3,20", "Soup"), "0, 5,0, 37, 3.20, Soup");
  EXPECT_EQ(ProductInterchangeLine("6", "3.20", "Tea"), "0, 6,0, 38, 3.20, Tea");
  EXPECT_EQ(ProductInterchangeLine("7", "1,234,50", "X"), "0, 7,0, 39, 1.234,50, X");  // the first comma only
  EXPECT_EQ(ProductInterchangeLine("2.5", "1", "Y"), "0, 2.5,0, 34.5, 1, Y");
  EXPECT_EQ(ProductInterchangeLine("", "1", "Z"), "0, ,0, 32, 1, Z");
  EXPECT_EQ(FamilyInterchangeLine("4", "12", "Drinks"), "4,0, 12, y, x, Drinks");
  EXPECT_EQ(PluInterchangeLine("1", "2.5", "Soup, hot"), "0, 1,0, 1,2.5,Soup, hot");
}

TEST_F(CatalogueImport, BackOfficeRowsThatWouldMoveFieldsAreSkipped) {
  test::WriteFile(
      folder_ / "fami.xlsx",
      test::ZipBytes(test::XlsxParts(
          {{"Sheet1", test::XlsxRow(1, {"COMANDO,N,4,0", "NUMERO,N,3,0", "NOME,C,25"}) +
                          test::XlsxRow(2, {"1,5", "=1", "Bad"}) + test::XlsxRow(3, {"=2", "=2", "Good"}) +
                          test::XlsxRow(4, {"=0", "=4", "Off"}) + test::XlsxRow(5, {"=0", "=5", "Off"}) +
                          test::XlsxRow(6, {"=0", "=6", "Off"})}})));
  test::WriteFile(folder_ / "plu.xlsx",
                  test::ZipBytes(test::XlsxParts(
                      {{"Sheet1", test::XlsxRow(1, {"NUMERO,N,6,0", "VENDA,N,12,2", "PLU,C,20"}) +
                                      test::XlsxRow(2, {"=5", "1,234,50", "Bad"}) +
                                      test::XlsxRow(3, {"=6", "1.234,50", "Kept"})}})));
  ImportResult result = ImportMercatoXls(*doc_, folder_ / "fami.xlsx", folder_ / "plu.xlsx", options_);
  ASSERT_TRUE(result.ok) << result.message;
  // A price with a thousands point is read as every import reads prices (it once became "1.234.50").
  EXPECT_EQ(Interchange(), "2,0, 2, y, x, Good\r\n0, 6,0, 38, 1234.50, Kept\r\n");
  EXPECT_EQ(result.message,
            "2 PLUs imported (1 family, 1 product), 2 rows skipped:\n"
            "fami.xlsx, row 2: a comma in \"COMANDO,N,4,0\" would move the fields after it.\n"
            "plu.xlsx, row 2: a comma in \"VENDA,N,12,2\" would move the fields after it.\n"
            "3 families with COMANDO 0 left out (fami.xlsx, rows 4-6).");
}

TEST_F(CatalogueImport, BackOfficeWithABadFileLeavesTheMenu) {
  std::string families_error = CheckMercatoFamilies(kFixtures + "plus.xls", options_);
  EXPECT_EQ(families_error,
            "The sheet \"plus\" of \"plus.xls\" has no columns \"COMANDO,N,4,0\", \"NUMERO,N,3,0\" and "
            "\"NOME,C,25\". "
            "The menu was left as it was.");
  ExpectUnchanged(ImportMercatoXls(*doc_, kFixtures + "plus.xls", kFixtures + "plu.xls", options_));
  ImportResult bad_products =
      ImportMercatoXls(*doc_, kFixtures + "fami.xls", kFixtures + "fami.xls", options_);
  ExpectUnchanged(bad_products);
  EXPECT_NE(bad_products.message.find("has no columns \"NUMERO,N,6,0\", \"VENDA,N,12,2\" and \"PLU,C,20\""),
            std::string::npos)
      << bad_products.message;
  EXPECT_FALSE(std::filesystem::exists(options_.interchange_path));
}

TEST_F(CatalogueImport, BackOfficeFamiliesCountAgainstTheCatalogue) {
  std::string families = test::XlsxRow(1, {"COMANDO,N,4,0", "NUMERO,N,3,0", "NOME,C,25"});
  for (int i = 1; i <= 9999; ++i) families += test::XlsxRow(i + 1, {"=1", "=" + std::to_string(i), "F"});
  test::WriteFile(folder_ / "fami.xlsx", test::ZipBytes(test::XlsxParts({{"Sheet1", families}})));
  ImportResult result = ImportMercatoXls(*doc_, folder_ / "fami.xlsx", kFixtures + "plu.xlsx", options_);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(doc_->NumPlus, 10000);
  EXPECT_EQ(result.families, 9999);
  EXPECT_EQ(result.products, 1);
  EXPECT_EQ(result.message,
            "10000 PLUs imported (9999 families, 1 product), 2 rows skipped:\n"
            "plu.xlsx, 2 rows (3-4): beyond the 10000 PLUs the catalogue holds.");
}

TEST_F(CatalogueImport, LastSentPlus) {
  std::filesystem::create_directories(folder_ / "velt");
  test::WriteFile(options_.interchange_path,
                  "st1,1,,1,2.50,Soup\r\nst1,2,,2, 3 ,Fish, chips\r\nst1,3,4,5,6,Tea\r\n");
  ImportResult result = ImportFromDll(*doc_, options_);
  ASSERT_TRUE(result.ok) << result.message;
  ExpectOnlyCatalogue(3);
  EXPECT_EQ(Entry(*doc_, 1), (std::vector<std::string>{"2", "", "2", "3", "Fish, chips"}));
  EXPECT_EQ(Entry(*doc_, 2), (std::vector<std::string>{"3", "4", "5", "6", "Tea"}));
  EXPECT_EQ(result.message, "3 PLUs imported.");
}

TEST_F(CatalogueImport, LastSentPlusMissingOrEmptyLeavesTheMenu) {
  ImportResult missing = ImportFromDll(*doc_, options_);
  ExpectUnchanged(missing);
  EXPECT_EQ(missing.message, "Cannot open \"" + options_.interchange_path +
                                 "\": there is no such file. The menu was left as it was.");
  std::filesystem::create_directories(folder_ / "velt");
  test::WriteFile(options_.interchange_path, "\r\n");
  ExpectUnchanged(ImportFromDll(*doc_, options_));
}

TEST(ImportMessages, SkippedLinesGroupedByFileAndReason) {
  std::vector<SkippedLine> skipped;
  for (int n : {4, 9, 10, 11, 12, 20, 30, 40, 50, 60}) {
    skipped.push_back({"a.csv", SkippedLine::Unit::Line, n, kSkipFewerCsvFields});
  }
  skipped.push_back({"a.csv", SkippedLine::Unit::Line, 70, kSkipEmpty});
  EXPECT_EQ(ImportedMessage(1, "", skipped),
            "1 PLU imported, 11 lines skipped:\n"
            "a.csv, 10 lines (4, 9-12, 20, 30, 40, ...): fewer than three fields.\n"
            "a.csv, line 70: empty.");
  EXPECT_EQ(ImportedMessage(0, "", {}), "0 PLUs imported.");
}

}  // namespace
}  // namespace tabulo
