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
  std::string description;  // "Descricao"
};

// `LoadProgramList`: the rows of the loaded catalogue, first to last. A key met again is left out, since
// every value of it reads from its first element; rows beyond kMaxPrograms are left out.
std::vector<ProgramRow> LoadProgramList(XmlScanner& catalogue);

// The children of one program, as text (the scanner holds the catalogue as UTF-8).
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

// What a base holds, as its status shows it: a name of five characters and a radio frequency of five digits
// in kHz.
inline constexpr size_t kBaseNameLength = 5;
inline constexpr size_t kRadioKhzDigits = 5;
inline constexpr int kMinRadioKhz = 1;

// The frequency of a "RadioKhz" value: digits only (blanks around them aside), from kMinRadioKhz to the
// largest number the field holds. Nothing otherwise: a value read as "its leading number" would set "abc"
// as 0 kHz and "91,7" as 91 kHz.
std::optional<int> RadioKhzValue(std::string_view text);
// The bytes a "BaseName" value is sent to the base as (Windows-1252, trimmed): nothing when it is empty,
// longer than the base holds, has a character Windows-1252 lacks or a control character. A longer name
// would be cut by the base and never match, so the base would be renamed to its first letters and an error
// shown after the fact.
std::optional<std::string> BaseNameBytes(std::string_view name);
// The message that refuses a program whose "RadioKhz" or "BaseName" cannot be set on a base; "" when both
// can (or are absent). Checked before anything reaches the device.
std::string BaseSettingsProblem(const ProgramEntry& program, const std::string& key);

}  // namespace tabulo
