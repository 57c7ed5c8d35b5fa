#include "firmloader/start_up.h"

#include <string>

#include "designer/document/numbers.h"

namespace tabulo {

int PortNumberFromAnswer(std::string_view answer) {
  std::string_view text = Trim(answer);
  bool com =
      text.size() >= 3 && (text[0] | 0x20) == 'c' && (text[1] | 0x20) == 'o' && (text[2] | 0x20) == 'm';
  // The whole number after "com" is taken: reading a single digit made COM12 port 1.
  return IntegerValue(com ? text.substr(3) : text);
}

bool AskInternetConexion(UserPrompts& prompts) {
  return prompts.YesNo("Are you connected to Internet ?", "Velt");
}

std::optional<int> AskComPort(UserPrompts& prompts, KestrelApi& api) {
  for (;;) {
    std::optional<std::string> answer =
        prompts.Input("Which serial port are the Base or Cradle connected to?", "Porta Serie", "");
    if (!answer || Trim(*answer).empty()) return std::nullopt;
    int port = PortNumberFromAnswer(*answer);
    if (port > 0 && api.IO_Open(port, 19200) != 0) {
      api.IO_Close(port);
      return port;
    }
  }
}

}  // namespace tabulo
