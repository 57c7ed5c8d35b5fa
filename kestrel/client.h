#pragma once
// The library's side of the protocol: requests answered by the base, each sent again a bounded number of
// times when its answer is lost or damaged, and transfers of many frames built on them.

#include <string>

#include "kestrel/protocol.h"
#include "kestrel/serial_port.h"

namespace kestrel {

struct LinkTiming {
  int reply_timeout_ms = 300;  // wait for one answer
  int attempts = 5;            // sends of one request before the call fails
};
// The defaults, or $KESTREL_TIMEOUT_MS and $KESTREL_ATTEMPTS when set (tests of silent devices shorten them).
LinkTiming TimingFromEnvironment();

class Client {
 public:
  Client(SerialPort& port, LinkTiming timing);

  // Starts a session: the base forgets the requests of any earlier session and tells its state.
  bool Hello(BaseInfo& info);
  // One request and its answer; false (with Error()) when no intact answer came after every attempt, or the
  // answer was not "done".
  bool Request(uint8_t type, const std::string& payload, std::string& answer);
  // A long message: `begin` request, the bytes in numbered chunks, then the `end` request, whose status
  // tells whether the base took the whole.
  bool Transfer(uint8_t begin_type, const std::string& begin_payload, uint8_t data_type, uint8_t end_type,
                const std::string& bytes);

  const std::string& Error() const { return error_; }
  uint8_t LastStatus() const { return last_status_; }

 private:
  bool AwaitReply(uint8_t sequence, Frame& reply);

  SerialPort& port_;
  LinkTiming timing_;
  uint8_t sequence_;
  uint8_t last_status_ = kOk;
  std::string error_;
};

}  // namespace kestrel
