#include "firmloader/program_catalogue.h"

#include <set>

#include "base/text_codec.h"
#include "designer/document/numbers.h"

namespace tabulo {

std::vector<ProgramRow> LoadProgramList(XmlScanner& catalogue) {
  std::vector<ProgramRow> rows;
  std::set<std::string> seen;
  for (std::string key = catalogue.XmlFirstElement(); !key.empty(); key = catalogue.XmlNextElement()) {
    if (rows.size() == kMaxPrograms) break;
    if (!seen.insert(key).second) continue;
    rows.push_back({key, catalogue.Value(key + "\\Descricao")});
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
  console.AddLog("The file name \"" + program.Filename + "\" of program " + key +
                 " is not a plain name and is not used.");
  return std::nullopt;
}

std::optional<int> RadioKhzValue(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > kRadioKhzDigits) return std::nullopt;
  int khz = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    khz = khz * 10 + (c - '0');
  }
  if (khz < kMinRadioKhz) return std::nullopt;
  return khz;
}

std::optional<std::string> BaseNameBytes(std::string_view name) {
  std::string bytes;
  if (!EncodeWindows1252(Trim(name), bytes) || bytes.empty() || bytes.size() > kBaseNameLength) {
    return std::nullopt;
  }
  for (unsigned char c : bytes) {
    if (c < 0x20 || c == 0x7f) return std::nullopt;
  }
  return bytes;
}

std::string BaseSettingsProblem(const ProgramEntry& program, const std::string& key) {
  if (!program.RadioKhz.empty() && !RadioKhzValue(program.RadioKhz)) {
    return "The radio frequency \"" + program.RadioKhz + "\" of program " + key + " is not a number from " +
           std::to_string(kMinRadioKhz) + " to " + std::string(kRadioKhzDigits, '9') +
           " kHz: the program is not sent and the base is left as it is.";
  }
  if (!program.BaseName.empty() && !BaseNameBytes(program.BaseName)) {
    return "The base name \"" + program.BaseName + "\" of program " + key +
           " does not fit the base, which holds " + std::to_string(kBaseNameLength) +
           " characters of Western European text: the program is not sent and the base is left as it is.";
  }
  return {};
}

}  // namespace tabulo
