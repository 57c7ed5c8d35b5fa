#pragma once
// The reception test's link: opened on a port, polled (every 100 ms by the window), closed. Closing a link
// that is not open calls nothing.

#include <optional>
#include <string>

#include "designer/link/kestrel_api.h"
#include "designer/link/received_order.h"

namespace tabulo {

class ReceptionSession {
 public:
  explicit ReceptionSession(KestrelApi& api) : api_(api) {}
  ~ReceptionSession() { Close(); }
  ReceptionSession(const ReceptionSession&) = delete;
  ReceptionSession& operator=(const ReceptionSession&) = delete;

  // radio_init on `port`; false (the link stays closed) when the library answers below 0.
  bool Open(int port);
  void Close();
  bool IsOpen() const { return open_; }
  // One menu_receive: an order, none waiting, or no answer (the base stopped answering, or the link is not
  // open), with the library's reason.
  struct PollResult {
    enum Kind { kOrder, kNone, kNoAnswer } kind = kNone;
    ReceivedOrder order;
    std::string error;
  };
  PollResult Poll();

 private:
  KestrelApi& api_;
  bool open_ = false;
};

}  // namespace tabulo
