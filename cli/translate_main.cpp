// tabulo-translate: `tabulo translate`, a program of its own because it reaches the web through libcurl,
// which the other commands never load. `tabulo` hands its arguments over unchanged.

#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
  return tabulo::cli::TranslateCommand(std::vector<std::string>(argv + 1, argv + argc));
}
