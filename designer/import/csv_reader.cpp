#include "designer/import/csv_reader.h"

#include <algorithm>
#include <cstdint>

#include "designer/document/numbers.h"
#include "designer/import/catalogue_checks.h"
#include "designer/import/import_texts.h"

namespace tabulo {
namespace {

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}

std::string Upper(std::string_view text) {
  std::string upper(Trim(text));
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

constexpr size_t kNoColumn = SIZE_MAX;

// Columns of code, description and price, then of the extra headers (kNoColumn when absent): from a header
// record when the first record is one. The header cells naming none of them land in `others`.
bool HeaderColumns(const CsvRecord& record, const std::vector<std::string>& extra_headers,
                   std::vector<size_t>& columns, std::vector<std::string>& others) {
  std::vector<std::string> names = {kPluCodeHeader, kDescriptionHeader, kPriceHeader};
  for (const std::string& extra : extra_headers) names.push_back(Upper(extra));
  std::vector<size_t> found(names.size(), kNoColumn);
  std::vector<std::string> unnamed;
  for (size_t i = 0; i < record.fields.size(); ++i) {
    std::string name = Upper(record.fields[i]);
    bool asked = false;
    for (size_t k = 0; k < names.size(); ++k) {
      if (name != names[k]) continue;
      if (found[k] == kNoColumn) found[k] = i;
      asked = true;
    }
    if (!asked && !name.empty()) unnamed.emplace_back(Trim(record.fields[i]));
  }
  if (found[0] == kNoColumn || found[1] == kNoColumn || found[2] == kNoColumn) return false;
  columns = std::move(found);
  others = std::move(unnamed);
  return true;
}

}  // namespace

std::vector<CsvRecord> ParseCsvRecords(std::string_view text, char delimiter, size_t max_records) {
  std::vector<CsvRecord> records;
  size_t i = 0;
  size_t n = text.size();
  int line = 1;
  auto step_line_end = [&] {
    if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    ++i;
    ++line;
  };
  while (i < n && records.size() < max_records) {
    CsvRecord record;
    record.line = line;
    for (;;) {
      size_t j = i;
      while (j < n && (text[j] == ' ' || (text[j] == '\t' && delimiter != '\t'))) ++j;
      std::string field;
      if (j < n && text[j] == '"') {
        i = j + 1;
        while (i < n) {
          if (text[i] == '"') {
            if (i + 1 < n && text[i + 1] == '"') {
              field += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          if (IsLineEnd(text[i])) {
            // A line break inside quotes belongs to the value; the catalogue holds one line per value.
            field += ' ';
            step_line_end();
            continue;
          }
          field += text[i++];
        }
        // Whatever stands between the closing quote and the delimiter is ignored, as it always was.
        while (i < n && text[i] != delimiter && !IsLineEnd(text[i])) ++i;
      } else {
        size_t start = i;
        while (i < n && text[i] != delimiter && !IsLineEnd(text[i])) ++i;
        field.assign(Trim(text.substr(start, i - start)));
      }
      record.fields.push_back(std::move(field));
      if (i < n && text[i] == delimiter) {
        ++i;
        continue;
      }
      if (i < n) step_line_end();
      break;
    }
    records.push_back(std::move(record));
  }
  return records;
}

char DetectCsvDelimiter(std::string_view text) {
  constexpr size_t kSampleRecords = 50;
  char best = ',';
  size_t best_score = 0;
  for (char delimiter : {'\t', ';', ','}) {
    size_t score = 0;
    for (const CsvRecord& record : ParseCsvRecords(text, delimiter, kSampleRecords)) {
      if (record.fields.size() >= 3) ++score;
    }
    if (score > best_score) {
      best = delimiter;
      best_score = score;
    }
  }
  return best;
}

StagedCatalogue ParseCsvText(std::string text, const std::string& file_name,
                             const std::vector<std::string>& extra_headers) {
  std::vector<SkippedLine> skipped;
  std::vector<CsvRecord> records = ParseCsvRecords(text, DetectCsvDelimiter(text));
  text.clear();
  text.shrink_to_fit();
  while (!records.empty() && records.back().fields.size() == 1 && Trim(records.back().fields[0]).empty())
    records.pop_back();
  std::vector<size_t> columns = {0, 1, 2};
  columns.resize(3 + extra_headers.size(), kNoColumn);
  std::vector<std::string> other_headers;
  size_t first = !records.empty() && HeaderColumns(records[0], extra_headers, columns, other_headers) ? 1 : 0;
  std::vector<std::vector<std::string>> extras;

  StagedBuilder kept;
  PluRowChecker checker("line");
  for (size_t r = first; r < records.size(); ++r) {
    CsvRecord& record = records[r];
    auto skip = [&](std::string reason, bool imported = false) {
      skipped.push_back({file_name, SkippedLine::Unit::Line, record.line, std::move(reason), imported});
    };
    if (record.fields.size() == 1 && Trim(record.fields[0]).empty()) {
      skip(kSkipEmpty);
      continue;
    }
    if (record.fields.size() <= std::max({columns[0], columns[1], columns[2]})) {
      skip(kSkipFewerCsvFields);
      continue;
    }
    if (kept.Count() >= static_cast<size_t>(kMaxPlus)) {
      skip(kSkipCatalogueFull);
      continue;
    }
    std::string code = record.fields[columns[0]];
    std::string description(Trim(record.fields[columns[1]]));
    std::string price(Trim(record.fields[columns[2]]));
    std::vector<std::string> notes;
    std::string reason = checker.Take(code, price, description, record.line, notes);
    if (!reason.empty()) {
      skip(std::move(reason));
      continue;
    }
    for (std::string& note : notes) skip(std::move(note), true);
    kept.Add(code, description, price);
    if (!extra_headers.empty()) {
      std::vector<std::string>& values = extras.emplace_back();
      for (size_t k = 3; k < columns.size(); ++k)
        values.emplace_back(columns[k] < record.fields.size() ? Trim(record.fields[columns[k]]) : "");
    }
  }
  StagedCatalogue staged = kept.Finish(std::move(skipped));
  staged.extras = std::move(extras);
  staged.other_headers = std::move(other_headers);
  return staged;
}

}  // namespace tabulo
