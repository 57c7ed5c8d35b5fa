#include "designer/import/csv_reader.h"

#include "designer/document/numbers.h"
#include "designer/storage/catalogue_line.h"

namespace tabulo {

StagedCatalogue ParseCsvText(std::string text, const std::string& file_name) {
  return StageTextLines(std::move(text), file_name, [](std::string_view line, CatalogueEntry& entry) {
    size_t quotes[6];
    if (!FindFirst(line, '"', 6, quotes)) return kSkipFewerQuotes;
    auto between = [&](int open) {
      return line.substr(quotes[open] + 1, quotes[open + 1] - quotes[open] - 1);
    };
    entry.PluNumber = between(0);
    entry.PluDescription = Trim(between(2));
    entry.PluPrice = Trim(between(4));
    return static_cast<const char*>(nullptr);
  });
}

}  // namespace tabulo
