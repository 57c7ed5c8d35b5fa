#pragma once
// CSV catalogue files as spreadsheet programs and people write them (RFC 4180): fields quoted or not, a
// doubled quote inside a quoted field, line breaks inside quotes, the delimiter a comma, a semicolon or a
// tab, found from the file. Fully quoted lines ("1","Soup","2.50") read as they always did: the code as it
// stands between its quotes, the description and price trimmed, anything outside the quotes ignored.

#include <string>
#include <string_view>
#include <vector>

#include "designer/import/import_report.h"

namespace tabulo {

// The delimiter that splits most of the first records into at least three fields; on a tie a tab, then a
// semicolon (a file with decimal commas), then a comma.
char DetectCsvDelimiter(std::string_view text);

// The records of a CSV text, each with the line it starts on.
struct CsvRecord {
  int line = 0;
  std::vector<std::string> fields;
};
std::vector<CsvRecord> ParseCsvRecords(std::string_view text, char delimiter, size_t max_records = SIZE_MAX);

// Entries of a CSV text in PLUCODE, DESCRIPTION, PRICE order, or in the order a first row naming those
// columns gives (compared without regard to case; that row is not a PLU). Every row is checked as every
// import checks its rows (catalogue_checks.h); rows that fail, rows with fewer than three fields and rows
// past the catalogue's 10000 entries are skipped and reported. PluField2 and PluField3 stay empty, as a new
// menu leaves them. The columns named `extra_headers` in the header row are read too (into `extras`); a file
// without them, or without a header row, gives "" for them.
StagedCatalogue ParseCsvText(std::string text, const std::string& file_name,
                             const std::vector<std::string>& extra_headers = {});

}  // namespace tabulo
