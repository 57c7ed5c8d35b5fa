#include "designer/storage/catalogue_line.h"

#include "designer/document/numbers.h"

namespace tabulo {

bool FindFirst(std::string_view text, char c, int count, size_t* positions) {
  size_t from = 0;
  for (int found = 0; found < count; ++found) {
    size_t at = text.find(c, from);
    if (at == std::string_view::npos) return false;
    positions[found] = at;
    from = at + 1;
  }
  return true;
}

std::optional<CatalogueEntry> SplitCatalogueLine(std::string_view line) {
  size_t commas[5];
  if (!FindFirst(line, ',', 5, commas)) return std::nullopt;
  auto field = [&](int k) { return line.substr(commas[k - 1] + 1, commas[k] - commas[k - 1] - 1); };
  return CatalogueEntry{field(1), field(2), field(3), Trim(field(4)), Trim(line.substr(commas[4] + 1))};
}

}  // namespace tabulo
