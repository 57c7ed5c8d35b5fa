#include "cli/cli_support.h"
#include "cli/commands.h"

namespace tabulo::cli {

int TranslateCommand(const Arguments&) {
  return Fail("translate is not available yet");
}

}  // namespace tabulo::cli
