// tabulo-firmware: `tabulo firmware`, a program of its own because it downloads through libcurl, which the
// other commands never load. `tabulo` hands its arguments over unchanged.

#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
  return tabulo::cli::FirmwareCommand(std::vector<std::string>(argv + 1, argv + argc));
}
