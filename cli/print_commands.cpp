#include "cli/cli_support.h"
#include "cli/commands.h"

namespace tabulo::cli {

int PrintCommand(const Arguments&) {
  return Fail("print is not available yet");
}

}  // namespace tabulo::cli
