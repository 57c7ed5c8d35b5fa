// The answer of the .xls reader program as the importing process decodes it, on arbitrary bytes. FreeXL
// itself runs in that program, under limits, where its faults end the program and not the import
// (tests/import/xls_isolation_test.cpp); what this process trusts is the answer, so that is what is fuzzed.
// The corpus holds the reader's answers for real workbooks (tabulo-xls-reader FILE.xls > FILE.answer).

#include <cstdint>
#include <cstdlib>
#include <string>

#include "designer/import/spreadsheet.h"
#include "designer/import/xls_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  std::unique_ptr<tabulo::Workbook> workbook = tabulo::XlsWorkbookFromReaderOutput(
      std::string(reinterpret_cast<const char*>(data), size), "fuzz.xls", error);
  if (!workbook) {
    if (error.empty()) std::abort();
    return 0;
  }
  tabulo::SheetRead read =
      tabulo::ReadSheetColumns(*workbook, "fuzz.xls", {"PLUCODE", "DESCRIPTION", "PRICE"}, 10000);
  if (read.ok == !read.error.empty()) std::abort();
  if (read.table.rows.size() > 10000) std::abort();
  for (const tabulo::SheetRow& row : read.table.rows) {
    if (row.values.size() != 3 || row.Empty()) std::abort();
  }
  return 0;
}
