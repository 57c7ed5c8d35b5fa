#pragma once
// .xls workbooks, Excel 5.0/95 (BIFF5) and Excel 97-2003 (BIFF8), read with FreeXL. FreeXL gives whole
// numbers as integers, dates as text and formula cells as empty (it has no way to give their results, so the
// catalogue reader refuses such a row and suggests .xlsx). It also allocates a sheet's whole declared grid
// when it opens the file: a sheet declaring 65536 x 256 cells costs about 280 MB before it can be refused;
// every return code is checked, and a cell it cannot give reads as empty. FreeXL 1.0.6 itself reads past a
// buffer of its own on some damaged Excel 5.0 files before it refuses them (tests/fixtures/import/faults/,
// found by the fuzz target): without a sanitizer the file is refused like any other damaged file; under
// AddressSanitizer it stops the program, which is why that file is kept out of the fuzz corpus.

#include <memory>
#include <string>

#include "designer/import/spreadsheet.h"

namespace tabulo {

// The workbook, or nothing with the message to show in `error`.
std::unique_ptr<Workbook> OpenXlsWorkbook(const std::string& path, std::string& error);

}  // namespace tabulo
