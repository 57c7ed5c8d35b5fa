#pragma once
// The one HTTP client of the programs (translation services, firmware downloads): libcurl, bounded in time
// (connect, stall and total timeouts), bounded in size (a reply cap), redirected only to http and https (a
// server can never hand over a local file), cancellable from another thread, and calling back between short
// polls so that a window can keep answering. It reports what arrived and what the server said about it;
// whether that is good enough is the caller's rule. The defaults suit a short request and its answer; a
// download sets its own limits.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tabulo {

struct HttpOptions {
  std::chrono::milliseconds connect_timeout{5000};
  std::chrono::milliseconds total_timeout{20000};
  // A transfer that receives nothing for this long ends even before the total timeout; 0: only the total.
  std::chrono::milliseconds stall_timeout{0};
  size_t max_reply_bytes = size_t{1} << 20;
  std::string user_agent = "tabulo";
  const std::atomic<bool>* cancel = nullptr;  // set by another thread: the request ends at once
  // Called about every 100 ms while a transfer runs.
  std::function<void()> while_waiting;
};

struct HttpReply {
  enum class Outcome {
    kOk,            // an answer came whole, whatever its status
    kNoConnection,  // the host could not be resolved or reached, or the connection broke
    kTimeout,       // no whole answer within the total or the stall timeout
    kTooLarge,      // the answer went beyond the reply cap
    kCancelled,
    kFailed,  // anything else on the way (bad address, TLS, a body cut short against its length)
  };
  Outcome outcome = Outcome::kFailed;
  long status = 0;              // of the last answer, after redirects
  std::string body;             // what arrived (on a failure, what arrived before it)
  std::string content_type;     // "" when the server did not say
  int64_t content_length = -1;  // -1 when the server did not say
  std::string error;            // what went wrong, in words; "" when kOk
  bool ok() const { return outcome == Outcome::kOk; }
};

struct HttpField {
  std::string name;
  std::string value;
};

// Every byte but the unreserved ones percent-encoded.
std::string PercentEncode(const std::string& text);
// `base` + "?" + the fields, each percent-encoded.
std::string UrlWithQuery(const std::string& base, const std::vector<HttpField>& fields);
// `base` without its trailing "/" + `path`.
std::string JoinUrl(const std::string& base, const std::string& path);

HttpReply HttpGet(const std::string& url, const HttpOptions& options);
HttpReply HttpPost(const std::string& url, const std::string& body, const std::string& content_type,
                   const HttpOptions& options);

}  // namespace tabulo
