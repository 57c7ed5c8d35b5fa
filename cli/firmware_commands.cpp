// tabulo firmware: the firmware tool without a window. The steps a device needs are asked on the terminal.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <thread>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "designer/link/kestrel_binding.h"
#include "firmloader/firmware_files.h"
#include "firmloader/flashing_procedures.h"
#include "firmloader/program_catalogue.h"
#include "firmloader/start_up.h"
#include "platform/folders.h"
#include "platform/settings.h"

namespace tabulo::cli {
namespace {

constexpr const char* kFirmwareUsage =
    "usage: tabulo firmware list\n"
    "       tabulo firmware update [--server URL]\n"
    "       tabulo firmware send KEY [--port N] [--offline] [--server URL]";

// The log on standard output; waits are real, since the device needs them. A long wait draws a progress bar
// with the time left on standard error when that is a terminal, so a log that is kept stays clean.
class TerminalConsole : public ToolConsole {
 public:
  void AddLog(const std::string& text) override { std::cout << Shown(text, true) << std::endl; }
  void WaitMilliseconds(int ms) override {
    using Clock = std::chrono::steady_clock;
    if (ms < kProgressFromMs || !isatty(STDERR_FILENO)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      return;
    }
    constexpr int kWidth = 30;
    Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      int left =
          static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
      if (left < 0) left = 0;
      int done = static_cast<int>(static_cast<int64_t>(ms - left) * kWidth / ms);
      std::cerr << "\r[" << std::string(static_cast<size_t>(done), '#')
                << std::string(static_cast<size_t>(kWidth - done), '.') << "] " << TimeLeftText(left) << "  "
                << std::flush;
      if (left == 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 250)));
    }
    std::cerr << "\r" << std::string(kWidth + 16, ' ') << "\r" << std::flush;
  }
};

}  // namespace

int FirmwareCommand(const Arguments& args) {
  Options options(args, {"--server", "--port"});
  if (!options.Error().empty()) return Fail(options.Error());
  const std::vector<std::string>& words = options.Positional();
  if (words.empty()) return Fail(kFirmwareUsage);
  const std::string& action = words[0];

  std::string folder = FirmloaderHome();
  if (!EnsureFolder(folder)) return Fail("cannot create the firmware folder " + folder);
  TerminalConsole console;
  // The option, else the environment, else the setting the firmware window keeps, else the default.
  FirmwareFiles files(
      folder,
      FirmwareServerFolder(ReadSetting(kFirmwareServerSettingKey).value_or(""), options.Value("--server")),
      console);
  XmlScanner catalogue;

  if (action == "update" && words.size() == 1) {
    files.SetInternetConexion(true);
    return UpdateAllForOffline(files, catalogue, console) ? kExitOk : kExitFindings;
  }
  if (!catalogue.Load(files.PathOf(kCatalogueFile))) {
    return Fail("there is no program list in " + folder + " yet: \"tabulo firmware update\" fetches it");
  }
  if (action == "list" && words.size() == 1) {
    for (const ProgramRow& row : LoadProgramList(catalogue)) {
      ProgramEntry program = ReadProgram(catalogue, row.key);
      std::cout << Shown(row.key) << '\t' << Shown(program.Hardware) << '\t' << Shown(program.Filename)
                << '\t' << Shown(row.description) << '\n';
    }
    return kExitOk;
  }
  if (action == "send" && words.size() == 2) {
    const std::string& key = words[1];
    std::vector<ProgramRow> rows = LoadProgramList(catalogue);
    if (std::none_of(rows.begin(), rows.end(), [&](const ProgramRow& row) { return row.key == key; })) {
      return Fail("no program " + key + " in " + files.PathOf(kCatalogueFile));
    }
    int port = PortNumberFromAnswer(options.Value("--port", "1"));
    if (port <= 0) return Fail("--port needs a port number");
    KestrelBinding library;
    if (!library.Load()) return Fail(library.LastError());
    TerminalPrompts prompts(std::cin, std::cout);
    files.SetInternetConexion(!options.Has("--offline"));
    ProcedureLimits limits;
    limits.max_passes = kScriptMaxPasses;
    limits.answers_ended = [&prompts] { return prompts.InputEnded(); };
    // The images' transfers show how far they have come, as a menu's does.
    TerminalTransferProgress progress(false);
    library.SetTransferProgress(&progress);
    FlashingProcedures procedures(library, files, prompts, console, port, std::move(limits));
    bool done = procedures.FlashProgram(catalogue, key);
    library.SetTransferProgress(nullptr);
    return done ? kExitOk : kExitFindings;
  }
  return Fail(kFirmwareUsage);
}

}  // namespace tabulo::cli
