// The program catalogue "Conf.xml" as the download server may send it: the walk over its elements always
// ends, the list stays within the rows the tool keeps, every text comes out as UTF-8, only plain firmware
// names come out of it, and only radio and name values a base holds pass the check.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/text_codec.h"
#include "firmloader/program_catalogue.h"

namespace {

class SilentConsole : public tabulo::ToolConsole {
 public:
  void AddLog(const std::string&) override {}
  void WaitMilliseconds(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tabulo::XmlScanner catalogue;
  catalogue.SetText(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<tabulo::ProgramRow> rows = tabulo::LoadProgramList(catalogue);
  if (rows.size() > tabulo::kMaxPrograms) std::abort();
  SilentConsole console;
  for (const tabulo::ProgramRow& row : rows) {
    if (!tabulo::IsValidUtf8(row.key) || !tabulo::IsValidUtf8(row.description)) std::abort();
    tabulo::ProgramEntry program = tabulo::ReadProgram(catalogue, row.key);
    if (tabulo::BaseSettingsProblem(program, row.key).empty()) {
      if (!program.RadioKhz.empty() && !tabulo::RadioKhzValue(program.RadioKhz)) std::abort();
      std::optional<std::string> name = tabulo::BaseNameBytes(program.BaseName);
      if (!program.BaseName.empty() && (!name || name->size() > tabulo::kBaseNameLength)) std::abort();
    }
    if (auto name = tabulo::FirmwareNameOf(program, row.key, console)) {
      if (!tabulo::IsPlainFirmwareName(*name)) std::abort();
    }
  }
  return 0;
}
