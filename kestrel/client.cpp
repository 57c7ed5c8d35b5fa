#include "kestrel/client.h"

#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace kestrel {
namespace {

int EnvironmentNumber(const char* name, int fallback, int low, int high) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
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

bool Client::AwaitReply(uint8_t sequence, Frame& reply) {
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::milliseconds(timing_.reply_timeout_ms);
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
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    size_t before = pending.size();
    // Short slices, so that a frame whose damaged length promises bytes that never come is given up and
    // the bytes behind its start are scanned again within the same wait.
    if (!port_.ReadSome(pending, static_cast<int>(left < 50 ? left : 50))) {
      error_ = "read error on " + port_.Path();
      return false;
    }
    if (pending.size() == before && parser.HasPartial()) parser.GiveUpPartial();
  }
}

bool Client::Request(uint8_t type, const std::string& payload, std::string& answer) {
  error_.clear();
  Frame request{type, ++sequence_, payload};
  std::string wire = EncodeFrame(request);
  // Answers to earlier, repeated requests may still be on their way: they are not ours.
  port_.Pending().clear();
  for (int attempt = 0; attempt < timing_.attempts; ++attempt) {
    if (!port_.WriteAll(wire)) {
      error_ = "cannot write to " + port_.Path();
      return false;
    }
    Frame reply;
    if (!AwaitReply(request.sequence, reply)) {
      if (!error_.empty() && error_.rfind("read error", 0) == 0) return false;
      continue;
    }
    if (reply.payload.empty()) {
      error_ = "empty answer from the base station";
      return false;
    }
    last_status_ = static_cast<uint8_t>(reply.payload[0]);
    if (last_status_ != kOk) {
      error_ = StatusText(last_status_);
      return false;
    }
    answer = reply.payload.substr(1);
    return true;
  }
  error_ = "no answer from the base station on " + port_.Path() + " after " +
           std::to_string(timing_.attempts) + " tries";
  return false;
}

bool Client::Hello(BaseInfo& info) {
  std::string answer;
  if (!Request(kHello, "", answer)) return false;
  if (!DecodeBaseInfo(answer, info)) {
    error_ = "unexpected answer from the base station";
    return false;
  }
  return true;
}

bool Client::Transfer(uint8_t begin_type, const std::string& begin_payload, uint8_t data_type,
                      uint8_t end_type, const std::string& bytes) {
  std::string answer;
  if (!Request(begin_type, begin_payload, answer)) return false;
  for (size_t offset = 0; offset < bytes.size(); offset += kChunkSize) {
    Writer chunk;
    chunk.U32(static_cast<uint32_t>(offset)).Bytes(std::string_view(bytes).substr(offset, kChunkSize));
    if (!Request(data_type, chunk.Out(), answer)) return false;
  }
  return Request(end_type, "", answer);
}

}  // namespace kestrel
