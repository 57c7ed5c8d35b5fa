// tabulo-firmware: `tabulo firmware`, a program of its own because it downloads through libcurl, which the
// other commands never load. `tabulo` hands over the command and its arguments.

#include <algorithm>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
  return tabulo::cli::FirmwareCommand(std::vector<std::string>(argv + std::min(argc, 2), argv + argc));
}
