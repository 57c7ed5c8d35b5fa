#include "designer/import/catalogue_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/files.h"
#include "designer/import/catalogue_checks.h"
#include "designer/import/csv_reader.h"
#include "designer/import/import_texts.h"
#include "designer/import/imported_text.h"

namespace tabulo {
namespace {

bool LooksLikeWorkbook(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char start[8] = {};
  if (!in.read(start, sizeof start)) return false;
  std::string_view head(start, sizeof start);
  return head == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) || head.substr(0, 4) == "PK\x03\x04";
}

// Rows past the catalogue's capacity are reported one by one up to here, and beyond it only counted.
constexpr int kSheetRowLimit = 4 * kMaxPlus;

CatalogueFile ReadSheet(const std::string& path, SpreadsheetKind kind,
                        const std::vector<std::string>& extra_headers) {
  CatalogueFile result;
  result.spreadsheet = true;
  std::string file = FileNameOf(path);
  PluRowChecker checker("row");
  StagedBuilder kept;
  std::vector<SkippedLine> skipped;
  std::vector<std::string> notes;
  std::vector<int> without_price;
  std::vector<std::vector<std::string>> extras;
  std::vector<std::string> headers = {kPluCodeHeader, kDescriptionHeader, kPriceHeader};
  headers.insert(headers.end(), extra_headers.begin(), extra_headers.end());
  SheetRead sheet = ReadSheetRows(
      path, kind, headers, kSheetRowLimit,
      [&](const SheetRow& row) {
        const std::string& code = row.values[0];
        const std::string& description = row.values[1];
        std::string price = PriceOfNumberCell(row.values[2]);
        if (price.empty()) {
          without_price.push_back(row.number);
          return;
        }
        if (kept.Count() >= static_cast<size_t>(kMaxPlus)) {
          skipped.push_back({file, SkippedLine::Unit::Row, row.number, kSkipCatalogueFull});
          return;
        }
        notes.clear();
        std::string reason = checker.Take(code, price, description, row.number, notes);
        if (!reason.empty()) {
          skipped.push_back({file, SkippedLine::Unit::Row, row.number, std::move(reason)});
          return;
        }
        for (std::string& note : notes)
          skipped.push_back({file, SkippedLine::Unit::Row, row.number, note, true});
        kept.Add(code, description, price);
        if (!extra_headers.empty()) extras.emplace_back(row.values.begin() + 3, row.values.end());
      },
      3);
  if (!sheet.ok) {
    result.error = sheet.error;
    return result;
  }
  // A formula's result is all a catalogue can use; where the reader cannot give it, the row is refused
  // rather than imported without a price.
  std::string column = "no price in column " + ColumnName(sheet.columns[2]);
  std::string reason =
      sheet.kind == SpreadsheetKind::Xls
          ? column +
                " (empty, or a formula whose result cannot be read from an .xls file: save the file as .xlsx)"
          : column +
                " (empty, or a formula without a saved result: open and save the file in a spreadsheet "
                "program)";
  for (int row : without_price) skipped.push_back({file, SkippedLine::Unit::Row, row, reason});
  for (int row : sheet.table.rows_beyond)
    skipped.push_back({file, SkippedLine::Unit::Row, row, kSkipCatalogueFull});
  result.staged = kept.Finish(std::move(skipped));
  result.staged.extras = std::move(extras);
  result.staged.other_headers = std::move(sheet.other_headers);
  result.ok = true;
  return result;
}

}  // namespace

CatalogueFile ReadCatalogueFile(const std::string& path, SpreadsheetKind kind,
                                const std::vector<std::string>& extra_headers) {
  CatalogueFile result;
  std::error_code error;
  auto size = std::filesystem::file_size(path, error);
  if (!error && size > static_cast<std::uintmax_t>(kMaxCatalogueFileBytes)) {
    result.error = "\"" + FileNameOf(path) + "\" is larger than the " +
                   std::to_string(kMaxCatalogueFileBytes >> 20) +
                   " MB a catalogue file may have. The menu was left as it was.";
    return result;
  }
  if (LooksLikeWorkbook(path)) return ReadSheet(path, kind, extra_headers);
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    result.error = CannotOpenMessage(path);
    return result;
  }
  result.staged = ParseCsvText(DecodeImportedText(std::move(bytes)), FileNameOf(path), extra_headers);
  result.ok = true;
  return result;
}

}  // namespace tabulo
