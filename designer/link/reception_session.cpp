#include "designer/link/reception_session.h"

#include <string>

namespace tabulo {

constexpr int kReceptionMode = 1;
constexpr int kReceptionNetwork = 65000;
constexpr size_t kBufferSize = kOrderFieldCount * kOrderFieldWidth;

bool ReceptionSession::Open(int port) {
  if (open_) return true;
  open_ = api_.radio_init(port, kReceptionMode, kReceptionNetwork, 0) >= 0;
  return open_;
}

void ReceptionSession::Close() {
  if (!open_) return;
  open_ = false;
  api_.radio_close();
}

ReceptionSession::PollResult ReceptionSession::Poll() {
  PollResult result;
  if (!open_) {
    result.kind = PollResult::kNoAnswer;
    result.error = "the link is not open";
    return result;
  }
  std::string plu_buffer(kBufferSize, ' ');
  std::string quantity_buffer(kBufferSize, ' ');
  int ignored1 = 0, terminal = 0, ignored2 = 0, count = 0, table = 0;
  int received = api_.menu_receive(ignored1, terminal, ignored2, count, table, plu_buffer, quantity_buffer);
  if (received == 0) {
    result.kind = PollResult::kOrder;
    result.order = DecodeReceivedOrder(terminal, count, table, plu_buffer, quantity_buffer);
  } else if (received < 0) {
    result.kind = PollResult::kNoAnswer;
    result.error = api_.LastError();
  }
  return result;
}

}  // namespace tabulo
