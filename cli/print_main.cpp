// tabulo-print: `tabulo print`, a program of its own because it draws through Qt Gui, which the other
// commands never load. `tabulo` hands over the command and its arguments.

#include <algorithm>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
  return tabulo::cli::PrintCommand(std::vector<std::string>(argv + std::min(argc, 2), argv + argc));
}
