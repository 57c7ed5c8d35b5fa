#pragma once
// The wire protocol that libkestrel and kestrel-basesim share (see PROTOCOL.md): frames with a type, a
// sequence number, a length and a CRC, the message payloads, and the menu records that carry the upload
// tree. Both sides link this one module so that framing can never drift apart.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/transfer_message.h"

namespace kestrel {

inline constexpr uint8_t kStart0 = 0xA5;
inline constexpr uint8_t kStart1 = 0x5A;
inline constexpr size_t kHeaderSize = 6;   // start (2), type, sequence, length (2, little endian)
inline constexpr size_t kTrailerSize = 2;  // CRC-16 over type .. end of payload
inline constexpr size_t kMaxPayload = 4096;
inline constexpr size_t kChunkSize = 4000;  // data bytes per transfer frame (plus a 4-byte offset)

// Requests sent by the library; the base answers each with a kReply of the same sequence number.
enum FrameType : uint8_t {
  kHello = 0x01,      // start of a session: resets the base's duplicate detection
  kMenuBegin = 0x02,  // u32 total length, u32 CRC-32, u32 record count
  kMenuData = 0x03,   // u32 offset, bytes
  kMenuEnd = 0x04,    // the base checks and stores the menu
  kPoll = 0x05,       // the next waiting order
  kSetName = 0x06,    // text
  kSetRadio = 0x07,   // u32 kHz
  kPutUpload = 0x08,  // the next firmware message goes to a terminal by radio
  kClearProgram = 0x09,
  kDownload = 0x0A,       // text ("!DOWN"): boot loader into download mode
  kFirmwareBegin = 0x0B,  // u8 route, text name, u32 total length, u32 CRC-32
  kFirmwareData = 0x0C,   // u32 offset, bytes
  kFirmwareEnd = 0x0D,
  kLastStored =
      0x0E,       // what the base holds: u8 begin type, u32 length, u32 CRC-32 of its last whole transfer
  kReply = 0x80,  // u8 status, then the answer
};

// Status byte of a reply.
enum ReplyStatus : uint8_t {
  kOk = 0,
  kRefused = 1,     // the request cannot be done in the base's present state
  kIncomplete = 2,  // a transfer ended with bytes missing or a wrong CRC: nothing was stored
  kBadRequest = 3,
};

// The last transfer a base took whole, as kLastStored answers it: asked when the answer to a transfer's end
// was lost, so that the verdict "stored" or "not stored" is never a guess.
struct StoredTransfer {
  uint8_t begin_type = 0;  // kMenuBegin or kFirmwareBegin; 0 when the base took none
  uint32_t length = 0;
  uint32_t crc = 0;
  bool operator==(const StoredTransfer&) const = default;
};
std::string EncodeStoredTransfer(const StoredTransfer& stored);
bool DecodeStoredTransfer(std::string_view bytes, StoredTransfer& stored);

// Seconds a byte takes on a serial line at `baud` (8N1: a start bit, eight data bits, a stop bit).
inline double ByteSeconds(uint32_t baud) {
  return baud > 0 ? 10.0 / baud : 0.0;
}

// Route of a firmware transfer.
enum FirmwareRoute : uint8_t { kRouteSerial = 0, kRouteRadio = 1 };

struct Frame {
  uint8_t type = 0;
  uint8_t sequence = 0;
  std::string payload;
};

uint16_t Crc16(std::string_view bytes, uint16_t crc = 0xFFFF);  // CCITT, polynomial 0x1021
uint32_t Crc32(std::string_view bytes, uint32_t crc = 0);       // IEEE 802.3

std::string EncodeFrame(const Frame& frame);

// Splits a byte stream into frames. Bytes outside any frame are kept as strays in arrival order (the base
// answers a lone "+" among them); a damaged frame is skipped byte by byte until the next good start.
class FrameParser {
 public:
  struct Event {
    bool is_frame = false;
    Frame frame;
    uint8_t stray = 0;
  };
  void Feed(std::string_view bytes) { buffer_.append(bytes); }
  // The next frame or stray byte; nothing when more bytes are needed.
  std::optional<Event> Next();
  // Called when no byte came for a while: a frame that started cannot complete any more (a damaged length
  // promised more bytes than were sent), so its first byte is given up and the rest scanned again.
  void GiveUpPartial();
  bool HasPartial() const { return !buffer_.empty(); }
  size_t Buffered() const { return buffer_.size(); }

 private:
  std::string buffer_;
};

// Little-endian fields and length-prefixed texts of payloads.
class Writer {
 public:
  Writer& U8(uint8_t value);
  Writer& U32(uint32_t value);
  Writer& I32(int32_t value) { return U32(static_cast<uint32_t>(value)); }
  Writer& Text(std::string_view text);  // varint length, bytes
  Writer& Bytes(std::string_view bytes);
  std::string& Out() { return out_; }

 private:
  std::string out_;
};

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool U8(uint8_t& value);
  bool U32(uint32_t& value);
  bool I32(int32_t& value);
  bool Text(std::string& text);
  std::string_view Rest() const { return bytes_.substr(position_); }
  bool AtEnd() const { return position_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  size_t position_ = 0;
};

// The base's state as the status and hello replies carry it.
struct BaseInfo {
  std::string name;  // at most 5 characters
  uint32_t radio_khz = 0;
  uint32_t baud = 0;
  bool program_running = true;
};
std::string EncodeBaseInfo(const BaseInfo& info);
bool DecodeBaseInfo(std::string_view bytes, BaseInfo& info);

// One call of the upload tree, as the library collects it and the base replays it.
enum MenuOpKind : uint8_t {
  kOpMkdir = 1,
  kOpCd = 2,
  kOpCdBack = 3,
  kOpModifier = 4,        // plu, text, button
  kOpItem = 5,            // plu, text, price, button
  kOpModifierGroup = 6,   // name, minimum, maximum, default
  kOpModifierMinMax = 7,  // name, mandatory, minimum, maximum
  kOpSetEntry = 8,        // entry, text
};

struct MenuOp {
  MenuOpKind kind = kOpMkdir;
  std::string text;   // directory or group name, language block, entry text
  std::string price;  // items only
  int32_t a = 0, b = 0, c = 0, d = 0;

  bool operator==(const MenuOp&) const = default;
};

std::string EncodeMenuOps(const std::vector<MenuOp>& ops);
bool DecodeMenuOps(std::string_view bytes, std::vector<MenuOp>& ops);

// A received order: terminal, table and its lines.
struct Order {
  int32_t terminal = 0;
  int32_t table = 0;
  std::vector<std::pair<int32_t, int32_t>> lines;  // PLU number, quantity
};
std::string EncodeOrder(const std::optional<Order>& order);
bool DecodeOrder(std::string_view bytes, std::optional<Order>& order);

// The sums that guard a firmware image sent by radio live with the firmware tool's core, which builds the
// message the base checks here.
using tabulo::FirmwareChecksum;
using tabulo::FirmwareMessageIntact;

}  // namespace kestrel
