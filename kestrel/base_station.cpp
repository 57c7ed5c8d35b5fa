#include "kestrel/base_station.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>

#include "base/files.h"
#include "base/text_codec.h"

namespace kestrel {
namespace {

using nlohmann::json;

std::string Utf8(std::string_view windows1252) {
  return tabulo::DecodeWindows1252(windows1252);
}

// The five texts of a language block, when the text is one (starts with code 6 and its offsets climb
// within it).
std::optional<json> LanguageTexts(std::string_view block) {
  if (block.size() < 6 || block[0] != 6) return std::nullopt;
  json texts = json::array();
  size_t start = 6;
  for (int k = 1; k <= 5; ++k) {
    size_t end = static_cast<uint8_t>(block[k]);
    if (end < start || end > block.size()) return std::nullopt;
    texts.push_back(Utf8(block.substr(start, end - start)));
    start = end;
  }
  return texts;
}

struct Node {
  bool is_dir = false;
  std::string name;
  json leaf;
  std::vector<Node> children;
};

json ToJson(const Node& node) {
  if (!node.is_dir) return node.leaf;
  json children = json::array();
  for (const Node& child : node.children) children.push_back(ToJson(child));
  return json{{"dir", Utf8(node.name)}, {"children", children}};
}

json Block(const MenuOp& op, json leaf) {
  leaf["text"] = Utf8(op.text);
  if (auto texts = LanguageTexts(op.text)) leaf["texts"] = *texts;
  return leaf;
}

std::string_view Trimmed(std::string_view text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string MenuJson(const std::vector<MenuOp>& ops) {
  Node root;
  root.is_dir = true;
  std::vector<size_t> path;  // indices from the root to the current directory
  json entries = json::array();
  json notes = json::array();
  auto current = [&]() -> Node& {
    Node* node = &root;
    for (size_t index : path) node = &node->children[index];
    return *node;
  };
  auto find_dir = [](Node& dir, const std::string& name) -> std::optional<size_t> {
    for (size_t i = 0; i < dir.children.size(); ++i) {
      if (dir.children[i].is_dir && dir.children[i].name == name) return i;
    }
    return std::nullopt;
  };
  for (const MenuOp& op : ops) {
    Node& here = current();
    Node leaf;
    switch (op.kind) {
      case kOpMkdir:
        if (!find_dir(here, op.text)) {
          Node dir;
          dir.is_dir = true;
          dir.name = op.text;
          here.children.push_back(std::move(dir));
        }
        continue;
      case kOpCd:
        if (auto index = find_dir(here, op.text)) {
          path.push_back(*index);
        } else {
          notes.push_back("cd to a missing directory: " + Utf8(op.text));
        }
        continue;
      case kOpCdBack:
        if (!path.empty()) path.pop_back();
        continue;
      case kOpModifier:
        leaf.leaf = Block(op, {{"modifier", op.a}, {"button", op.b}});
        break;
      case kOpItem:
        leaf.leaf = Block(op, {{"item", op.a}, {"price", Utf8(op.price)}, {"button", op.b}});
        break;
      case kOpModifierGroup:
        leaf.leaf = {{"modifier_group", Utf8(op.text)}, {"min", op.a}, {"max", op.b}, {"default", op.c}};
        break;
      case kOpModifierMinMax:
        leaf.leaf = {{"modifier_min_max", Utf8(op.text)}, {"mandatory", op.a}, {"min", op.b}, {"max", op.c}};
        break;
      case kOpSetEntry: {
        json entry = Block(op, {{"entry", op.a}});
        entries.push_back(entry);
        continue;
      }
    }
    here.children.push_back(std::move(leaf));
  }
  json menu = {{"tree", ToJson(root)["children"]}, {"entries", entries}, {"records", ops.size()}};
  for (const json& entry : entries) {
    if (entry["entry"] == 1530 && entry.contains("texts")) menu["languages"] = entry["texts"];
  }
  if (!notes.empty()) menu["notes"] = notes;
  return menu.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
}

BaseStation::BaseStation(BaseSettings settings) : settings_(std::move(settings)) {}

void BaseStation::Event(const std::string& json_line) {
  if (settings_.events_out.empty()) return;
  if (FILE* file = std::fopen(settings_.events_out.c_str(), "a")) {
    std::fputs((json_line + "\n").c_str(), file);
    std::fclose(file);
  }
}

std::string BaseStation::Receive(std::string_view bytes, uint32_t line_baud) {
  bool base_speed = settings_.program_running && line_baud == settings_.baud;
  bool loader_speed = line_baud == kBootLoaderBaud;
  // At any other speed the bytes arrive as noise that no frame can be read from.
  if (!base_speed && !loader_speed) return {};
  parser_.Feed(bytes);
  std::string out;
  while (auto event = parser_.Next()) {
    if (!event->is_frame) {
      // The byte-level probe: a running program answers a lone "+" with "-"; a cleared one is silent.
      if (event->stray == '+' && base_speed) out.push_back('-');
      continue;
    }
    ++frames_in_;
    if (settings_.silent_after > 0 && frames_in_ > settings_.silent_after) continue;
    if (settings_.drop_every > 0 && frames_in_ % settings_.drop_every == 0) continue;
    std::string reply;
    if (event->frame.type != kHello && last_sequence_ && *last_sequence_ == event->frame.sequence &&
        last_type_ == event->frame.type) {
      reply = last_reply_;  // the answer was lost: the same answer again, the request not done twice
    } else {
      reply = HandleFrame(event->frame, line_baud);
      last_sequence_ = event->frame.sequence;
      last_type_ = event->frame.type;
      last_reply_ = reply;
    }
    if (settings_.lose_end_answers && (event->frame.type == kMenuEnd || event->frame.type == kFirmwareEnd)) {
      continue;  // done, but its answer is lost on the line (and so is each repetition's)
    }
    ++frames_out_;
    if (settings_.corrupt_every > 0 && frames_out_ % settings_.corrupt_every == 0 && reply.size() > 3) {
      reply[reply.size() / 2 + 1] = static_cast<char>(reply[reply.size() / 2 + 1] ^ 0x5A);
    }
    out += reply;
  }
  return out;
}

std::string BaseStation::Reply(uint8_t sequence, uint8_t status, std::string_view answer) {
  Frame reply{kReply, sequence, std::string(1, static_cast<char>(status))};
  reply.payload.append(answer);
  return EncodeFrame(reply);
}

std::string BaseStation::HandleFrame(const Frame& frame, uint32_t line_baud) {
  bool firmware_frame = frame.type == kHello || frame.type == kDownload || frame.type == kFirmwareBegin ||
                        frame.type == kFirmwareData || frame.type == kFirmwareEnd ||
                        frame.type == kLastStored;
  // The boot loader (115200 baud) handles only what loads a program; a running base does the rest at its
  // own speed and takes a program from a terminal cradle at the loader's speed.
  if (line_baud == kBootLoaderBaud && line_baud != settings_.baud && !firmware_frame) {
    return Reply(frame.sequence, kRefused);
  }
  return Answer(frame, line_baud);
}

std::string BaseStation::AddChunk(Assembly& assembly, const Frame& frame) {
  Reader r(frame.payload);
  uint32_t offset = 0;
  if (!assembly.active || !r.U32(offset)) return Reply(frame.sequence, kBadRequest);
  std::string_view data = r.Rest();
  if (offset == assembly.bytes.size() && assembly.bytes.size() + data.size() <= assembly.total) {
    assembly.bytes.append(data);
    return Reply(frame.sequence, kOk);
  }
  assembly.active = false;  // a gap or an overrun: this transfer can never be whole
  assembly.bytes.clear();
  return Reply(frame.sequence, kIncomplete);
}

std::string BaseStation::EndMenu(const Frame& frame) {
  bool whole = menu_.active && menu_.bytes.size() == menu_.total && Crc32(menu_.bytes) == menu_.crc;
  std::vector<MenuOp> ops;
  if (whole) whole = DecodeMenuOps(menu_.bytes, ops);
  menu_.active = false;
  std::string bytes = std::move(menu_.bytes);
  menu_.bytes.clear();
  if (!whole) {
    Event(json{{"event", "menu-refused"}, {"bytes", bytes.size()}}.dump());
    return Reply(frame.sequence, kIncomplete);
  }
  if (!settings_.menu_out.empty()) {
    tabulo::FileBatch batch;
    batch.Add(settings_.menu_out, MenuJson(ops));
    if (!batch.Commit().ok) return Reply(frame.sequence, kRefused);
  }
  ++menus_stored_;
  last_stored_ = {kMenuBegin, menu_.total, menu_.crc};
  Event(json{{"event", "menu"}, {"records", ops.size()}, {"bytes", bytes.size()}}.dump());
  return Reply(frame.sequence, kOk);
}

std::string BaseStation::EndFirmware(const Frame& frame) {
  bool whole = firmware_.active && firmware_.bytes.size() == firmware_.total &&
               Crc32(firmware_.bytes) == firmware_.crc;
  firmware_.active = false;
  std::string image = std::move(firmware_.bytes);
  firmware_.bytes.clear();
  if (!whole) return Reply(frame.sequence, kIncomplete);
  last_stored_ = {kFirmwareBegin, firmware_.total, firmware_.crc};
  json event = {{"event", "firmware"}, {"name", Utf8(firmware_.name)}};
  if (firmware_.route == kRouteRadio) {
    radio_upload_armed_ = false;
    bool intact = FirmwareMessageIntact(image);
    event.update({{"route", "radio"},
                  {"target", "terminal"},
                  {"bytes", image.size() < 4 ? 0 : image.size() - 4},
                  {"checksum_ok", intact}});
  } else if (!settings_.program_running) {
    settings_.program_running = true;
    download_mode_ = false;
    event.update({{"route", "serial"}, {"target", "base"}, {"bytes", image.size()}});
  } else {
    event.update({{"route", "serial"}, {"target", "terminal"}, {"bytes", image.size()}});
  }
  Event(event.dump(-1, ' ', false, json::error_handler_t::replace));
  return Reply(frame.sequence, kOk);
}

std::string BaseStation::Answer(const Frame& frame, uint32_t line_baud) {
  Reader r(frame.payload);
  bool running = settings_.program_running;
  switch (frame.type) {
    case kHello: {
      BaseInfo info{settings_.name, settings_.radio_khz, settings_.baud, running};
      return Reply(frame.sequence, kOk, EncodeBaseInfo(info));
    }
    case kMenuBegin: {
      if (!running) return Reply(frame.sequence, kRefused);
      uint32_t records = 0;
      menu_ = Assembly{};
      if (!r.U32(menu_.total) || !r.U32(menu_.crc) || !r.U32(records))
        return Reply(frame.sequence, kBadRequest);
      menu_.active = true;
      menu_.bytes.reserve(menu_.total < (64u << 20) ? menu_.total : 0);
      return Reply(frame.sequence, kOk);
    }
    case kMenuData:
      return AddChunk(menu_, frame);
    case kMenuEnd:
      return EndMenu(frame);
    case kPoll: {
      if (!running) return Reply(frame.sequence, kRefused);
      std::optional<Order> order;
      if (!orders_.empty()) {
        order = std::move(orders_.front());
        orders_.pop_front();
        Event(json{{"event", "order-delivered"},
                   {"terminal", order->terminal},
                   {"table", order->table},
                   {"lines", order->lines.size()}}
                  .dump());
      }
      return Reply(frame.sequence, kOk, EncodeOrder(order));
    }
    case kSetName: {
      std::string name;
      if (!running) return Reply(frame.sequence, kRefused);
      if (!r.Text(name)) return Reply(frame.sequence, kBadRequest);
      settings_.name = name.substr(0, 5);
      Event(json{{"event", "name"}, {"name", Utf8(settings_.name)}}.dump());
      return Reply(frame.sequence, kOk);
    }
    case kSetRadio: {
      int32_t khz = 0;
      if (!running) return Reply(frame.sequence, kRefused);
      if (!r.I32(khz) || khz < 0) return Reply(frame.sequence, kBadRequest);
      settings_.radio_khz = static_cast<uint32_t>(khz);
      Event(json{{"event", "radio"}, {"khz", khz}}.dump());
      return Reply(frame.sequence, kOk);
    }
    case kPutUpload:
      if (!running) return Reply(frame.sequence, kRefused);
      radio_upload_armed_ = true;
      return Reply(frame.sequence, kOk);
    case kClearProgram:
      if (!running) return Reply(frame.sequence, kRefused);
      if (settings_.keeps_program) {
        Event(json{{"event", "clear-ignored"}}.dump());
        return Reply(frame.sequence, kOk);
      }
      settings_.program_running = false;
      download_mode_ = false;
      Event(json{{"event", "cleared"}}.dump());
      return Reply(frame.sequence, kOk);
    case kDownload: {
      std::string command;
      if (!r.Text(command)) return Reply(frame.sequence, kBadRequest);
      if (running || line_baud != kBootLoaderBaud || command != "!DOWN")
        return Reply(frame.sequence, kRefused);
      download_mode_ = true;
      return Reply(frame.sequence, kOk);
    }
    case kFirmwareBegin: {
      Assembly next;
      if (!r.U8(next.route) || !r.Text(next.name) || !r.U32(next.total) || !r.U32(next.crc)) {
        return Reply(frame.sequence, kBadRequest);
      }
      bool allowed = next.route == kRouteRadio ? running && radio_upload_armed_ && line_baud == settings_.baud
                                               : line_baud == kBootLoaderBaud && (running || download_mode_);
      if (!allowed) return Reply(frame.sequence, kRefused);
      next.active = true;
      firmware_ = std::move(next);
      return Reply(frame.sequence, kOk);
    }
    case kFirmwareData:
      return AddChunk(firmware_, frame);
    case kFirmwareEnd:
      return EndFirmware(frame);
    case kLastStored:
      return Reply(frame.sequence, kOk, EncodeStoredTransfer(last_stored_));
    default:
      return Reply(frame.sequence, kBadRequest);
  }
}

bool OrderReader::Line(std::string_view line, std::string& error) {
  size_t hash = line.find('#');
  if (hash != std::string_view::npos) line = line.substr(0, hash);
  line = Trimmed(line);
  if (line.empty() || line == "end") {
    Finish();
    return true;
  }
  std::istringstream in{std::string(line)};
  std::string first;
  in >> first;
  if (first == "order") {
    Finish();
    Order order;
    if (!(in >> order.terminal >> order.table)) {
      error = "expected \"order TERMINAL TABLE\": " + std::string(line);
      return false;
    }
    current_ = order;
    return true;
  }
  std::istringstream pair{std::string(line)};
  int32_t plu = 0, quantity = 0;
  std::string rest;
  if (!current_ || !(pair >> plu >> quantity) || (pair >> rest)) {
    error = current_ ? "expected \"PLU QUANTITY\": " + std::string(line)
                     : "an order line before any \"order TERMINAL TABLE\": " + std::string(line);
    return false;
  }
  current_->lines.emplace_back(plu, quantity);
  return true;
}

void OrderReader::Finish() {
  if (current_) station_.AddOrder(std::move(*current_));
  current_.reset();
}

}  // namespace kestrel
