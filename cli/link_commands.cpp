#include "cli/cli_support.h"
#include "cli/commands.h"

namespace tabulo::cli {

int SendCommand(const Arguments&) {
  return Fail("send is not available yet");
}
int ReceiveCommand(const Arguments&) {
  return Fail("receive is not available yet");
}

}  // namespace tabulo::cli
