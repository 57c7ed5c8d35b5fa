#pragma once
// The library's side of the protocol: requests answered by the base, each sent again a bounded number of
// times when its answer is lost or damaged, and transfers of many frames built on them. Every wait counts
// from when the request has left the line, so any frame works at any speed.

#include <cstdint>
#include <functional>
#include <string>

#include "kestrel/protocol.h"
#include "kestrel/serial_port.h"

namespace kestrel {

struct LinkTiming {
  int reply_timeout_ms = 300;  // the turnaround margin: how long an answer may take to start once the
                               // request has left the line
  int attempts = 5;            // sends of one request before the call fails
};
// The defaults, or $KESTREL_TIMEOUT_MS and $KESTREL_ATTEMPTS when set (tests of silent devices shorten them).
LinkTiming TimingFromEnvironment();

// Told how much of a transfer has left the line (bytes of the message, estimated within a frame from the
// line's speed); false asks to stop. Only asked before the transfer's end is sent: after that the base may
// have stored it, and stopping could only make the verdict a guess.
using TransferProgress = std::function<bool(uint64_t done, uint64_t total)>;

// How a transfer ended.
enum class TransferVerdict {
  kStored,     // the base confirmed it, or said it holds it when its confirmation was lost
  kNotStored,  // the base said so, or never had all of it
  kUnknown,    // the base stopped answering after the whole was sent and could not be asked
  kCancelled,  // stopped before its end was sent: the base keeps what it had
};

class Client {
 public:
  Client(SerialPort& port, LinkTiming timing);

  // Starts a session: the base forgets the requests of any earlier session and tells its state. `attempts`
  // (when above 0) in place of the timing's, for a search over several speeds.
  bool Hello(BaseInfo& info, int attempts = 0);
  // One request and its answer; false (with Error()) when no intact answer came after every attempt, or the
  // answer was not "done".
  bool Request(uint8_t type, const std::string& payload, std::string& answer);
  // A long message: `begin` request, the bytes in numbered chunks, then the `end` request, whose status
  // tells whether the base took the whole. When the answer to the end is lost, the base is asked what it
  // holds. Error() says why when the verdict is not kStored.
  TransferVerdict Transfer(uint8_t begin_type, const std::string& begin_payload, uint8_t data_type,
                           uint8_t end_type, const std::string& bytes, const TransferProgress& progress = {});

  const std::string& Error() const { return error_; }
  uint8_t LastStatus() const { return last_status_; }

 private:
  enum class Failure { kNone, kStatus, kNoAnswer, kIo, kCancelled };
  // `keep_going` is asked while waiting; false ends the wait as cancelled.
  bool Exchange(uint8_t type, const std::string& payload, std::string& answer, int attempts,
                const std::function<bool()>& keep_going);
  bool AwaitReply(uint8_t sequence, Frame& reply, const std::function<bool()>& keep_going);

  SerialPort& port_;
  LinkTiming timing_;
  uint8_t sequence_;
  uint8_t last_status_ = kOk;
  Failure failure_ = Failure::kNone;
  std::string error_;
};

}  // namespace kestrel
