#pragma once
// The base station that kestrel-basesim plays: its state (program running or cleared, name, radio
// frequency, baud rate), the base side of the protocol, menus stored only when they arrive whole, orders
// waiting for the terminal poll, firmware checks, and the faults it can be told to inject. No I/O of its
// own beyond the files it is told to write, so the program around it only moves bytes.

#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "kestrel/protocol.h"

namespace kestrel {

struct BaseSettings {
  std::string name = "KBASE";
  uint32_t radio_khz = 43392;
  uint32_t baud = 38400;
  bool program_running = true;
  bool keeps_program = false;     // clearing is acknowledged but the program keeps running
  std::string menu_out;           // where each menu that arrived whole is stored as JSON ("" = nowhere)
  std::string events_out;         // where each event is appended as one JSON line ("" = nowhere)
  int drop_every = 0;             // ignore every Nth frame received
  int corrupt_every = 0;          // damage every Nth frame sent
  int silent_after = 0;           // answer nothing after this many frames received
  bool lose_end_answers = false;  // the answers to a transfer's end never reach the library
};

inline constexpr uint32_t kBootLoaderBaud = 115200;

class BaseStation {
 public:
  explicit BaseStation(BaseSettings settings);

  // The bytes to send back for `bytes` that arrived while the line ran at `line_baud`.
  std::string Receive(std::string_view bytes, uint32_t line_baud);
  // No byte came for a while: a frame begun cannot complete any more.
  void Idle() { parser_.GiveUpPartial(); }

  void AddOrder(Order order) { orders_.push_back(std::move(order)); }
  size_t OrdersWaiting() const { return orders_.size(); }
  int MenusStored() const { return menus_stored_; }
  const BaseSettings& Settings() const { return settings_; }

 private:
  struct Assembly {
    bool active = false;
    uint32_t total = 0;
    uint32_t crc = 0;
    uint8_t route = 0;
    std::string name;
    std::string bytes;
  };

  std::string HandleFrame(const Frame& frame, uint32_t line_baud);
  std::string Answer(const Frame& frame, uint32_t line_baud);
  std::string Reply(uint8_t sequence, uint8_t status, std::string_view answer = {});
  std::string AddChunk(Assembly& assembly, const Frame& frame);
  std::string EndMenu(const Frame& frame);
  std::string EndFirmware(const Frame& frame);
  void Event(const std::string& json_line);

  BaseSettings settings_;
  FrameParser parser_;
  std::deque<Order> orders_;
  Assembly menu_;
  Assembly firmware_;
  bool download_mode_ = false;
  bool radio_upload_armed_ = false;
  std::optional<uint8_t> last_sequence_;
  uint8_t last_type_ = 0;
  std::string last_reply_;
  long frames_in_ = 0;
  long frames_out_ = 0;
  int menus_stored_ = 0;
  StoredTransfer last_stored_;
};

// Orders as a person types them: "order TERMINAL TABLE", then one "PLU QUANTITY" line per order line; a
// blank line, "end", the next "order" or the end of input completes the order. "#" starts a comment.
class OrderReader {
 public:
  explicit OrderReader(BaseStation& station) : station_(station) {}
  // False (with the reason) for a line that is not understood; the line is skipped.
  bool Line(std::string_view line, std::string& error);
  void Finish();

 private:
  BaseStation& station_;
  std::optional<Order> current_;
};

// The menu tree of a transfer, as the JSON document the simulator stores.
std::string MenuJson(const std::vector<MenuOp>& ops);

}  // namespace kestrel
