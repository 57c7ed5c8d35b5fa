#pragma once
// CSV catalogue files: one record per line, the PLU code, the description and the price each between
// double quotes. Fields are found by the positions of the first six double quotes of a line; whatever lies
// outside them (separators, spaces, further fields) is ignored, and quotes inside a field are not supported.

#include <string>
#include <string_view>

#include "designer/import/import_report.h"

namespace tabulo {

// Entries of a CSV text: the code as it stands between the first two quotes, the description and the price
// trimmed. A header line is a record like any other. Lines with fewer than six double quotes are skipped
// and reported, and so are empty lines (except at the end of the file) and lines past the catalogue's 10000
// entries. PluField2 and PluField3 stay empty, as a new menu leaves them.
StagedCatalogue ParseCsvText(std::string text, const std::string& file_name);

}  // namespace tabulo
