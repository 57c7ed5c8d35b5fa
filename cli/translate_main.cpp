// tabulo-translate: `tabulo translate` and `tabulo translate-menu`, a program of its own because it reaches
// the web through libcurl, which the other commands never load. `tabulo` hands over the command and its
// arguments.

#include <algorithm>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
  return command == "translate-menu" ? tabulo::cli::TranslateMenuCommand(args)
                                     : tabulo::cli::TranslateCommand(args);
}
