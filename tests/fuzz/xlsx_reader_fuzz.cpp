// The .xlsx reader on arbitrary bytes. An input that is a zip archive is read as a workbook; any other is
// taken as the XML of a worksheet and, after its first NUL, of the shared strings, and packed into a
// workbook first, so that the fuzzer reaches the XML and the cells rather than stopping at the archive.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "designer/import/spreadsheet.h"
#include "designer/import/xlsx_reader.h"
#include "tests/import/xlsx_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (std::string_view(bytes).substr(0, 2) != "PK") {
    size_t nul = bytes.find('\0');
    std::string sheet = bytes.substr(0, nul);
    std::string shared = nul == std::string::npos ? std::string() : bytes.substr(nul + 1);
    auto parts = tabulo::test::XlsxParts({{"Sheet1", ""}}, {"x"});
    for (auto& part : parts) {
      if (part.name == "xl/worksheets/sheet1.xml") part.content = sheet;
      if (part.name == "xl/sharedStrings.xml") part.content = shared;
    }
    bytes = tabulo::test::ZipBytes(parts);
  }
  std::string error;
  auto workbook = tabulo::OpenXlsxWorkbook(bytes, "fuzz.xlsx", error);
  if (!workbook) {
    if (error.empty()) std::abort();
    return 0;
  }
  tabulo::SheetRead read =
      tabulo::ReadSheetColumns(*workbook, "fuzz.xlsx", {"PLUCODE", "DESCRIPTION", "PRICE"}, 100);
  if (read.ok == !read.error.empty()) std::abort();
  if (read.table.rows.size() > 100) std::abort();
  return 0;
}
