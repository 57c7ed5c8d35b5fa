#include "cli/cli_support.h"
#include "cli/commands.h"

namespace tabulo::cli {

int ImportCommand(const Arguments&) {
  return Fail("import is not available yet");
}

}  // namespace tabulo::cli
