// The .xls reader (FreeXL and the table built from its cells) on arbitrary bytes. FreeXL reads from a
// path, so each input is written to a file of this process first.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "designer/import/spreadsheet.h"

namespace {
std::string InputPath() {
  static std::string path = [] {
    char pattern[] = "/tmp/tabulo-xls-fuzz-XXXXXX";
    int fd = ::mkstemp(pattern);
    if (fd < 0) std::abort();
    ::close(fd);
    return std::string(pattern);
  }();
  return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = InputPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
  tabulo::SheetRead read = tabulo::ReadSheetColumns(path, tabulo::SpreadsheetKind::Xls,
                                                    {"PLUCODE", "DESCRIPTION", "PRICE"}, 10000);
  if (read.ok == !read.error.empty()) std::abort();
  if (read.table.rows.size() > 10000) std::abort();
  for (const tabulo::SheetRow& row : read.table.rows) {
    if (row.values.size() != 3 || row.Empty()) std::abort();
  }
  return 0;
}
