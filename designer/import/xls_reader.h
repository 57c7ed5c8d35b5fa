#pragma once
// .xls workbooks, Excel 5.0/95 (BIFF5) and Excel 97-2003 (BIFF8), read with FreeXL. FreeXL gives whole
// numbers as integers, dates as text and formula cells as empty; every return code is checked, and a cell it
// cannot give reads as empty.

#include <memory>
#include <string>

#include "designer/import/spreadsheet.h"

namespace tabulo {

// The workbook, or nothing with the message to show in `error`.
std::unique_ptr<Workbook> OpenXlsWorkbook(const std::string& path, std::string& error);

}  // namespace tabulo
