// The catalogue file readers: CSV by quote positions, the interchange file, numbers as spreadsheets show
// them, and worksheets from files written by LibreOffice and gnumeric and from hand-made archives.

#include <freexl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "designer/import/catalogue_checks.h"
#include "designer/import/csv_reader.h"
#include "designer/import/imported_text.h"
#include "designer/import/interchange_file.h"
#include "designer/import/spreadsheet.h"
#include "designer/import/xlsx_reader.h"
#include "tests/import/xlsx_builder.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

const std::string kFixtures = std::string(TABULO_FIXTURES) + "/import/";
const std::vector<std::string> kPluHeaders = {"PLUCODE", "DESCRIPTION", "PRICE"};

std::vector<std::string> Values(const CatalogueEntry& e) {
  return {std::string(e.PluNumber), std::string(e.PluField2), std::string(e.PluField3),
          std::string(e.PluPrice), std::string(e.PluDescription)};
}

std::vector<std::vector<std::string>> Rows(const SheetTable& table) {
  std::vector<std::vector<std::string>> rows;
  for (const SheetRow& row : table.rows) {
    std::vector<std::string> values = {std::to_string(row.number)};
    values.insert(values.end(), row.values.begin(), row.values.end());
    rows.push_back(values);
  }
  return rows;
}

SheetRead ReadXlsx(const std::vector<test::ZipPart>& parts,
                   const std::vector<std::string>& headers = kPluHeaders, int limit = 10000) {
  std::string error;
  auto workbook = OpenXlsxWorkbook(test::ZipBytes(parts), "made.xlsx", error);
  if (!workbook) {
    SheetRead failed;
    failed.error = error;
    return failed;
  }
  return ReadSheetColumns(*workbook, "made.xlsx", headers, limit);
}

TEST(CsvReader, QuotedAsAlwaysAndAsProgramsWriteIt) {
  // The fully quoted layout reads as it always did, but its header line is no longer a PLU "PLUCODE".
  StagedCatalogue staged = ParseCsvText(
      "\"PLUCODE\",\"DESCRIPTION\",\"PRICE\"\r\n"
      "\" 1\",\"  Soup \",\" 2.50 \"\r\n"
      "\"3\",\"no price\"\r\n"
      "\r\n"
      "\"4\",\"Fish, chips\",\"7\" ,\"ignored\"\n"
      "\r\n\r\n",
      "plus.csv");
  ASSERT_EQ(staged.entries.size(), 2u);
  // The code keeps its spaces; description and price are trimmed; further fields are ignored.
  EXPECT_EQ(Values(staged.entries[0]), (std::vector<std::string>{" 1", "", "", "2.50", "Soup"}));
  EXPECT_EQ(Values(staged.entries[1]), (std::vector<std::string>{"4", "", "", "7", "Fish, chips"}));
  ASSERT_EQ(staged.skipped.size(), 2u);
  EXPECT_EQ(staged.skipped[0].number, 3);
  EXPECT_EQ(staged.skipped[0].reason, kSkipFewerCsvFields);
  EXPECT_EQ(staged.skipped[1].number, 4);
  EXPECT_EQ(staged.skipped[1].reason, kSkipEmpty);

  // Semicolons with decimal commas and currency signs, doubled quotes, a line break inside quotes, columns in
  // the header's order, and every row checked before it is taken.
  staged = ParseCsvText(
      "price;PluCode;Description\n"
      "\"2,50\";1;Soup\n"
      "\xE2\x82\xAC 3,20;2;\"Fish \"\"deluxe\"\"\"\n"
      "4.00 \xE2\x82\xAC;3;\"Two\nlines\"\n"
      "$3;4;Tea\n"
      "1.234,50;5;Feast\n"
      "abc;6;Bad price\n"
      "1;4;Same number\n"
      "1;10000;Too high\n"
      "1;2.5;Not whole\n"
      "1;7;A name far longer than any terminal shows\n",
      "semi.csv");
  std::vector<std::vector<std::string>> values;
  for (const CatalogueEntry& entry : staged.entries) values.push_back(Values(entry));
  EXPECT_EQ(values, (std::vector<std::vector<std::string>>{
                        {"1", "", "", "2.50", "Soup"},
                        {"2", "", "", "3.20", "Fish \"deluxe\""},
                        {"3", "", "", "4.00", "Two lines"},
                        {"4", "", "", "3", "Tea"},
                        {"5", "", "", "1234.50", "Feast"},
                        {"7", "", "", "1", "A name far longer than any terminal shows"}}));
  EXPECT_EQ(SkippedReport(staged.skipped),
            "4 lines skipped, 1 remark:\n"
            "semi.csv, line 8: price \"abc\" is not a number.\n"
            "semi.csv, line 9: PLU 4 already given in line 6.\n"
            "semi.csv, 2 lines (10-11): PLU number is not a whole number from 1 to 9999.\n"
            "semi.csv, line 12: name longer than the 30 characters a terminal shows (imported).");

  // Unquoted commas and tabs are found as the delimiter.
  EXPECT_EQ(ParseCsvText("1,Soup,2.5\r\n2,Tea,1\r\n", "c.csv").entries.size(), 2u);
  staged = ParseCsvText("1\tSoup, hot\t2,5\n", "t.csv");
  ASSERT_EQ(staged.entries.size(), 1u);
  EXPECT_EQ(Values(staged.entries[0]), (std::vector<std::string>{"1", "", "", "2.5", "Soup, hot"}));
}

TEST(CsvReader, StopsAtTheCatalogueCapacity) {
  std::string text;
  for (int i = 1; i <= 10002; ++i) text += "\"" + std::to_string(i) + "\",\"P\",\"1\"\r\n";
  StagedCatalogue staged = ParseCsvText(text, "big.csv");
  // Every number up to 9999 fits; the numbers after it have no translation row.
  ASSERT_EQ(staged.entries.size(), 9999u);
  EXPECT_EQ(staged.entries.back().PluNumber, "9999");
  ASSERT_EQ(staged.skipped.size(), 3u);
  EXPECT_EQ(staged.skipped[0].number, 10000);
  EXPECT_EQ(staged.skipped[2].number, 10002);
  EXPECT_EQ(staged.skipped[0].reason, kSkipBadNumber);
  EXPECT_TRUE(ParseCsvText("", "empty.csv").entries.empty());
}

TEST(ImportedText, Utf16Utf8AndWindows1252DecidedPerFileAndNoNul) {
  // A spreadsheet's "Unicode text": UTF-16 behind its mark, both byte orders, a character outside the BMP.
  EXPECT_EQ(DecodeImportedText(std::string("\xFF\xFE"
                                           "1\0;\0\xE9\0\x3C\xD8\x72\xDF",
                                           12)),
            "1;\xC3\xA9\xF0\x9F\x8D\xB2");
  EXPECT_EQ(DecodeImportedText(std::string("\xFE\xFF\0A\0\0\0B", 8)), "AB");  // the NUL is dropped
  EXPECT_EQ(DecodeImportedText(std::string("a\0b\xE9", 4)), "ab\xC3\xA9");
  // UTF-8 except for one Windows-1252 byte: the whole file is Windows-1252.
  EXPECT_EQ(DecodeImportedText("\xC3\xA9 \xE9"), "\xC3\x83\xC2\xA9 \xC3\xA9");

  EXPECT_EQ(DecodeImportedText("Caf\xC3\xA9"), "Caf\xC3\xA9");  // UTF-8 as saved today
  EXPECT_EQ(DecodeImportedText("Caf\xE9"), "Caf\xC3\xA9");      // Windows-1252
  EXPECT_EQ(DecodeImportedText("\xEF\xBB\xBF"
                               "a\xC3\xA9"),
            "a\xC3\xA9");                                 // marked UTF-8
  EXPECT_EQ(DecodeImportedText("\x80"), "\xE2\x82\xAC");  // the euro sign of Windows-1252
  // Bytes that are not well-formed UTF-8 are Windows-1252: overlong forms, surrogates, values past U+10FFFF
  // and sequences cut short.
  EXPECT_EQ(DecodeImportedText("\xC0\xAF"), "\xC3\x80\xC2\xAF");
  EXPECT_EQ(DecodeImportedText("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
  EXPECT_EQ(DecodeImportedText("\xF4\x90\x80\x80").substr(0, 2), "\xC3\xB4");
  EXPECT_EQ(DecodeImportedText("a\xE2\x82"), "a\xC3\xA2\xE2\x80\x9A");
  EXPECT_EQ(DecodeImportedText("\xF0\x9F\x8D\xB2 soup"), "\xF0\x9F\x8D\xB2 soup");
}

TEST(InterchangeFile, SixFieldsTheLastTakingTheRestOfTheLine) {
  StagedCatalogue staged = ParseInterchangeText(
      "0, 1,0, 1, 2.5 , Fish, chips and peas \r\n"
      "st1,2,g,3,4\r\n"
      "\r\n"
      "1,0, 3, y, x, Mains\r\n",
      "pludata.txt");
  ASSERT_EQ(staged.entries.size(), 2u);
  EXPECT_EQ(Values(staged.entries[0]),
            (std::vector<std::string>{" 1", "0", " 1", "2.5", "Fish, chips and peas"}));
  EXPECT_EQ(Values(staged.entries[1]), (std::vector<std::string>{"0", " 3", " y", "x", "Mains"}));
  ASSERT_EQ(staged.skipped.size(), 2u);
  EXPECT_EQ(staged.skipped[0].number, 2);
  EXPECT_EQ(staged.skipped[0].reason, kSkipFewerFields);
  EXPECT_EQ(staged.skipped[1].number, 3);
  EXPECT_EQ(staged.skipped[1].reason, kSkipEmpty);

  std::string many;
  for (int i = 0; i < 10001; ++i) many += "0,1,2,3,4,5\n";
  staged = ParseInterchangeText(many, "pludata.txt");
  EXPECT_EQ(staged.entries.size(), 10000u);
  ASSERT_EQ(staged.skipped.size(), 1u);
  EXPECT_EQ(staged.skipped[0].reason, kSkipCatalogueFull);
}

TEST(InterchangeFile, WrittenInAMissingFolderAndReadBackWhole) {
  test::TempFolder folder;
  std::string path = folder / "velt/deeper/pludata.txt";
  std::vector<std::string> lines = {"0, 1,0, 1,2.5,Caf\xC3\xA9, cr\xC3\xA8me", "0, 2,0, 2,3,Soup"};
  ASSERT_TRUE(WriteInterchangeFile(path, lines).ok);
  EXPECT_EQ(test::ReadFile(path), "0, 1,0, 1,2.5,Caf\xE9, cr\xE8me\r\n0, 2,0, 2,3,Soup\r\n");
  StagedCatalogue staged;
  ASSERT_TRUE(ReadInterchangeFile(path, staged));
  ASSERT_EQ(staged.entries.size(), 2u);
  EXPECT_EQ(staged.entries[0].PluDescription, "Caf\xC3\xA9, cr\xC3\xA8me");

  // Text Windows-1252 cannot hold is written as marked UTF-8 and comes back the same.
  ASSERT_TRUE(WriteInterchangeFile(path, {"0, 1,0, 1,1,\xD0\x91\xD0\xBE\xD1\x80\xD1\x89"}).ok);
  ASSERT_TRUE(ReadInterchangeFile(path, staged));
  EXPECT_EQ(staged.entries[0].PluDescription, "\xD0\x91\xD0\xBE\xD1\x80\xD1\x89");

  // A file where the folder should be: nothing written, the reason given.
  test::WriteFile(folder / "blocker", "x");
  InterchangeWrite failed = WriteInterchangeFile(folder / "blocker/pludata.txt", lines);
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.error.find("blocker"), std::string::npos) << failed.error;
  EXPECT_FALSE(ReadInterchangeFile(folder / "missing.txt", staged));
}

TEST(GeneralNumberText, FifteenSignificantDigitsWithoutTrailingZeros) {
  EXPECT_EQ(GeneralNumberText(12.0), "12");
  EXPECT_EQ(GeneralNumberText(0.99), "0.99");
  EXPECT_EQ(GeneralNumberText(0.1 + 0.2), "0.3");
  EXPECT_EQ(GeneralNumberText(2.50), "2.5");
  EXPECT_EQ(GeneralNumberText(-3.25), "-3.25");
  EXPECT_EQ(GeneralNumberText(-0.0), "0");
  EXPECT_EQ(GeneralNumberText(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(GeneralNumberText(123456789012345.0), "123456789012345");
  EXPECT_EQ(GeneralNumberText(12345678901234567.0), "1.23456789012346E+16");
  EXPECT_EQ(GeneralNumberText(1e20), "1E+20");
  EXPECT_EQ(GeneralNumberText(0.00001), "1E-05");
  EXPECT_EQ(GeneralNumberText(37), "37");
  EXPECT_EQ(GeneralNumberText(0.001), "0.001");
  EXPECT_EQ(GeneralNumberText(0.0001), "0.0001");
  EXPECT_EQ(GeneralNumberText(-0.05), "-0.05");
}

// The fast paths agree with rounding to 15 significant digits as printf does it, over prices, fractions of
// every size and arbitrary bit patterns.
TEST(GeneralNumberText, AgreesWithFifteenDigitRounding) {
  auto reference = [](double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text = buffer;
    for (char& c : text) c = c == 'e' ? 'E' : c;
    return text == "-0" ? std::string("0") : text;
  };
  std::vector<double> values;
  for (int cents = -20000; cents <= 200000; cents += 7) values.push_back(cents / 100.0);
  for (int i = 1; i < 5000; ++i) {
    values.push_back(i / 3.0);
    values.push_back(i / 1000.0);
    values.push_back(i * 1234.5678);
    values.push_back(1.0 / i);
    values.push_back(i * 1e-5);
    values.push_back(99999999999999.0 + i / 8.0);
  }
  uint64_t bits = 0x123456789ABCDEFull;
  for (int i = 0; i < 20000; ++i) {
    bits = bits * 6364136223846793005ull + 1442695040888963407ull;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) values.push_back(value);
  }
  for (double value : values) ASSERT_EQ(GeneralNumberText(value), reference(value)) << value;
}

// The same sheet written by three programs reads the same: trimmed, numbers in general format, text
// converted from the file's code page.
TEST(SpreadsheetFixtures, SameRowsFromEveryFormat) {
  const std::vector<std::vector<std::string>> expected = {{"2", "1", "Soup", "2.5"},
                                                          {"3", "2", "Fish, chips and peas", "12"},
                                                          {"4", "3", "Caf\xC3\xA9 cr\xC3\xA8me", "0.99"}};
  for (const char* name : {"plus.xls", "plus.xlsx", "plus_biff5.xls"}) {
    SheetRead read = ReadSheetColumns(kFixtures + name, SpreadsheetKind::Detect, kPluHeaders, 10000);
    ASSERT_TRUE(read.ok) << name << ": " << read.error;
    EXPECT_EQ(Rows(read.table), expected) << name;
    EXPECT_TRUE(read.table.rows_beyond.empty());
  }
}

TEST(SpreadsheetFixtures, ExcelFiveAndExcelNinetySevenFormats) {
  for (auto [name, version] :
       {std::pair{"plus_biff5.xls", FREEXL_BIFF_VER_5}, std::pair{"fami_biff5.xls", FREEXL_BIFF_VER_5},
        std::pair{"plu_biff5.xls", FREEXL_BIFF_VER_5}, std::pair{"plus.xls", FREEXL_BIFF_VER_8}}) {
    const void* handle = nullptr;
    ASSERT_EQ(freexl_open((kFixtures + name).c_str(), &handle), FREEXL_OK) << name;
    unsigned int biff = 0;
    EXPECT_EQ(freexl_get_info(handle, FREEXL_BIFF_VERSION, &biff), FREEXL_OK);
    EXPECT_EQ(biff, static_cast<unsigned int>(version)) << name;
    freexl_close(handle);
  }
}

TEST(SpreadsheetFixtures, ColumnsByHeaderNameInAnyOrder) {
  // Headers " Description " and "price" match after trimming and without regard to case; the NOTE column
  // is not read; the empty row is left out; text that looks like a number with a comma stays text.
  const std::vector<std::vector<std::string>> expected = {{"2", "10", "Tea", "1.5"},
                                                          {"4", "11", "Bad price", "3,5"},
                                                          {"5", "12", "Lemonade", "19.99"},
                                                          {"6", "13", "Big", "1.23456789012346E+16"},
                                                          {"7", "14", "Small", "0.1"}};
  for (const char* name : {"reordered.xls", "reordered.xlsx"}) {
    SheetRead read = ReadSheetColumns(kFixtures + name, SpreadsheetKind::Detect, kPluHeaders, 10000);
    ASSERT_TRUE(read.ok) << name << ": " << read.error;
    EXPECT_EQ(Rows(read.table), expected) << name;
  }
}

TEST(SpreadsheetFixtures, SheetOneEvenWhenItIsNotTheFirst) {
  for (const char* name : {"multi.xls", "multi.xlsx"}) {
    SheetRead read = ReadSheetColumns(kFixtures + name, SpreadsheetKind::Detect, kPluHeaders, 10000);
    ASSERT_TRUE(read.ok) << name << ": " << read.error;
    EXPECT_EQ(read.table.sheet, "Sheet1");
    EXPECT_EQ(Rows(read.table),
              (std::vector<std::vector<std::string>>{{"2", "7", "Tea", "3.2"}, {"3", "8", "Coffee", "1.5"}}));
  }
}

TEST(SpreadsheetFixtures, MissingColumnsAndEmptySheetsAreNamed) {
  for (const char* name : {"no_price.xls", "no_price.xlsx"}) {
    SheetRead read = ReadSheetColumns(kFixtures + name, SpreadsheetKind::Detect, kPluHeaders, 10000);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error, "The sheet \"no_price\" of \"" + std::string(name) +
                              "\" has no column \"PRICE\". The menu was left as it was.");
  }
  for (const char* name : {"empty.xls", "empty.xlsx"}) {
    SheetRead read = ReadSheetColumns(kFixtures + name, SpreadsheetKind::Detect, kPluHeaders, 10000);
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.error.find("has no columns \"PLUCODE\", \"DESCRIPTION\" and \"PRICE\""), std::string::npos)
        << read.error;
  }
}

TEST(SpreadsheetFixtures, TenThousandRowsToTheLast) {
  for (const char* name : {"bench10000.xls", "bench10000.xlsx"}) {
    SheetRead read = ReadSheetColumns(kFixtures + name, SpreadsheetKind::Detect, kPluHeaders, 10000);
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.table.rows.size(), 10000u);
    EXPECT_EQ(Rows(read.table).back(),
              (std::vector<std::string>{"10001", "10000", "Product 10000, house style", "11"}));
    // With a smaller limit the rest is counted, not read.
    read = ReadSheetColumns(kFixtures + name, SpreadsheetKind::Detect, kPluHeaders, 9998);
    ASSERT_EQ(read.table.rows.size(), 9998u);
    EXPECT_EQ(read.table.rows_beyond, (std::vector<int>{10000, 10001}));
  }
}

TEST(SpreadsheetFiles, WhatIsNotAWorkbookIsSaidSo) {
  test::TempFolder folder;
  test::WriteFile(folder / "text.xls", "PLUCODE,DESCRIPTION,PRICE\n1,Soup,2\n");
  test::WriteFile(folder / "empty.xls", "");
  test::WriteFile(folder / "broken.xlsx", std::string("PK\x03\x04", 4) + "not really a zip");
  std::string damaged = test::ReadFile(kFixtures + "plus.xls");
  damaged.resize(1024);
  test::WriteFile(folder / "damaged.xls", damaged);

  auto error_of = [&](const std::string& path, SpreadsheetKind kind = SpreadsheetKind::Detect) {
    SheetRead read = ReadSheetColumns(path, kind, kPluHeaders, 10000);
    EXPECT_FALSE(read.ok) << path;
    return read.error;
  };
  EXPECT_EQ(error_of(folder / "text.xls"),
            "\"text.xls\" is not a spreadsheet (.xls or .xlsx). The menu was left as it was.");
  EXPECT_EQ(error_of(folder / "empty.xls"),
            "\"empty.xls\" is not a spreadsheet (.xls or .xlsx). The menu was left as it was.");
  EXPECT_NE(error_of(folder / "missing.xls").find("there is no such file"), std::string::npos);
  EXPECT_NE(error_of(folder / "broken.xlsx").find("is not an Excel workbook (.xlsx)"), std::string::npos);
  EXPECT_NE(error_of(folder / "damaged.xls").find("is not an Excel 97-2003 or Excel 5.0/95 workbook"),
            std::string::npos);
  // A kind asked for is read as that kind.
  EXPECT_NE(error_of(kFixtures + "plus.xlsx", SpreadsheetKind::Xls).find("Excel 97-2003"), std::string::npos);
  EXPECT_NE(error_of(kFixtures + "plus.xls", SpreadsheetKind::Xlsx).find("(.xlsx)"), std::string::npos);
}

TEST(XlsxReader, EveryKindOfCellByItsReference) {
  std::string data =
      "<row r=\"1\"><c r=\"C1\" t=\"s\"><v>2</v></c><c r=\"A1\" t=\"s\"><v>0</v></c>"  // out of order
      "<c r=\"B1\" t=\"s\"><v>1</v></c></row>"
      "<row r=\"3\"><c r=\"A3\"><v>2</v></c><c r=\"B3\" t=\"inlineStr\"><is><r><t>Rich "
      "</t></r><r><t>text</t></r>"
      "</is></c><c r=\"C3\"><v>2.4900000000000002</v></c></row>"
      "<row r=\"2\"><c r=\"A2\"><v>1</v></c><c r=\"B2\" t=\"s\"><v>3</v></c><c r=\"C2\" "
      "t=\"b\"><v>1</v></c></row>"
      "<row r=\"4\"><c r=\"A4\" t=\"str\"><v>4</v></c><c r=\"B4\" t=\"e\"><v>#DIV/0!</v></c>"
      "<c r=\"C4\" t=\"b\"><v>0</v></c></row>"
      "<row r=\"5\"><c r=\"A5\" t=\"s\"><v>99</v></c><c r=\"B5\" "
      "t=\"inlineStr\"><is><t>two&#10;lines</t></is></c>"
      "<c r=\"C5\"><v>1E-3</v></c></row>"
      "<row r=\"6\"><c><v>6</v></c><c t=\"inlineStr\"><is><t>no refs</t></is></c><c><v>6.5</v></c></row>"
      "<row><c r=\"A7\"><v>7</v></c><c r=\"A7\"><v>8</v></c><c r=\"XFE7\"><v>0</v></c>"  // repeated, too far
      "<c r=\"B7\" t=\"inlineStr\"><is><t>last wins</t></is></c><c r=\"C7\"><v>abc</v></c></row>";
  std::vector<std::string> shared = {"PLUCODE", "DESCRIPTION", "PRICE", "Shared"};
  auto parts = test::XlsxParts({{"Sheet1", data}}, shared);
  // A shared string with a phonetic run: the hint is not part of the text.
  for (auto& part : parts) {
    if (part.name == "xl/sharedStrings.xml") {
      part.content.replace(
          part.content.find("<si><t>Shared</t></si>"), 22,
          "<si><r><t>Sha</t></r><r><t>red</t></r><rPh sb=\"0\" eb=\"1\"><t>x</t></rPh></si>");
    }
  }
  SheetRead read = ReadXlsx(parts);
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(Rows(read.table), (std::vector<std::vector<std::string>>{{"2", "1", "Shared", "TRUE"},
                                                                     {"3", "2", "Rich text", "2.49"},
                                                                     {"4", "4", "#DIV/0!", "FALSE"},
                                                                     {"5", "", "two lines", "0.001"},
                                                                     {"6", "6", "no refs", "6.5"},
                                                                     {"7", "8", "last wins", "abc"}}));
}

TEST(XlsxReader, PrefixedNamesChartSheetsAndTheFirstWorksheet) {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  auto parts = test::XlsxParts({{"Data", ""}});
  for (auto& part : parts) {
    if (part.name == "xl/workbook.xml") {
      // A chart sheet named Sheet1 comes first: it is no worksheet and not read.
      part.content.replace(part.content.find("<sheet "), 0,
                           "<sheet name=\"Sheet1\" sheetId=\"9\" r:id=\"rIdC\"/>");
    }
    if (part.name == "xl/_rels/workbook.xml.rels") {
      part.content.replace(
          part.content.find("</Relationships>"), 0,
          "<Relationship Id=\"rIdC\" Type=\"" + rel + "/chartsheet\" Target=\"chartsheets/sheet1.xml\"/>");
    }
    if (part.name == "xl/worksheets/sheet1.xml") {
      // Every element with a prefix, as some writers do.
      part.content =
          "<?xml version=\"1.0\"?><x:worksheet "
          "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
          "<x:sheetData><x:row r=\"1\"><x:c r=\"A1\" t=\"inlineStr\"><x:is><x:t>PLUCODE</x:t></x:is></x:c>"
          "<x:c r=\"B1\" t=\"inlineStr\"><x:is><x:t>DESCRIPTION</x:t></x:is></x:c>"
          "<x:c r=\"C1\" t=\"inlineStr\"><x:is><x:t>PRICE</x:t></x:is></x:c></x:row>"
          "<x:row r=\"2\"><x:c r=\"A2\"><x:v>1</x:v></x:c><x:c r=\"B2\" "
          "t=\"inlineStr\"><x:is><x:t>Soup</x:t></x:is>"
          "</x:c><x:c r=\"C2\"><x:v>2.5</x:v></x:c></x:row></x:sheetData></x:worksheet>";
    }
  }
  SheetRead read = ReadXlsx(parts);
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.table.sheet, "Data");
  EXPECT_EQ(Rows(read.table), (std::vector<std::vector<std::string>>{{"2", "1", "Soup", "2.5"}}));
}

TEST(XlsxReader, WorkbooksWithoutWorksheetsOrWithDamagedParts) {
  auto no_sheets = test::XlsxParts({});
  EXPECT_EQ(ReadXlsx(no_sheets).error, "\"made.xlsx\" holds no worksheet. The menu was left as it was.");

  auto damaged = test::XlsxParts({{"Sheet1", test::XlsxRow(1, {"PLUCODE"})}});
  for (auto& part : damaged) {
    if (part.name == "xl/worksheets/sheet1.xml") part.content = "<worksheet><sheetData><row>";
  }
  EXPECT_EQ(ReadXlsx(damaged).error,
            "The worksheet \"Sheet1\" of \"made.xlsx\" cannot be read. The menu was left as it was.");

  // Without the workbook's relationships the parts are found under their usual names.
  auto bare =
      test::XlsxParts({{"Sheet1", test::XlsxRow(1, kPluHeaders) + test::XlsxRow(2, {"=5", "Tea", "=1"})}});
  std::erase_if(bare, [](const test::ZipPart& part) { return part.name == "xl/_rels/workbook.xml.rels"; });
  SheetRead read = ReadXlsx(bare);
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(Rows(read.table), (std::vector<std::vector<std::string>>{{"2", "5", "Tea", "1"}}));
}

}  // namespace
}  // namespace tabulo

namespace tabulo {
namespace {

TEST(PriceRule, OneRuleForEveryImport) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> prices = {
      {"2,50", "2.50"},
      {"\xE2\x82\xAC 2,50", "2.50"},
      {"2.50 \xE2\x82\xAC", "2.50"},
      {"$3", "3"},
      {"EUR 4", "4"},
      {"3,20\xC2\xA0\xE2\x82\xAC", "3.20"},
      {"1.234,50", "1234.50"},
      {"1,234.50", "1234.50"},
      {"1,234,567", "1234567"},
      {",5", "0.5"},
      {"-1,5", "-1.5"},
      {"", ""},
      {"1,234,50", {}},
      {"12,34,5", {}},
      {"abc", {}},
      {"1.5E+3", {}},
      {"2.", {}},
      {"\xE2\x82\xAC", ""}};
  for (const auto& [text, normal] : prices) EXPECT_EQ(NormalisePrice(text), normal) << text;
}

}  // namespace
}  // namespace tabulo
