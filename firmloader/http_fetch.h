#pragma once
// The one HTTP client of the programs: a GET through libcurl with connect, stall and total timeouts, a cap on
// the reply's size, http and https only (also for redirects, so a server can never hand over a local file),
// and a callback between short polls so that a window keeps answering. It reports what arrived and what the
// server said about it; whether that is good enough is the caller's rule.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tabulo {

struct HttpOptions {
  std::chrono::milliseconds connect_timeout{10000};
  std::chrono::milliseconds total_timeout{120000};
  // A transfer that receives nothing for this long ends even before the total timeout.
  std::chrono::milliseconds stall_timeout{30000};
  // Firmware images are a few hundred kilobytes; anything far beyond is not one of them.
  size_t max_bytes = 64u << 20;
  // Called about every 100 ms while a transfer runs, so that a window keeps answering.
  std::function<void()> while_waiting;
};

struct HttpReply {
  // The transfer ended as the protocol says it should (a body cut short against its announced length, a
  // timeout, a refused address or a reply beyond the cap all leave it false).
  bool transferred = false;
  long status = 0;  // of the last answer, after redirects
  std::string bytes;
  std::string content_type;     // "" when the server did not say
  int64_t content_length = -1;  // -1 when the server did not say
  std::string error;            // why the transfer failed
};

HttpReply HttpGet(const std::string& address, const HttpOptions& options);

}  // namespace tabulo
