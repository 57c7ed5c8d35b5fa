#pragma once
// Small .xlsx archives written part by part, for the cases that spreadsheet programs do not write (inline
// strings, cells out of order, prefixed element names, damaged parts) and for the fuzz corpus.

#include <string>
#include <utility>
#include <vector>

namespace tabulo::test {

struct ZipPart {
  std::string name;
  std::string content;
};

// The bytes of a zip archive holding the parts (deflated).
std::string ZipBytes(const std::vector<ZipPart>& parts);

struct SheetXml {
  std::string name;
  std::string sheet_data;  // the content of <sheetData>
};

// The parts of a workbook with these worksheets and shared strings, as a spreadsheet program lays them out.
std::vector<ZipPart> XlsxParts(const std::vector<SheetXml>& sheets,
                               const std::vector<std::string>& shared = {});

// <row r="N"> with one cell per value: inline strings for texts, numbers for values that start with "=".
// Convenience for rows of plain cells: XlsxRow(2, {"1", "Soup", "=2.5"}).
std::string XlsxRow(int row, const std::vector<std::string>& values);

}  // namespace tabulo::test
