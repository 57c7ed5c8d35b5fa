#include "firmloader/program_catalogue.h"

#include <set>

#include "designer/storage/text_codec.h"

namespace tabulo {

std::vector<ProgramRow> LoadProgramList(XmlScanner& catalogue) {
  std::vector<ProgramRow> rows;
  std::set<std::string> seen;
  for (std::string key = catalogue.XmlFirstElement(); !key.empty(); key = catalogue.XmlNextElement()) {
    if (rows.size() == kMaxPrograms) break;
    if (!seen.insert(key).second) continue;
    rows.push_back({key, DecodeFileText(catalogue.Value(key + "\\Descricao"))});
  }
  return rows;
}

ProgramEntry ReadProgram(const XmlScanner& catalogue, const std::string& key) {
  ProgramEntry entry;
  entry.Hardware = catalogue.Value(key + "\\Hardware");
  entry.Filename = catalogue.Value(key + "\\Filename");
  entry.RadioKhz = catalogue.Value(key + "\\RadioKhz");
  entry.BaseName = catalogue.Value(key + "\\BaseName");
  return entry;
}

bool IsPlainFirmwareName(std::string_view name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (c == '/' || c == '\\' || c == '.' || c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

std::optional<std::string> FirmwareNameOf(const ProgramEntry& program, const std::string& key,
                                          ToolConsole& console) {
  if (IsPlainFirmwareName(program.Filename)) return program.Filename;
  console.AddLog("The file name \"" + DecodeFileText(program.Filename) + "\" of program " +
                 DecodeFileText(key) + " is not a plain name and is not used.");
  return std::nullopt;
}

}  // namespace tabulo
