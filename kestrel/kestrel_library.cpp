// libkestrel: every call of the radio library, each a thin layer over the shared protocol (protocol.h,
// client.h). The library keeps one menu link, one reception link and the ports opened at serial level;
// calls are serialised by one lock. A program may call from several threads (a window's transfer and its
// reception polls): links of one process on one device share the open device, and the reason of a failure
// and the progress hook belong to the calling thread.

#include <stdlib.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "base/files.h"
#include "kestrel/client.h"
#include "kestrel/kestrel.h"
#include "kestrel/protocol.h"
#include "kestrel/serial_port.h"
#include "kestrel/trace.h"

namespace {

using kestrel::BaseInfo;
using kestrel::Client;
using kestrel::MenuOp;
using kestrel::SerialPort;

// Speeds at which a base station is looked for when the caller names none: its usual speed first.
// The boot loader's speed last: every base answers there and says its own speed.
constexpr int kBaseSpeeds[] = {38400, 19200, 115200};
// The firmware tool's calls look for a running program only.
constexpr int kProgramSpeeds[] = {38400, 19200};
constexpr int kBootLoaderSpeed = 115200;
constexpr size_t kOrderFields = 64;
constexpr size_t kOrderFieldWidth = 8;
constexpr size_t kStatusTextSize = 25;

struct Link {
  std::shared_ptr<SerialPort> port;
  std::unique_ptr<Client> client;
  explicit operator bool() const { return port != nullptr; }
};

struct LibraryState {
  std::mutex mutex;
  Link menu;
  std::vector<MenuOp> ops;
  Link radio;
  std::map<int, std::shared_ptr<SerialPort>> io_ports;
  std::map<std::string, std::weak_ptr<SerialPort>>
      devices;  // every device open in this process, by real path
  long long written_by_closed = 0;
  long long read_by_closed = 0;
};

LibraryState& State() {
  static LibraryState state;
  return state;
}

// Why the last call of the calling thread failed.
std::string& LastError() {
  thread_local std::string error;
  return error;
}

// The progress hook of the calling thread's transfers (kestrel_set_progress).
struct ProgressHook {
  int (*callback)(void*, long long, long long) = nullptr;
  void* context = nullptr;
};
ProgressHook& Hook() {
  thread_local ProgressHook hook;
  return hook;
}

kestrel::TransferProgress HookedProgress() {
  ProgressHook hook = Hook();
  if (!hook.callback) return {};
  return [hook](uint64_t done, uint64_t total) {
    return hook.callback(hook.context, static_cast<long long>(done), static_cast<long long>(total)) == 0;
  };
}

void Close(Link& link) {
  link.client.reset();
  link.port.reset();
}

std::string RealPath(const std::string& path) {
  char real[PATH_MAX];
  return ::realpath(path.c_str(), real) ? std::string(real) : path;
}

// The device of port `port` at `baud`: the one this process has open already (a reception link and a
// send share it), else opened now for this process alone. Nothing when it cannot be.
std::shared_ptr<SerialPort> AcquirePort(LibraryState& state, int port, int baud) {
  std::string path = kestrel::DevicePathOfPort(port);
  if (path.empty()) {
    LastError() = "there is no serial port " + std::to_string(port);
    return nullptr;
  }
  std::string key = RealPath(path);
  if (std::shared_ptr<SerialPort> open = state.devices[key].lock()) {
    if (!open->SetSpeed(baud)) {
      LastError() = "cannot set " + path + " to " + std::to_string(baud) + " baud";
      return nullptr;
    }
    return open;
  }
  kestrel::OpenFailure failure;
  std::unique_ptr<SerialPort> opened = SerialPort::Open(path, baud, failure);
  if (!opened) {
    LastError() = failure.in_use
                      ? "port " + std::to_string(port) + " is " + failure.reason + " (" + path + ")"
                      : failure.reason;
    return nullptr;
  }
  std::shared_ptr<SerialPort> shared(opened.release(), [&state](SerialPort* closing) {
    state.written_by_closed += closing->bytes_written;
    state.read_by_closed += closing->bytes_read;
    delete closing;
  });
  state.devices[key] = shared;
  return shared;
}

// Opens port `port` and starts a session at the first of `speeds` at which the base answers. Each speed is
// tried once a round, so that a base at the last speed is found after one try at the others. A menu or
// reception link (`need_program`) wants the running program: a base found through its boot loader's speed
// is then met at its own. 0 when it answers, -1 when the device cannot be opened, -2 when nothing answers.
int OpenLink(LibraryState& state, int port, const std::vector<int>& speeds, Link& link, BaseInfo* info,
             bool need_program) {
  Close(link);
  link.port = AcquirePort(state, port, speeds.front());
  if (!link.port) return -1;
  kestrel::LinkTiming timing = kestrel::TimingFromEnvironment();
  link.client = std::make_unique<Client>(*link.port, timing);
  std::string where = link.port->Path() + " (port " + std::to_string(port) + ")";
  BaseInfo answered;
  for (int round = 0; round < timing.attempts; ++round) {
    for (int speed : speeds) {
      if (!link.port->SetSpeed(speed) || !link.client->Hello(answered, 1)) continue;
      if (need_program && !answered.program_running) {
        LastError() = "the base station on " + where + " has no program running (it was cleared)";
        Close(link);
        return -2;
      }
      int own = static_cast<int>(answered.baud);
      if (need_program && own != speed && kestrel::SpeedConstant(own) != 0 &&
          (!link.port->SetSpeed(own) || !link.client->Hello(answered))) {
        continue;
      }
      if (info) *info = answered;
      LastError().clear();
      return 0;
    }
  }
  LastError() = "the base station does not answer on " + where;
  Close(link);
  return -2;
}

// A short session for one firmware-tool call: on the port opened by IO_Open when there is one, else on the
// port opened for this call only.
class CallSession {
 public:
  CallSession(LibraryState& state, int port, const std::vector<int>& speeds) {
    auto open = state.io_ports.find(port);
    if (open != state.io_ports.end()) {
      borrowed_ = open->second.get();
      client_ = std::make_unique<Client>(*borrowed_, kestrel::TimingFromEnvironment());
      ok_ = client_->Hello(info_);
      if (!ok_) LastError() = client_->Error();
      return;
    }
    int result = OpenLink(state, port, speeds, own_, &info_, false);
    ok_ = result == 0;
  }
  ~CallSession() { Close(own_); }

  bool Ok() const { return ok_; }
  const BaseInfo& Info() const { return info_; }
  Client& Link() { return borrowed_ ? *client_ : *own_.client; }
  // One request; records why it failed.
  bool Request(uint8_t type, const std::string& payload) {
    std::string answer;
    if (Link().Request(type, payload, answer)) return true;
    LastError() = Link().Error();
    return false;
  }

 private:
  SerialPort* borrowed_ = nullptr;
  std::unique_ptr<Client> client_;
  ::Link own_;
  BaseInfo info_;
  bool ok_ = false;
};

std::vector<int> SpeedsFrom(int preferred) {
  std::vector<int> speeds;
  if (kestrel::SpeedConstant(preferred) != 0) speeds.push_back(preferred);
  for (int speed : kProgramSpeeds) {
    if (speed != preferred) speeds.push_back(speed);
  }
  return speeds;
}

std::string Text(const char* text) {
  return text ? std::string(text) : std::string();
}

int AddOp(kestrel::MenuOpKind kind, std::string text = {}, std::string price = {}, int32_t a = 0,
          int32_t b = 0, int32_t c = 0) {
  MenuOp op{kind, std::move(text), std::move(price), a, b, c, 0};
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.ops.push_back(std::move(op));
  return 0;
}

void WriteField(char* buffer, size_t index, int32_t value) {
  if (value > 99999999) value = 99999999;
  if (value < -9999999) value = -9999999;
  char field[16];
  std::snprintf(field, sizeof field, "%8d", value);
  std::memcpy(buffer + index * kOrderFieldWidth, field, kOrderFieldWidth);
}

int FirmwareTransfer(int port, int speed, kestrel::FirmwareRoute route, const std::string& name,
                     const std::string& bytes) {
  LibraryState& state = State();
  CallSession session(state, port, {speed});
  if (!session.Ok()) return 0;
  kestrel::Writer begin;
  begin.U8(route).Text(name).U32(static_cast<uint32_t>(bytes.size())).U32(kestrel::Crc32(bytes));
  kestrel::TransferVerdict verdict =
      session.Link().Transfer(kestrel::kFirmwareBegin, begin.Out(), kestrel::kFirmwareData,
                              kestrel::kFirmwareEnd, bytes, HookedProgress());
  if (verdict != kestrel::TransferVerdict::kStored) {
    LastError() = session.Link().Error();
    return 0;
  }
  LastError().clear();
  return 1;
}

}  // namespace

extern "C" {

int menu_init(int port, int mode, int network) {
  kestrel::TraceCall("menu_init").Number(port).Number(mode).Number(network);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.ops.clear();
  return OpenLink(state, port, {std::begin(kBaseSpeeds), std::end(kBaseSpeeds)}, state.menu, nullptr, true);
}

int radio_make_tree_mkdir(const char* name) {
  kestrel::TraceCall("radio_make_tree_mkdir").Text(name);
  return AddOp(kestrel::kOpMkdir, Text(name));
}

int radio_make_tree_cd(const char* name) {
  kestrel::TraceCall("radio_make_tree_cd").Text(name);
  return AddOp(kestrel::kOpCd, Text(name));
}

int radio_make_tree_cd_back(void) {
  kestrel::TraceCall("radio_make_tree_cd_back");
  return AddOp(kestrel::kOpCdBack);
}

int menu_modifier(int plu, const char* block, int button) {
  kestrel::TraceCall("menu_modifier").Number(plu).Text(block).Number(button);
  return AddOp(kestrel::kOpModifier, Text(block), "", plu, button);
}

int menu_item(int plu, const char* block, const char* price, int button) {
  kestrel::TraceCall("menu_item").Number(plu).Text(block).Text(price).Number(button);
  return AddOp(kestrel::kOpItem, Text(block), Text(price), plu, button);
}

int menu_item_modifier_group(const char* name, int minimum, int maximum, int defaults) {
  kestrel::TraceCall("menu_item_modifier_group").Text(name).Number(minimum).Number(maximum).Number(defaults);
  return AddOp(kestrel::kOpModifierGroup, Text(name), "", minimum, maximum, defaults);
}

int radio_make_tree_modifier_min_max(const char* name, int mandatory, int minimum, int maximum) {
  kestrel::TraceCall("radio_make_tree_modifier_min_max")
      .Text(name)
      .Number(mandatory)
      .Number(minimum)
      .Number(maximum);
  return AddOp(kestrel::kOpModifierMinMax, Text(name), "", mandatory, minimum, maximum);
}

int radio_set_entry(int entry, const char* text) {
  kestrel::TraceCall("radio_set_entry").Number(entry).Text(text);
  return AddOp(kestrel::kOpSetEntry, Text(text), "", entry);
}

int menu_upload(void) {
  kestrel::TraceCall("menu_upload");
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.menu) {
    LastError() = "the menu link is not open";
    return -1;
  }
  std::string bytes = kestrel::EncodeMenuOps(state.ops);
  kestrel::Writer begin;
  begin.U32(static_cast<uint32_t>(bytes.size()))
      .U32(kestrel::Crc32(bytes))
      .U32(static_cast<uint32_t>(state.ops.size()));
  state.ops.clear();
  kestrel::TransferVerdict verdict = state.menu.client->Transfer(
      kestrel::kMenuBegin, begin.Out(), kestrel::kMenuData, kestrel::kMenuEnd, bytes, HookedProgress());
  const std::string& why = state.menu.client->Error();
  switch (verdict) {
    case kestrel::TransferVerdict::kStored:
      LastError().clear();
      return 0;
    case kestrel::TransferVerdict::kNotStored:
      LastError() = "the menu was not stored: " + why;
      return -2;
    case kestrel::TransferVerdict::kUnknown:
      LastError() = "the menu may or may not have been stored: " + why;
      return -3;
    case kestrel::TransferVerdict::kCancelled:
      LastError() = "the menu was not stored: " + why;
      return -4;
  }
  return -2;
}

int menu_close(void) {
  kestrel::TraceCall("menu_close");
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.ops.clear();
  Close(state.menu);
  return 0;
}

int radio_init(int port, int mode, int network, int flags) {
  kestrel::TraceCall("radio_init").Number(port).Number(mode).Number(network).Number(flags);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return OpenLink(state, port, {std::begin(kBaseSpeeds), std::end(kBaseSpeeds)}, state.radio, nullptr, true);
}

int menu_receive(int* reserved1, int* terminal, int* reserved2, int* count, int* table, char* plu_buffer,
                 char* quantity_buffer) {
  kestrel::TraceCall("menu_receive")
      .NumberAt(reserved1)
      .NumberAt(terminal)
      .NumberAt(reserved2)
      .NumberAt(count)
      .NumberAt(table)
      .Bytes(plu_buffer, plu_buffer ? kOrderFields * kOrderFieldWidth : 0)
      .Bytes(quantity_buffer, quantity_buffer ? kOrderFields * kOrderFieldWidth : 0);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.radio) {
    LastError() = "the reception link is not open";
    return -1;
  }
  std::string answer;
  if (!state.radio.client->Request(kestrel::kPoll, "", answer)) {
    LastError() = state.radio.client->Error();
    return -2;
  }
  std::optional<kestrel::Order> order;
  if (!kestrel::DecodeOrder(answer, order)) {
    LastError() = "damaged order from the base station";
    return -2;
  }
  LastError().clear();
  if (!order) return 1;
  if (terminal) *terminal = order->terminal;
  if (table) *table = order->table;
  if (count) *count = static_cast<int>(order->lines.size());
  for (size_t i = 0; i < order->lines.size() && i < kOrderFields; ++i) {
    if (plu_buffer) WriteField(plu_buffer, i, order->lines[i].first);
    if (quantity_buffer) WriteField(quantity_buffer, i, order->lines[i].second);
  }
  return 0;
}

int radio_close(void) {
  kestrel::TraceCall("radio_close");
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  Close(state.radio);
  return 0;
}

int IO_Open(int port, int baud) {
  kestrel::TraceCall("IO_Open").Number(port).Number(baud);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::shared_ptr<SerialPort>& slot = state.io_ports[port];
  slot.reset();
  slot = AcquirePort(state, port, baud);
  if (!slot) {
    state.io_ports.erase(port);
    return 0;
  }
  LastError().clear();
  return 1;
}

int IO_Close(int port) {
  kestrel::TraceCall("IO_Close").Number(port);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto open = state.io_ports.find(port);
  if (open == state.io_ports.end()) return 0;
  state.io_ports.erase(open);
  return 1;
}

int IO_Write(int port, int length, const char* bytes) {
  kestrel::TraceCall("IO_Write").Number(port).Number(length).Bytes(bytes, length);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto open = state.io_ports.find(port);
  if (open == state.io_ports.end() || !bytes || length <= 0) return 0;
  if (!open->second->WriteAll(std::string(bytes, static_cast<size_t>(length)))) {
    LastError() = "cannot write to " + open->second->Path();
    return 0;
  }
  return length;
}

int IO_Read(int port, int length, char* buffer, int timeout_ms) {
  kestrel::TraceCall("IO_Read")
      .Number(port)
      .Number(length)
      .Bytes(buffer, buffer ? length : 0)
      .Number(timeout_ms);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto open = state.io_ports.find(port);
  if (open == state.io_ports.end() || !buffer || length <= 0) return 0;
  std::string& pending = open->second->Pending();
  if (pending.empty() && !open->second->ReadSome(pending, timeout_ms)) return 0;
  size_t taken = pending.size() < static_cast<size_t>(length) ? pending.size() : static_cast<size_t>(length);
  std::memcpy(buffer, pending.data(), taken);
  pending.erase(0, taken);
  return static_cast<int>(taken);
}

int B_BaseGetStatus(int port, int* baud, char* text) {
  kestrel::TraceCall("B_BaseGetStatus").Number(port).NumberAt(baud).TextWithin(text, 200);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  CallSession session(state, port, SpeedsFrom(baud ? *baud : 0));
  if (!session.Ok()) return 0;
  const BaseInfo& info = session.Info();
  if (text) {
    // Positions (from 1): 4-8 name, 14-18 radio kHz, 19-24 baud rate, 25 R(unning) or C(leared).
    char status[64];
    std::snprintf(status, sizeof status, "KB %-5.5s     %5u%6u%c", info.name.c_str(), info.radio_khz % 100000,
                  info.baud % 1000000, info.program_running ? 'R' : 'C');
    std::memcpy(text, status, kStatusTextSize + 1);
  }
  if (baud) *baud = static_cast<int>(info.baud);
  return 1;
}

int B_SetBaseName(int port, int baud, const char* name, int reserved1, int reserved2) {
  kestrel::TraceCall("B_SetBaseName")
      .Number(port)
      .Number(baud)
      .Text(name)
      .Number(reserved1)
      .Number(reserved2);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  CallSession session(state, port, SpeedsFrom(baud));
  kestrel::Writer payload;
  payload.Text(Text(name));
  return session.Ok() && session.Request(kestrel::kSetName, payload.Out()) ? 1 : 0;
}

int B_SetBaseRadio(int port, int baud, int reserved1, int khz, int reserved2) {
  kestrel::TraceCall("B_SetBaseRadio")
      .Number(port)
      .Number(baud)
      .Number(reserved1)
      .Number(khz)
      .Number(reserved2);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  CallSession session(state, port, SpeedsFrom(baud));
  kestrel::Writer payload;
  payload.I32(khz);
  return session.Ok() && session.Request(kestrel::kSetRadio, payload.Out()) ? 1 : 0;
}

int B_PutBaseUpload(int port, int baud) {
  kestrel::TraceCall("B_PutBaseUpload").Number(port).Number(baud);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  CallSession session(state, port, SpeedsFrom(baud));
  return session.Ok() && session.Request(kestrel::kPutUpload, "") ? 1 : 0;
}

int B_ClearBaseProgram(int port, int baud) {
  kestrel::TraceCall("B_ClearBaseProgram").Number(port).Number(baud);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  // Only at the speed asked for: the tool clears at each speed in turn and a base listens at one.
  CallSession session(state, port, {baud});
  return session.Ok() && session.Request(kestrel::kClearProgram, "") ? 1 : 0;
}

int B_Rs232UploadProgram(const char* path, int port) {
  kestrel::TraceCall("B_Rs232UploadProgram").Text(path).Number(port);
  std::string image;
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!path || !tabulo::ReadWholeFile(path, image)) {
    LastError() = std::string("cannot read the firmware file ") + (path ? path : "");
    return 0;
  }
  std::string name = path;
  size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  return FirmwareTransfer(port, kBootLoaderSpeed, kestrel::kRouteSerial, name, image);
}

int ChangeBaseNameAntenaFast(int port, const char* command) {
  kestrel::TraceCall("ChangeBaseNameAntenaFast").Number(port).Text(command);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  CallSession session(state, port, {kBootLoaderSpeed});
  kestrel::Writer payload;
  payload.Text(Text(command));
  return session.Ok() && session.Request(kestrel::kDownload, payload.Out()) ? 1 : 0;
}

int Send_Message_Without_Confirmation_devkit(int port, const char* name, const char* data, int length,
                                             int mode, int wait) {
  kestrel::TraceCall("Send_Message_Without_Confirmation_devkit")
      .Number(port)
      .Text(name)
      .Bytes(data, data ? length : 0)
      .Number(length)
      .Number(mode)
      .Number(wait);
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!data || length < 0) {
    LastError() = "no message to send";
    return 0;
  }
  auto open = state.io_ports.find(port);
  int speed = open != state.io_ports.end() ? open->second->Baud() : kProgramSpeeds[0];
  return FirmwareTransfer(port, speed, kestrel::kRouteRadio, Text(name),
                          std::string(data, static_cast<size_t>(length)));
}

const char* kestrel_last_error(void) {
  return LastError().c_str();  // the calling thread's, valid until its next call
}

void kestrel_set_progress(int (*callback)(void* context, long long done, long long total), void* context) {
  Hook() = ProgressHook{callback, context};
}

void kestrel_wire_bytes(long long* written, long long* read) {
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  long long w = state.written_by_closed, r = state.read_by_closed;
  for (const auto& [path, device] : state.devices) {
    if (std::shared_ptr<SerialPort> port = device.lock()) {
      w += port->bytes_written;
      r += port->bytes_read;
    }
  }
  if (written) *written = w;
  if (read) *read = r;
}

void kestrel_set_port_address(int port, const char* address) {
  kestrel::SetPortAddress(port, address ? address : "");
}

}  // extern "C"
