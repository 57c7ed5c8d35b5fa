// tabulo: the designer's work without a window, for scripts and for people who manage many sites.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
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
    "  update PROJECT.TB1 FILE [--preview]\n"
    "                                 prices and names from a catalogue file, pages and translations kept\n"
    "  layout PROJECT.TB1 --from FILE [--start-page N] [--replace]\n"
    "                                 pages laid out from a menu spreadsheet (PLUCODE, DESCRIPTION, PRICE,\n"
    "                                 CATEGORY, a column per language), the catalogue updated by PLU "
    "number;\n"
    "                                 from the first free page on, or page N. Pages in use are skipped, or\n"
    "                                 with --replace emptied and laid out again (from page 1 by default)\n"
    "  export PROJECT.TB1 -o FILE.csv|FILE.xlsx\n"
    "                                 the catalogue with its translations, for a spreadsheet\n"
    "  print PROJECT.TB1 (--pdf OUT.pdf | --printer NAME) [--page N | --all | --fronts | --backs]\n"
    "        [--languages 1[,2]] [--no-lines] [--origin paper|printable] [--calibration]\n"
    "                                 the menu cards as a PDF file or on a printer\n"
    "  send PROJECT.TB1 [--port N|tcp://HOST:PORT|rfc2217://HOST:PORT] [--plain-pages] [--old-firmware]\n"
    "                                 the menu to the terminals through the base station\n"
    "  send PROJECT.TB1 --sites SITES.conf [--jobs N]\n"
    "                                 one menu to many sites' base stations at once\n"
    "  receive [--port N] [--count K] [--timeout S]\n"
    "                                 print orders as they arrive\n"
    "  translate [--service apertium|libretranslate|page] [--url URL] [--key KEY] --from NAME --to NAME "
    "TEXT\n"
    "                                 a text through the translation service, asked directly\n"
    "  translate-menu PROJECT.TB1 --from N --to N[,N...] [--overwrite] [--service S] [--url URL] [--key "
    "KEY]\n"
    "                                 the menu's texts of language column N into the other columns (only\n"
    "                                 empty ones unless --overwrite), the project saved in place\n"
    "  diff A.TB1 B.TB1 [--json]      what changed from menu A to menu B; either may be a send kept in the\n"
    "                                 history: sent (the last), sent:N (the Nth last) or its date and time.\n"
    "                                 Exit 0 when the same, 1 when they differ\n"
    "  history [--json]               the sends the base confirmed, newest first\n"
    "  firmware list | update [--server URL]\n"
    "                                 the firmware tool's programs; all of them fetched for offline use\n"
    "  firmware send KEY [--port N] [--offline] [--server URL]\n"
    "                                 a program to its device, the steps asked on the terminal\n"
    "\n"
    "Exit status: 0 done, 1 findings reported, 2 error.\n";

using Command = std::function<int(const tabulo::cli::Arguments&)>;

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"info", tabulo::cli::InfoCommand},       {"check", tabulo::cli::CheckCommand},
      {"save-as", tabulo::cli::SaveAsCommand},  {"import", tabulo::cli::ImportCommand},
      {"send", tabulo::cli::SendCommand},       {"receive", tabulo::cli::ReceiveCommand},
      {"update", tabulo::cli::UpdateCommand},   {"export", tabulo::cli::ExportCommand},
      {"layout", tabulo::cli::LayoutCommand},   {"diff", tabulo::cli::DiffCommand},
      {"history", tabulo::cli::HistoryCommand},
  };
  return commands;
}

// Commands that need Qt Gui (print) or libcurl (translate, firmware) are programs of their own, tabulo-NAME
// beside this one, so that every other command starts without loading those libraries.
// The command names the program; the program is handed the command and its arguments.
const std::map<std::string, std::string>& CommandPrograms() {
  static const std::map<std::string, std::string> programs = {
      {"print", "tabulo-print"},
      {"translate", "tabulo-translate"},
      {"translate-menu", "tabulo-translate"},
      {"firmware", "tabulo-firmware"},
  };
  return programs;
}

// Replaces this process with the command's program; returns only when it cannot be started.
int RunCommandProgram(const std::string& name, char** argv) {
  std::string program = tabulo::ProgramFolder() + "/" + name;
  argv[0] = program.data();
  ::execv(program.c_str(), argv);
  return tabulo::cli::Fail("cannot run " + program + ": " + std::strerror(errno));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kUsage;
    return args.empty() ? tabulo::cli::kExitError : tabulo::cli::kExitOk;
  }
  if (auto program = CommandPrograms().find(args[0]); program != CommandPrograms().end()) {
    return RunCommandProgram(program->second, argv);
  }
  auto command = Commands().find(args[0]);
  if (command == Commands().end()) {
    std::cerr << "tabulo: unknown command \"" << args[0] << "\"\n" << kUsage;
    return tabulo::cli::kExitError;
  }
  args.erase(args.begin());
  return command->second(args);
}
