// The project reader on arbitrary bytes: the input is cut at NUL bytes into the eight data files, in the
// order the reader takes them; a missing part is a missing file. The reader must stay within the document's
// tables and never stop the program.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "designer/document/menu_document.h"
#include "designer/storage/project_files.h"
#include "designer/storage/project_layout.h"

namespace {
const char* const kFiles[] = {
    tabulo::kPluDataFile,   tabulo::kModifiersFile,   tabulo::kModifierDefinitionsFile,
    tabulo::kBotoesFile,    tabulo::kPrinterFile,     tabulo::kLayoutFile,
    tabulo::kLanguagesFile, tabulo::kPagesVersionFile};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string parts[8];
  bool present[8] = {};
  for (int i = 0; i < 8 && !input.empty(); ++i) {
    size_t end = input.find('\0');
    parts[i] = std::string(input.substr(0, end));
    present[i] = true;
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  }
  static auto doc = std::make_unique<tabulo::MenuDocument>();
  tabulo::ResetDocument(*doc);
  tabulo::ReadProjectFiles(*doc, [&](const std::string& suffix, std::string& bytes) {
    for (int i = 0; i < 8; ++i) {
      if (suffix == kFiles[i]) {
        bytes = parts[i];
        return present[i];
      }
    }
    return false;
  });
  bool within = doc->NumPlus >= 0 && doc->NumPlus <= tabulo::kMaxPlus && doc->NumModifiers >= 0 &&
                doc->NumModifiers <= tabulo::kMaxModifiers && doc->NumModifierDefs >= 0 &&
                doc->NumModifierDefs <= tabulo::kMaxModifierDefs;
  for (int m = 0; within && m < doc->NumModifiers; ++m)
    within = doc->Modifiers[m].NumLevels <= tabulo::kMaxLevels;
  for (int d = 0; within && d < doc->NumModifierDefs; ++d)
    within = doc->ModifierDefs[d].Count <= tabulo::kMaxMembers;
  if (!within) std::abort();
  return 0;
}
