#include "kestrel/trace.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <nlohmann/json.hpp>

#include "base/environment.h"
#include "base/text_codec.h"

namespace kestrel {
namespace {
std::mutex trace_mutex;
}

std::string JsonTextOf(std::string_view windows1252) {
  return nlohmann::json(tabulo::DecodeWindows1252(windows1252)).dump();
}

TraceCall::TraceCall(const char* function) {
  file_ = tabulo::EnvironmentValue("KESTREL_TRACE");
  // Appended rather than "[" + ...: g++ 12 at -O3 warns of an overlap in that insert that cannot happen
  // (its bug 105651).
  if (file_) line_.append("[").append(nlohmann::json(function).dump());
}

TraceCall::~TraceCall() {
  if (!file_) return;
  line_ += "]\n";
  std::lock_guard<std::mutex> lock(trace_mutex);
  if (FILE* file = std::fopen(file_->c_str(), "a")) {
    std::fwrite(line_.data(), 1, line_.size(), file);
    std::fclose(file);
  }
}

void TraceCall::Append(const std::string& json) {
  line_ += ", ";
  line_ += json;
}

TraceCall& TraceCall::Number(long long value) {
  if (file_) Append(std::to_string(value));
  return *this;
}

TraceCall& TraceCall::NumberAt(const int* value) {
  if (file_) Append(value ? std::to_string(*value) : "null");
  return *this;
}

TraceCall& TraceCall::Text(const char* text) {
  if (file_) Append(text ? JsonTextOf(text) : "null");
  return *this;
}

TraceCall& TraceCall::Bytes(const char* bytes, long long size) {
  if (file_) {
    Append(bytes ? JsonTextOf(std::string_view(bytes, size > 0 ? static_cast<size_t>(size) : 0)) : "null");
  }
  return *this;
}

TraceCall& TraceCall::TextWithin(const char* buffer, size_t capacity) {
  if (file_) {
    if (!buffer) {
      Append("null");
    } else {
      const void* zero = std::memchr(buffer, 0, capacity);
      size_t size = zero ? static_cast<size_t>(static_cast<const char*>(zero) - buffer) : capacity;
      Append(JsonTextOf(std::string_view(buffer, size)));
    }
  }
  return *this;
}

}  // namespace kestrel
