// tabulo-print: `tabulo print`, a program of its own because it draws through Qt Gui, which the other
// commands never load. `tabulo` hands its arguments over unchanged.

#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
  return tabulo::cli::PrintCommand(std::vector<std::string>(argv + 1, argv + argc));
}
