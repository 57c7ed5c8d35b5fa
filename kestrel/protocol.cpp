#include "kestrel/protocol.h"

#include <array>

namespace kestrel {
namespace {

std::array<uint32_t, 256> MakeCrc32Table() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}

std::array<uint16_t, 256> MakeCrc16Table() {
  std::array<uint16_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint16_t c = static_cast<uint16_t>(i << 8);
    for (int k = 0; k < 8; ++k) c = static_cast<uint16_t>((c & 0x8000) ? (c << 1) ^ 0x1021 : c << 1);
    table[i] = c;
  }
  return table;
}

uint16_t Get16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

}  // namespace

uint16_t Crc16(std::string_view bytes, uint16_t crc) {
  static const std::array<uint16_t, 256> table = MakeCrc16Table();
  for (char ch : bytes) {
    crc = static_cast<uint16_t>((crc << 8) ^ table[((crc >> 8) ^ static_cast<uint8_t>(ch)) & 0xFF]);
  }
  return crc;
}

uint32_t Crc32(std::string_view bytes, uint32_t crc) {
  static const std::array<uint32_t, 256> table = MakeCrc32Table();
  crc = ~crc;
  for (char ch : bytes) crc = table[(crc ^ static_cast<uint8_t>(ch)) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::string EncodeFrame(const Frame& frame) {
  size_t length = frame.payload.size() > kMaxPayload ? kMaxPayload : frame.payload.size();
  std::string out;
  out.reserve(kHeaderSize + length + kTrailerSize);
  out.push_back(static_cast<char>(kStart0));
  out.push_back(static_cast<char>(kStart1));
  out.push_back(static_cast<char>(frame.type));
  out.push_back(static_cast<char>(frame.sequence));
  out.push_back(static_cast<char>(length & 0xFF));
  out.push_back(static_cast<char>(length >> 8));
  out.append(frame.payload, 0, length);
  uint16_t crc = Crc16(std::string_view(out).substr(2));
  out.push_back(static_cast<char>(crc & 0xFF));
  out.push_back(static_cast<char>(crc >> 8));
  return out;
}

std::optional<FrameParser::Event> FrameParser::Next() {
  while (!buffer_.empty()) {
    uint8_t first = static_cast<uint8_t>(buffer_[0]);
    if (first != kStart0) {
      Event stray;
      stray.stray = first;
      buffer_.erase(0, 1);
      return stray;
    }
    if (buffer_.size() < 2) return std::nullopt;
    if (static_cast<uint8_t>(buffer_[1]) != kStart1) {
      Event stray;
      stray.stray = first;
      buffer_.erase(0, 1);
      return stray;
    }
    if (buffer_.size() < kHeaderSize) return std::nullopt;
    size_t length = Get16(buffer_, 4);
    if (length > kMaxPayload) {  // a damaged header: look for the next start
      buffer_.erase(0, 1);
      continue;
    }
    size_t total = kHeaderSize + length + kTrailerSize;
    if (buffer_.size() < total) return std::nullopt;
    std::string_view whole(buffer_.data(), total);
    if (Crc16(whole.substr(2, total - 2 - kTrailerSize)) != Get16(whole, total - kTrailerSize)) {
      buffer_.erase(0, 1);
      continue;
    }
    Event event;
    event.is_frame = true;
    event.frame.type = static_cast<uint8_t>(whole[2]);
    event.frame.sequence = static_cast<uint8_t>(whole[3]);
    event.frame.payload.assign(whole.substr(kHeaderSize, length));
    buffer_.erase(0, total);
    return event;
  }
  return std::nullopt;
}

void FrameParser::GiveUpPartial() {
  if (!buffer_.empty()) buffer_.erase(0, 1);
}

Writer& Writer::U8(uint8_t value) {
  out_.push_back(static_cast<char>(value));
  return *this;
}

Writer& Writer::U32(uint32_t value) {
  for (int i = 0; i < 4; ++i) out_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return *this;
}

Writer& Writer::Text(std::string_view text) {
  size_t length = text.size();
  while (length >= 0x80) {
    out_.push_back(static_cast<char>((length & 0x7F) | 0x80));
    length >>= 7;
  }
  out_.push_back(static_cast<char>(length));
  out_.append(text);
  return *this;
}

Writer& Writer::Bytes(std::string_view bytes) {
  out_.append(bytes);
  return *this;
}

bool Reader::U8(uint8_t& value) {
  if (position_ + 1 > bytes_.size()) return false;
  value = static_cast<uint8_t>(bytes_[position_++]);
  return true;
}

bool Reader::U32(uint32_t& value) {
  if (position_ + 4 > bytes_.size()) return false;
  value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes_[position_ + i])) << (8 * i);
  position_ += 4;
  return true;
}

bool Reader::I32(int32_t& value) {
  uint32_t raw = 0;
  if (!U32(raw)) return false;
  value = static_cast<int32_t>(raw);
  return true;
}

bool Reader::Text(std::string& text) {
  size_t length = 0;
  for (int shift = 0;; shift += 7) {
    uint8_t byte = 0;
    if (shift > 28 || !U8(byte)) return false;
    length |= static_cast<size_t>(byte & 0x7F) << shift;
    if (!(byte & 0x80)) break;
  }
  if (length > bytes_.size() - position_) return false;
  text.assign(bytes_.substr(position_, length));
  position_ += length;
  return true;
}

std::string EncodeBaseInfo(const BaseInfo& info) {
  Writer w;
  w.Text(info.name).U32(info.radio_khz).U32(info.baud).U8(info.program_running ? 1 : 0);
  return w.Out();
}

bool DecodeBaseInfo(std::string_view bytes, BaseInfo& info) {
  Reader r(bytes);
  uint8_t running = 0;
  if (!r.Text(info.name) || !r.U32(info.radio_khz) || !r.U32(info.baud) || !r.U8(running)) return false;
  info.program_running = running != 0;
  return true;
}

std::string EncodeStoredTransfer(const StoredTransfer& stored) {
  Writer w;
  w.U8(stored.begin_type).U32(stored.length).U32(stored.crc);
  return w.Out();
}

bool DecodeStoredTransfer(std::string_view bytes, StoredTransfer& stored) {
  Reader r(bytes);
  return r.U8(stored.begin_type) && r.U32(stored.length) && r.U32(stored.crc);
}

std::string EncodeMenuOps(const std::vector<MenuOp>& ops) {
  Writer w;
  for (const MenuOp& op : ops) {
    w.U8(op.kind);
    switch (op.kind) {
      case kOpMkdir:
      case kOpCd:
        w.Text(op.text);
        break;
      case kOpCdBack:
        break;
      case kOpModifier:
        w.I32(op.a).Text(op.text).I32(op.b);
        break;
      case kOpItem:
        w.I32(op.a).Text(op.text).Text(op.price).I32(op.b);
        break;
      case kOpModifierGroup:
      case kOpModifierMinMax:
        w.Text(op.text).I32(op.a).I32(op.b).I32(op.c);
        break;
      case kOpSetEntry:
        w.I32(op.a).Text(op.text);
        break;
    }
  }
  return w.Out();
}

bool DecodeMenuOps(std::string_view bytes, std::vector<MenuOp>& ops) {
  Reader r(bytes);
  ops.clear();
  while (!r.AtEnd()) {
    MenuOp op;
    uint8_t kind = 0;
    if (!r.U8(kind)) return false;
    op.kind = static_cast<MenuOpKind>(kind);
    bool ok = true;
    switch (kind) {
      case kOpMkdir:
      case kOpCd:
        ok = r.Text(op.text);
        break;
      case kOpCdBack:
        break;
      case kOpModifier:
        ok = r.I32(op.a) && r.Text(op.text) && r.I32(op.b);
        break;
      case kOpItem:
        ok = r.I32(op.a) && r.Text(op.text) && r.Text(op.price) && r.I32(op.b);
        break;
      case kOpModifierGroup:
      case kOpModifierMinMax:
        ok = r.Text(op.text) && r.I32(op.a) && r.I32(op.b) && r.I32(op.c);
        break;
      case kOpSetEntry:
        ok = r.I32(op.a) && r.Text(op.text);
        break;
      default:
        return false;
    }
    if (!ok) return false;
    ops.push_back(std::move(op));
  }
  return true;
}

std::string EncodeOrder(const std::optional<Order>& order) {
  Writer w;
  if (!order) return w.U8(0).Out();
  w.U8(1).I32(order->terminal).I32(order->table).U32(static_cast<uint32_t>(order->lines.size()));
  for (const auto& [plu, quantity] : order->lines) w.I32(plu).I32(quantity);
  return w.Out();
}

bool DecodeOrder(std::string_view bytes, std::optional<Order>& order) {
  Reader r(bytes);
  uint8_t present = 0;
  if (!r.U8(present)) return false;
  order.reset();
  if (!present) return true;
  Order o;
  uint32_t count = 0;
  if (!r.I32(o.terminal) || !r.I32(o.table) || !r.U32(count)) return false;
  if (count > bytes.size() / 8) return false;  // each line takes 8 bytes: a count beyond them is damage
  for (uint32_t i = 0; i < count; ++i) {
    int32_t plu = 0, quantity = 0;
    if (!r.I32(plu) || !r.I32(quantity)) return false;
    o.lines.emplace_back(plu, quantity);
  }
  order = std::move(o);
  return true;
}

}  // namespace kestrel
