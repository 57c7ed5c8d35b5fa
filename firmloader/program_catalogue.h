#pragma once
// The programs of the catalogue "Conf.xml" as the tool lists and sends them: one row per element, keyed by
// its tag, with the values of its children. Firmware names from the catalogue come from the download server
// and become file names in the tool's folder, so only plain names are ever used.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "firmloader/tool_console.h"
#include "firmloader/xml_scanner.h"

namespace tabulo {

inline constexpr const char* kCatalogueFile = "Conf.xml";
// Rows the list keeps keys for (`ProgramKeys`, indices 0..1000).
inline constexpr size_t kMaxPrograms = 1001;

struct ProgramRow {
  std::string key;          // the element's tag
  std::string description;  // "Descricao", as UTF-8 for the list
};

// `LoadProgramList`: the rows of the loaded catalogue, first to last. A key met again is left out, since
// every value of it reads from its first element; rows beyond kMaxPrograms are left out.
std::vector<ProgramRow> LoadProgramList(XmlScanner& catalogue);

// The children of one program.
struct ProgramEntry {
  std::string Hardware;  // "Ementa", "Terminal" or "Antena"
  std::string Filename;  // firmware name without extension, as the catalogue has it
  std::string RadioKhz;  // "" when the base's radio is left alone
  std::string BaseName;  // "" when the base's name is left alone
};
ProgramEntry ReadProgram(const XmlScanner& catalogue, const std::string& key);

// A firmware name that can be joined to a folder safely: not empty, no "/" or "\", no "." (which also rules
// out ".." and any extension) and no control character.
bool IsPlainFirmwareName(std::string_view name);

// The program's firmware name when it is plain; otherwise nothing, with a log line that says why it was
// refused.
std::optional<std::string> FirmwareNameOf(const ProgramEntry& program, const std::string& key,
                                          ToolConsole& console);

}  // namespace tabulo
