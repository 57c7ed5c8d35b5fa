// tabulo: the designer's work without a window, for scripts and for people who manage many sites.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "platform/folders.h"

namespace {

constexpr const char* kUsage =
    "usage: tabulo COMMAND [ARGUMENTS]\n"
    "\n"
    "  info PROJECT.TB1 [--json]      catalogue, pages in use, languages, modifiers\n"
    "  check PROJECT.TB1              what the reader skipped or refused; exit 1 when anything\n"
    "  save-as SOURCE.TB1 DEST.TB1    read a project and write it again (as Load, then Save)\n"
    "  import csv|xls|xlsx FILE -o PROJECT.TB1\n"
    "  import backoffice FAMILIES PRODUCTS -o PROJECT.TB1\n"
    "  import last-sent -o PROJECT.TB1\n"
    "                                 a new menu from a catalogue file\n"
    "  print PROJECT.TB1 --pdf OUT.pdf [--page N | --all | --fronts | --backs] [--languages 1[,2]] "
    "[--no-lines]\n"
    "                                 the menu cards as a PDF file\n"
    "  send PROJECT.TB1 [--port N] [--plain-pages] [--old-firmware]\n"
    "                                 the menu to the terminals through the base station\n"
    "  receive [--port N] [--count K] [--timeout S]\n"
    "                                 print orders as they arrive\n"
    "  translate --from NAME --to NAME TEXT\n"
    "                                 a text through the web translation page\n"
    "  firmware list | update [--server URL]\n"
    "                                 the firmware tool's programs; all of them fetched for offline use\n"
    "  firmware send KEY [--port N] [--offline] [--server URL]\n"
    "                                 a program to its device, the steps asked on the terminal\n"
    "\n"
    "Exit status: 0 done, 1 findings reported, 2 error.\n";

using Command = std::function<int(const tabulo::cli::Arguments&)>;

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"info", tabulo::cli::InfoCommand},      {"check", tabulo::cli::CheckCommand},
      {"save-as", tabulo::cli::SaveAsCommand}, {"import", tabulo::cli::ImportCommand},
      {"send", tabulo::cli::SendCommand},      {"receive", tabulo::cli::ReceiveCommand},
  };
  return commands;
}

// Commands that need Qt Gui (print) or libcurl (translate, firmware) are programs of their own, tabulo-NAME
// beside this one, so that every other command starts without loading those libraries.
const std::set<std::string>& CommandPrograms() {
  static const std::set<std::string> programs = {"print", "translate", "firmware"};
  return programs;
}

// Replaces this process with the command's program; returns only when it cannot be started.
int RunCommandProgram(const std::string& command, char** argv) {
  std::string program = tabulo::ProgramFolder() + "/tabulo-" + command;
  argv[1] = program.data();
  ::execv(program.c_str(), argv + 1);
  return tabulo::cli::Fail("cannot run " + program + ": " + std::strerror(errno));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kUsage;
    return args.empty() ? tabulo::cli::kExitError : tabulo::cli::kExitOk;
  }
  if (CommandPrograms().count(args[0])) return RunCommandProgram(args[0], argv);
  auto command = Commands().find(args[0]);
  if (command == Commands().end()) {
    std::cerr << "tabulo: unknown command \"" << args[0] << "\"\n" << kUsage;
    return tabulo::cli::kExitError;
  }
  args.erase(args.begin());
  return command->second(args);
}
