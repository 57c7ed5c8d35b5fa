#pragma once
// The questions the firmware tool asks when it starts: whether the PC is online, and the serial port of the
// base or cradle, which is opened once to check it.

#include <optional>
#include <string_view>

#include "designer/link/kestrel_api.h"
#include "platform/user_prompts.h"

namespace tabulo {

// The port number of an answer: "com4", "COM12" (taken whole: 12) or "4".
int PortNumberFromAnswer(std::string_view answer);

// "Are you connected to Internet ?": true for yes.
bool AskInternetConexion(UserPrompts& prompts);

// Asks for the port until it opens at 19200 baud (and closes it again). Nothing when the user gives an
// empty answer or cancels, which ends the program.
std::optional<int> AskComPort(UserPrompts& prompts, KestrelApi& api);

}  // namespace tabulo
