#pragma once
// KESTREL_TRACE=FILE: one JSON array per library call appended to FILE, in call order: the function's name,
// then its arguments as given (numbers as numbers, texts decoded from Windows-1252).

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class TraceCall {
 public:
  explicit TraceCall(const char* function);
  ~TraceCall();
  TraceCall(const TraceCall&) = delete;
  TraceCall& operator=(const TraceCall&) = delete;

  TraceCall& Number(long long value);
  TraceCall& NumberAt(const int* value);                       // a by-reference argument: its value, or null
  TraceCall& Text(const char* text);                           // zero-terminated; null stays null
  TraceCall& Bytes(const char* bytes, long long size);         // counted bytes (size below 0 counts as 0)
  TraceCall& TextWithin(const char* buffer, size_t capacity);  // up to the first zero within capacity

 private:
  void Append(const std::string& json);
  std::optional<std::string> file_;  // the trace file; nothing when calls are not traced
  std::string line_;
};

// The JSON string of Windows-1252 bytes.
std::string JsonTextOf(std::string_view windows1252);

}  // namespace kestrel
