#include "kestrel/telnet.h"

namespace kestrel::telnet {

std::string Escaped(std::string_view data) {
  std::string out;
  out.reserve(data.size() + 8);
  for (char byte : data) {
    out += byte;
    if (static_cast<uint8_t>(byte) == kIac) out += byte;
  }
  return out;
}

std::string ComPortCommand(uint8_t command, std::string_view value) {
  std::string out{static_cast<char>(kIac), static_cast<char>(kSb), static_cast<char>(kComPort),
                  static_cast<char>(command)};
  out += Escaped(value);
  out += static_cast<char>(kIac);
  out += static_cast<char>(kSe);
  return out;
}

std::string Reader::Opening() {
  will_ = {kComPort, kBinary, kSuppressGoAhead};
  do_ = {kBinary, kSuppressGoAhead};
  std::string out;
  for (uint8_t option : will_)
    out += {static_cast<char>(kIac), static_cast<char>(kWill), static_cast<char>(option)};
  for (uint8_t option : do_)
    out += {static_cast<char>(kIac), static_cast<char>(kDo), static_cast<char>(option)};
  return out;
}

void Reader::Negotiate(uint8_t verb, uint8_t option, std::string& replies) {
  auto say = [&](uint8_t answer) {
    replies += {static_cast<char>(kIac), static_cast<char>(answer), static_cast<char>(option)};
  };
  // Each option is answered once, so two sides that disagree cannot echo each other forever.
  if (verb == kDo) {
    bool wanted = option == kComPort || option == kBinary || option == kSuppressGoAhead;
    if (wanted && will_.insert(option).second) say(kWill);
    if (!wanted && refused_.insert(option).second) say(kWont);
  } else if (verb == kWill) {
    bool wanted = option == kBinary || option == kSuppressGoAhead;
    if (wanted && do_.insert(option).second) say(kDo);
    if (!wanted && refused_.insert(static_cast<uint8_t>(option)).second) say(kDont);
  }
  // WONT and DONT need no answer: the option simply stays off.
}

void Reader::Feed(std::string_view raw, std::string& data, std::string& replies) {
  for (char c : raw) {
    auto byte = static_cast<uint8_t>(c);
    switch (state_) {
      case State::kData:
        if (byte == kIac) {
          state_ = State::kCommand;
        } else {
          data += c;
        }
        break;
      case State::kCommand:
        if (byte == kIac) {
          data += c;
          state_ = State::kData;
        } else if (byte >= kWill && byte <= kDont) {
          verb_ = byte;
          state_ = State::kOption;
        } else if (byte == kSb) {
          sub_.clear();
          state_ = State::kSub;
        } else {
          state_ = State::kData;  // NOP, go-ahead and the like carry nothing for a serial line
        }
        break;
      case State::kOption:
        Negotiate(verb_, byte, replies);
        state_ = State::kData;
        break;
      case State::kSub:
        if (byte == kIac) {
          state_ = State::kSubIac;
        } else {
          sub_ += c;
        }
        break;
      case State::kSubIac:
        if (byte == kIac) {
          sub_ += c;
          state_ = State::kSub;
          break;
        }
        if (byte == kSe && sub_.size() >= 2 && static_cast<uint8_t>(sub_[0]) == kComPort) {
          auto& answer = answers_[static_cast<uint8_t>(sub_[1])];
          ++answer.first;
          answer.second = sub_.substr(2);
        }
        state_ = State::kData;
        break;
    }
  }
}

int Reader::AnswerCount(uint8_t command) const {
  auto found = answers_.find(static_cast<uint8_t>(command + kServerAnswer));
  return found == answers_.end() ? 0 : found->second.first;
}

std::string Reader::LastAnswer(uint8_t command) const {
  auto found = answers_.find(static_cast<uint8_t>(command + kServerAnswer));
  return found == answers_.end() ? std::string() : found->second.second;
}

}  // namespace kestrel::telnet
