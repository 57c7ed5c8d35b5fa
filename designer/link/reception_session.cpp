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

std::optional<ReceivedOrder> ReceptionSession::Poll() {
  if (!open_) return std::nullopt;
  std::string plu_buffer(kBufferSize, ' ');
  std::string quantity_buffer(kBufferSize, ' ');
  int ignored1 = 0, terminal = 0, ignored2 = 0, count = 0, table = 0;
  if (api_.menu_receive(ignored1, terminal, ignored2, count, table, plu_buffer, quantity_buffer) != 0) {
    return std::nullopt;
  }
  return DecodeReceivedOrder(terminal, count, table, plu_buffer, quantity_buffer);
}

}  // namespace tabulo
