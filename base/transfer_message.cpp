#include "base/transfer_message.h"

namespace tabulo {
namespace {

uint16_t Get16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

void Put16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

}  // namespace

void FirmwareChecksum::Add(uint8_t byte) {
  uint16_t c = static_cast<uint16_t>((byte + 1) & 0xFF);
  sum2 = static_cast<uint16_t>((sum2 << 1) | (sum2 >> 15));
  sum1 = static_cast<uint16_t>(sum1 + c);
  sum2 = static_cast<uint16_t>(sum2 + c);
}

std::string TransferMessage(std::string_view image) {
  FirmwareChecksum sums;
  sums.Add(image);
  std::string message;
  message.reserve(image.size() + 4);
  message.append(image);
  Put16(message, sums.sum1);
  Put16(message, sums.sum2);
  return message;
}

bool FirmwareMessageIntact(std::string_view message) {
  if (message.size() < 4) return false;
  FirmwareChecksum sums;
  sums.Add(message.substr(0, message.size() - 4));
  std::string_view tail = message.substr(message.size() - 4);
  return Get16(tail, 0) == sums.sum1 && Get16(tail, 2) == sums.sum2;
}

}  // namespace tabulo
