// The CSV reader and the text decoding on arbitrary bytes: never more entries than the catalogue holds,
// every line either an entry or a reported skip, and the catalogue stored within the document's tables.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "designer/import/csv_reader.h"
#include "designer/import/imported_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text = tabulo::DecodeImportedText(std::string(reinterpret_cast<const char*>(data), size));
  tabulo::StagedCatalogue staged = tabulo::ParseCsvText(std::move(text), "fuzz.csv");
  if (staged.entries.size() > static_cast<size_t>(tabulo::kMaxPlus)) std::abort();
  static auto doc = std::make_unique<tabulo::MenuDocument>();
  tabulo::StoreCatalogue(*doc, staged.entries, {});
  if (doc->NumPlus != static_cast<int32_t>(staged.entries.size())) std::abort();
  return 0;
}
