#pragma once
// The HTTP requests of the translation services, in one place: bounded in time (a connect timeout and a
// total timeout), bounded in size (a reply cap), redirected only to http and https, and cancellable from
// another thread. Blocking: callers that must not block run it on a worker thread.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace tabulo {

struct HttpOptions {
  std::chrono::milliseconds connect_timeout{5000};
  std::chrono::milliseconds total_timeout{20000};
  size_t max_reply_bytes = size_t{1} << 20;  // a translation is a line of a menu; 1 MB is far beyond any
  std::string user_agent = "tabulo";
  const std::atomic<bool>* cancel = nullptr;  // set by another thread: the request ends at once
};

struct HttpReply {
  enum class Outcome {
    kOk,            // an answer came, whatever its status
    kNoConnection,  // the host could not be resolved or reached
    kTimeout,       // no whole answer within the total timeout
    kTooLarge,      // the answer went beyond the reply cap
    kCancelled,
    kFailed,  // anything else on the way (bad address, TLS, protocol)
  };
  Outcome outcome = Outcome::kFailed;
  long status = 0;    // the HTTP status when kOk
  std::string body;   // the answer when kOk
  std::string error;  // what went wrong otherwise
  bool ok() const { return outcome == Outcome::kOk; }
};

struct HttpField {
  std::string name;
  std::string value;
};

// `base` + "?" + the fields, each percent-encoded as UTF-8.
std::string UrlWithQuery(const std::string& base, const std::vector<HttpField>& fields);
// Every byte but the unreserved ones percent-encoded.
std::string PercentEncode(const std::string& text);
// `base` without its trailing "/" + `path`.
std::string JoinUrl(const std::string& base, const std::string& path);

HttpReply HttpGet(const std::string& url, const HttpOptions& options);
HttpReply HttpPost(const std::string& url, const std::string& body, const std::string& content_type,
                   const HttpOptions& options);

}  // namespace tabulo
