#include "kestrel/client.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "base/environment.h"

namespace kestrel {
namespace {

constexpr size_t kShortAnswer = 64;  // bytes: every answer but an order of many lines fits
constexpr int kQuietMs = 50;         // a frame begun that gets no byte for this long will not complete

int EnvironmentNumber(const char* name, int fallback, int low, int high) {
  std::optional<std::string> text = tabulo::EnvironmentValue(name);
  if (!text) return fallback;
  char* end = nullptr;
  long value = std::strtol(text->c_str(), &end, 10);
  if (*end != '\0' || value < low || value > high) return fallback;
  return static_cast<int>(value);
}

// A fresh start per session, so that a new process is never taken for a repetition of the last one.
uint8_t FirstSequence() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint8_t>((now.tv_nsec >> 10) ^ ::getpid());
}

const char* StatusText(uint8_t status) {
  switch (status) {
    case kRefused:
      return "the base station refused the request in its present state";
    case kIncomplete:
      return "the base station received the transfer incomplete and stored nothing";
    case kBadRequest:
      return "the base station did not understand the request";
    default:
      return "the base station reported an error";
  }
}

}  // namespace

LinkTiming TimingFromEnvironment() {
  LinkTiming timing;
  timing.reply_timeout_ms = EnvironmentNumber("KESTREL_TIMEOUT_MS", timing.reply_timeout_ms, 10, 60000);
  timing.attempts = EnvironmentNumber("KESTREL_ATTEMPTS", timing.attempts, 1, 100);
  return timing;
}

Client::Client(SerialPort& port, LinkTiming timing)
    : port_(port), timing_(timing), sequence_(FirstSequence()) {}

bool Client::AwaitReply(uint8_t sequence, Frame& reply, const std::function<bool()>& keep_going) {
  using Clock = SerialPort::Clock;
  const auto margin = std::chrono::milliseconds(timing_.reply_timeout_ms);
  // No answer can start before the request has left the line; a short one then needs its own time on it.
  // A longer one (an order of many lines) keeps the wait going while its bytes come; the longest frame
  // bounds that, so that noise cannot hold the call forever.
  // Behind a converter the request reaches the line and the answer comes back over the network as well.
  auto deadline = port_.LineFreeAt() + port_.RoundTrip() + margin + port_.LineTime(kShortAnswer);
  const auto latest = deadline + margin + port_.LineTime(kHeaderSize + kMaxPayload + kTrailerSize);
  FrameParser parser;
  for (;;) {
    std::string& pending = port_.Pending();
    if (!pending.empty()) {
      parser.Feed(pending);
      pending.clear();
    }
    while (auto event = parser.Next()) {
      if (event->is_frame && event->frame.type == kReply && event->frame.sequence == sequence) {
        reply = std::move(event->frame);
        port_.Pending() = std::string();  // whatever follows belongs to no request of ours
        return true;
      }
    }
    if (keep_going && !keep_going()) {
      failure_ = Failure::kCancelled;
      error_ = "cancelled";
      return false;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    size_t before = pending.size();
    // Short slices, so that a frame whose damaged length promises bytes that never come is given up and
    // the bytes behind its start are scanned again within the same wait.
    if (!port_.ReadSome(pending, static_cast<int>(left < kQuietMs ? left : kQuietMs))) {
      failure_ = Failure::kIo;
      error_ = port_.IoError().empty() ? "read error on " + port_.Path() : port_.IoError();
      return false;
    }
    if (pending.size() > before) {
      deadline = std::min(latest, std::max(deadline, Clock::now() + margin));
    } else if (parser.HasPartial()) {
      parser.GiveUpPartial();
    }
  }
}

bool Client::Exchange(uint8_t type, const std::string& payload, std::string& answer, int attempts,
                      const std::function<bool()>& keep_going) {
  error_.clear();
  failure_ = Failure::kNone;
  Frame request{type, ++sequence_, payload};
  std::string wire = EncodeFrame(request);
  // Answers to earlier, repeated requests may still be on their way: they are not ours.
  port_.Pending().clear();
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (!port_.WriteAll(wire)) {
      failure_ = Failure::kIo;
      error_ = port_.IoError().empty() ? "cannot write to " + port_.Path() : port_.IoError();
      return false;
    }
    Frame reply;
    if (!AwaitReply(request.sequence, reply, keep_going)) {
      if (failure_ == Failure::kIo || failure_ == Failure::kCancelled) return false;
      continue;
    }
    if (reply.payload.empty()) {
      failure_ = Failure::kStatus;
      error_ = "empty answer from the base station";
      return false;
    }
    last_status_ = static_cast<uint8_t>(reply.payload[0]);
    if (last_status_ != kOk) {
      failure_ = Failure::kStatus;
      error_ = StatusText(last_status_);
      return false;
    }
    answer = reply.payload.substr(1);
    return true;
  }
  failure_ = Failure::kNoAnswer;
  error_ = "no answer from the base station on " + port_.Path() + " after " + std::to_string(attempts) +
           (attempts == 1 ? " try" : " tries");
  return false;
}

bool Client::Request(uint8_t type, const std::string& payload, std::string& answer) {
  return Exchange(type, payload, answer, timing_.attempts, {});
}

bool Client::Hello(BaseInfo& info, int attempts) {
  std::string answer;
  if (!Exchange(kHello, "", answer, attempts > 0 ? attempts : timing_.attempts, {})) return false;
  if (!DecodeBaseInfo(answer, info)) {
    error_ = "unexpected answer from the base station";
    return false;
  }
  return true;
}

TransferVerdict Client::Transfer(uint8_t begin_type, const std::string& begin_payload, uint8_t data_type,
                                 uint8_t end_type, const std::string& bytes,
                                 const TransferProgress& progress) {
  using Clock = SerialPort::Clock;
  const uint64_t total = bytes.size();
  uint64_t confirmed = 0;  // bytes of chunks the base has acknowledged
  size_t chunk = 0;        // data bytes of the chunk on its way
  size_t frame = 0;        // its bytes on the line
  auto last_told = Clock::time_point();
  auto tell = [&](uint64_t done) { return !progress || progress(done, total); };
  // While a chunk is on its way: its share that has left the line by now, told a few times a second.
  std::function<bool()> keep_going = [&]() {
    if (!progress) return true;
    auto now = Clock::now();
    if (now - last_told < std::chrono::milliseconds(100)) return true;
    last_told = now;
    auto on_line = port_.LineTime(frame);
    auto started = port_.LineFreeAt() - on_line;
    double share = on_line.count() > 0 ? std::chrono::duration<double>(now - started) / on_line : 1.0;
    share = std::clamp(share, 0.0, 1.0);
    return tell(confirmed + static_cast<uint64_t>(static_cast<double>(chunk) * share));
  };
  auto stopped = [&]() {
    if (failure_ != Failure::kCancelled) return TransferVerdict::kNotStored;
    error_ = "cancelled before the end of the transfer; the base station keeps what it had";
    return TransferVerdict::kCancelled;
  };

  std::string answer;
  if (!tell(0)) {
    failure_ = Failure::kCancelled;
    return stopped();
  }
  if (!Exchange(begin_type, begin_payload, answer, timing_.attempts, keep_going)) return stopped();
  for (size_t offset = 0; offset < bytes.size(); offset += kChunkSize) {
    Writer data;
    data.U32(static_cast<uint32_t>(offset)).Bytes(std::string_view(bytes).substr(offset, kChunkSize));
    chunk = std::min(kChunkSize, bytes.size() - offset);
    frame = kHeaderSize + data.Out().size() + kTrailerSize;
    if (!Exchange(data_type, data.Out(), answer, timing_.attempts, keep_going)) return stopped();
    confirmed += chunk;
    if (!tell(confirmed)) {
      failure_ = Failure::kCancelled;
      return stopped();
    }
  }
  if (Exchange(end_type, "", answer, timing_.attempts, {})) return TransferVerdict::kStored;
  if (failure_ == Failure::kStatus) return TransferVerdict::kNotStored;

  // The end was sent but its answer never came: the base may have stored the whole or never seen the end.
  // It says what it holds; the same bytes stored count as stored, since they are what the base now has.
  std::string end_error = error_;
  std::string held;
  StoredTransfer stored;
  if (!Exchange(kLastStored, "", held, timing_.attempts, {}) || !DecodeStoredTransfer(held, stored)) {
    error_ = "the base station stopped answering once the whole transfer was sent (" + end_error +
             "), so whether it stored it is not known";
    return TransferVerdict::kUnknown;
  }
  if (stored == StoredTransfer{begin_type, static_cast<uint32_t>(total), Crc32(bytes)}) {
    error_.clear();
    return TransferVerdict::kStored;
  }
  error_ = "the base station did not store the transfer (its answer to the end was lost; it holds another)";
  return TransferVerdict::kNotStored;
}

}  // namespace kestrel
