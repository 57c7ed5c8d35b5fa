// tabulo: the designer's work without a window, for scripts and for people who manage many sites.

#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/project_commands.h"

namespace {

constexpr const char* kUsage =
    "usage: tabulo COMMAND [ARGUMENTS]\n"
    "\n"
    "  info PROJECT.TB1 [--json]      catalogue, pages in use, languages, modifiers\n"
    "  check PROJECT.TB1              what the reader skipped or refused; exit 1 when anything\n"
    "  save-as SOURCE.TB1 DEST.TB1    read a project and write it again\n"
    "\n"
    "Exit status: 0 done, 1 findings reported, 2 error.\n";

using Command = std::function<int(const std::vector<std::string>&)>;

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"info", tabulo::cli::InfoCommand},
      {"check", tabulo::cli::CheckCommand},
      {"save-as", tabulo::cli::SaveAsCommand},
  };
  return commands;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kUsage;
    return args.empty() ? tabulo::cli::kExitError : tabulo::cli::kExitOk;
  }
  auto command = Commands().find(args[0]);
  if (command == Commands().end()) {
    std::cerr << "tabulo: unknown command \"" << args[0] << "\"\n" << kUsage;
    return tabulo::cli::kExitError;
  }
  args.erase(args.begin());
  return command->second(args);
}
