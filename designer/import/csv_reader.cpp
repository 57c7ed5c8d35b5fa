#include "designer/import/csv_reader.h"

#include <algorithm>
#include <vector>

#include "designer/document/numbers.h"
#include "designer/storage/catalogue_line.h"
#include "designer/storage/text_codec.h"

namespace tabulo {

StagedCatalogue ParseCsvText(std::string text, const std::string& file_name) {
  StagedCatalogue staged;
  staged.text = std::make_shared<const std::string>(std::move(text));
  std::vector<std::string_view> lines = SplitLines(*staged.text);
  while (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
  staged.entries.reserve(std::min(lines.size(), static_cast<size_t>(kMaxPlus)));
  auto skip = [&](size_t index, const char* reason) {
    staged.skipped.push_back({file_name, SkippedLine::Unit::Line, static_cast<int>(index + 1), reason});
  };
  for (size_t index = 0; index < lines.size(); ++index) {
    std::string_view line = lines[index];
    if (Trim(line).empty()) {
      skip(index, kSkipEmpty);
      continue;
    }
    if (staged.entries.size() >= static_cast<size_t>(kMaxPlus)) {
      skip(index, kSkipCatalogueFull);
      continue;
    }
    size_t quotes[6];
    if (!FindFirst(line, '"', 6, quotes)) {
      skip(index, kSkipFewerQuotes);
      continue;
    }
    auto between = [&](int open) {
      return line.substr(quotes[open] + 1, quotes[open + 1] - quotes[open] - 1);
    };
    CatalogueEntry& entry = staged.entries.emplace_back();
    entry.PluNumber = between(0);
    entry.PluDescription = Trim(between(2));
    entry.PluPrice = Trim(between(4));
  }
  return staged;
}

}  // namespace tabulo
