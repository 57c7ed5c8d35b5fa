#pragma once
// A PLU catalogue file of any kind the imports take, its format recognised by its content whatever its name
// says: an .xls or .xlsx workbook (sheet "Sheet1" or the first, columns PLUCODE, DESCRIPTION and PRICE by
// their headers) or a CSV text. Every row goes through the same checks (catalogue_checks.h), so the import
// commands and the update read one file the same way.

#include <string>
#include <vector>

#include "designer/import/import_report.h"
#include "designer/import/spreadsheet.h"

namespace tabulo {

// Files larger than this are refused before they are read: a catalogue of 10000 PLUs is a few megabytes in
// any of the formats, and a workbook is unpacked and parsed as a stream within a fixed budget besides.
inline constexpr long long kMaxCatalogueFileBytes = 64LL << 20;

struct CatalogueFile {
  bool ok = false;
  std::string error;  // why the file cannot be read at all; the menu stays as it was
  bool spreadsheet = false;
  StagedCatalogue staged;  // the checked rows, with the skipped ones and the remarks
};

// `kind` forces a workbook format when not Detect (a CSV text is recognised in any case). The optional
// columns named `extra_headers` are read too, into the staged catalogue's `extras`.
CatalogueFile ReadCatalogueFile(const std::string& path, SpreadsheetKind kind = SpreadsheetKind::Detect,
                                const std::vector<std::string>& extra_headers = {});

}  // namespace tabulo
