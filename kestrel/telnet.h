#pragma once
// The small part of telnet a serial-to-network converter in RFC 2217 mode needs: data bytes with IAC
// doubled, the option negotiation (binary both ways, the COM port option) and the COM port commands that
// set the remote line, whose answers (the command + 100) the server sends back.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace kestrel::telnet {

constexpr uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
constexpr uint8_t kBinary = 0, kSuppressGoAhead = 3, kComPort = 44;
constexpr uint8_t kSetBaudRate = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4, kSetControl = 5,
                  kPurgeData = 12;
constexpr uint8_t kServerAnswer = 100;  // added to a command in the server's answer to it

// `data` as it goes on the connection: every IAC byte doubled.
std::string Escaped(std::string_view data);
// A COM port command with its value (escaped).
std::string ComPortCommand(uint8_t command, std::string_view value);

class Reader {
 public:
  // What the client says at once: it will use the COM port option, and binary both ways.
  std::string Opening();
  // Appends the data bytes of `raw` to `data`, and the replies the negotiation needs to `replies`.
  void Feed(std::string_view raw, std::string& data, std::string& replies);
  // How many answers to COM port `command` have come, and the value of the last.
  int AnswerCount(uint8_t command) const;
  std::string LastAnswer(uint8_t command) const;

 private:
  enum class State { kData, kCommand, kOption, kSub, kSubIac };
  void Negotiate(uint8_t verb, uint8_t option, std::string& replies);
  State state_ = State::kData;
  uint8_t verb_ = 0;
  std::string sub_;
  std::set<uint8_t> will_, do_, refused_;
  std::map<uint8_t, std::pair<int, std::string>> answers_;
};

}  // namespace kestrel::telnet
