#pragma once
// The PLU interchange file "pludata.txt" in the maker folder: one catalogue entry per line, six
// comma-separated fields (a record tag, the number, two group fields, the price and the description, which
// is the rest of the line and may hold commas). It holds the PLU list of the last send, and the spreadsheet
// imports write it and read it back with the same reader.

#include <string>
#include <string_view>
#include <vector>

#include "designer/import/import_report.h"

namespace tabulo {

// Entries of the file's text, from the first line on. Lines with fewer than five commas and empty lines are
// skipped and reported (empty lines at the end of the file are not lines of the catalogue and are not
// reported); lines past the catalogue's 10000 entries are reported as skipped.
StagedCatalogue ParseInterchangeText(std::string text, const std::string& file_name);

// The file read and parsed; false when it cannot be opened.
bool ReadInterchangeFile(const std::string& path, StagedCatalogue& catalogue);

struct InterchangeWrite {
  bool ok = true;
  std::string error;  // the message to show when the file could not be written
};
// Writes the lines (CR LF ended, Windows-1252 or marked UTF-8), creating the folder when it is missing. The
// earlier file is replaced whole, or kept when the new one cannot be written.
InterchangeWrite WriteInterchangeFile(const std::string& path, const std::vector<std::string>& lines);
// The same for lines already joined, each ended by CR LF.
InterchangeWrite WriteInterchangeText(const std::string& path, std::string text);

}  // namespace tabulo
