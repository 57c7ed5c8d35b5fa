// The interchange file reader on arbitrary bytes, and the writer's lines read back: a line the imports
// write comes back as the same fields, whatever the description holds.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "designer/document/numbers.h"
#include "designer/import/catalogue_imports.h"
#include "designer/import/imported_text.h"
#include "designer/import/interchange_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  tabulo::StagedCatalogue staged =
      tabulo::ParseInterchangeText(tabulo::DecodeImportedText(bytes), "pludata.txt");
  if (staged.entries.size() > static_cast<size_t>(tabulo::kMaxPlus)) std::abort();

  // A description without line breaks and with any commas survives a PLU line.
  std::string description = bytes.substr(0, bytes.find_first_of("\r\n"));
  std::string trimmed(tabulo::Trim(description));
  tabulo::StagedCatalogue back =
      tabulo::ParseInterchangeText(tabulo::PluInterchangeLine("7", "1.5", trimmed) + "\r\n", "pludata.txt");
  if (back.entries.size() != 1 || back.entries[0].PluDescription != trimmed ||
      back.entries[0].PluNumber != " 7") {
    std::abort();
  }
  return 0;
}
