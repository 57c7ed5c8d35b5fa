#include "platform/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

namespace tabulo {
namespace {

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Sink {
  std::string body;
  size_t cap = 0;
  bool too_large = false;
};

size_t CollectBody(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  const size_t bytes = size * count;
  if (sink->body.size() + bytes > sink->cap) {
    sink->too_large = true;
    return 0;  // ends the transfer
  }
  sink->body.append(data, bytes);
  return bytes;
}

int CheckCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* cancel = static_cast<const std::atomic<bool>*>(user);
  return cancel && cancel->load() ? 1 : 0;
}

// curl_easy_perform, with `while_waiting` called between short polls of the transfer.
CURLcode Run(CURL* curl, const std::function<void()>& while_waiting) {
  if (!while_waiting) return curl_easy_perform(curl);
  CURLM* multi = curl_multi_init();
  if (!multi || curl_multi_add_handle(multi, curl) != CURLM_OK) {
    if (multi) curl_multi_cleanup(multi);
    return CURLE_FAILED_INIT;
  }
  CURLcode code = CURLE_FAILED_INIT;
  for (int running = 1; running;) {
    if (curl_multi_perform(multi, &running) != CURLM_OK) break;
    if (running) {
      curl_multi_poll(multi, nullptr, 0, 100, nullptr);
      while_waiting();
    }
  }
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
    if (message->msg == CURLMSG_DONE) code = message->data.result;
  }
  curl_multi_remove_handle(multi, curl);
  curl_multi_cleanup(multi);
  return code;
}

HttpReply Perform(const std::string& url, const std::string* post_body, const std::string& content_type,
                  const HttpOptions& options) {
  InitialiseCurlOnce();
  HttpReply reply;
  CURL* curl = curl_easy_init();
  if (!curl) {
    reply.error = "the HTTP client could not start";
    return reply;
  }
  Sink sink;
  sink.cap = options.max_reply_bytes;
  char error_text[CURL_ERROR_SIZE] = {};
  curl_slist* headers = nullptr;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, options.user_agent.c_str());
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connect_timeout.count()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.total_timeout.count()));
  if (options.stall_timeout.count() > 0) {
    // Fewer than one byte a second for the stall time is a stall.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                     std::max(1L, static_cast<long>((options.stall_timeout.count() + 999) / 1000)));
  }
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.max_reply_bytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckCancel);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, options.cancel);
  if (post_body) {
    headers = curl_slist_append(headers, ("Content-Type: " + content_type).c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, post_body->data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post_body->size()));
  }
  const CURLcode code = Run(curl, options.while_waiting);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
  char* type = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) reply.content_type = type;
  curl_off_t length = -1;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK) {
    reply.content_length = length;
  }
  curl_easy_cleanup(curl);
  curl_slist_free_all(headers);

  reply.error = error_text[0] ? error_text : curl_easy_strerror(code);
  if (sink.too_large || code == CURLE_FILESIZE_EXCEEDED) {
    reply.outcome = HttpReply::Outcome::kTooLarge;
    reply.error = "the answer is larger than " + std::to_string(options.max_reply_bytes) + " bytes";
  } else if (code == CURLE_PARTIAL_FILE) {
    reply.outcome = HttpReply::Outcome::kFailed;
    reply.error = "the connection closed after " + std::to_string(sink.body.size()) + " of " +
                  std::to_string(reply.content_length) + " bytes";
  } else if (code == CURLE_ABORTED_BY_CALLBACK) {
    reply.outcome = HttpReply::Outcome::kCancelled;
  } else if (code == CURLE_OPERATION_TIMEDOUT) {
    reply.outcome = HttpReply::Outcome::kTimeout;
  } else if (code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST ||
             code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_SEND_ERROR || code == CURLE_RECV_ERROR ||
             code == CURLE_GOT_NOTHING) {
    reply.outcome = HttpReply::Outcome::kNoConnection;
  } else if (code != CURLE_OK) {
    reply.outcome = HttpReply::Outcome::kFailed;
  } else {
    reply.outcome = HttpReply::Outcome::kOk;
    reply.error.clear();
  }
  reply.body = std::move(sink.body);
  return reply;
}

}  // namespace

std::string PercentEncode(const std::string& text) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size());
  for (unsigned char c : text) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      encoded.push_back(static_cast<char>(c));
    } else {
      encoded.push_back('%');
      encoded.push_back(kHex[c >> 4]);
      encoded.push_back(kHex[c & 15]);
    }
  }
  return encoded;
}

std::string UrlWithQuery(const std::string& base, const std::vector<HttpField>& fields) {
  std::string url = base;
  char separator = '?';
  for (const HttpField& field : fields) {
    url += separator + PercentEncode(field.name) + '=' + PercentEncode(field.value);
    separator = '&';
  }
  return url;
}

std::string JoinUrl(const std::string& base, const std::string& path) {
  std::string trimmed = base;
  while (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
  return trimmed + path;
}

HttpReply HttpGet(const std::string& url, const HttpOptions& options) {
  return Perform(url, nullptr, {}, options);
}

HttpReply HttpPost(const std::string& url, const std::string& body, const std::string& content_type,
                   const HttpOptions& options) {
  return Perform(url, &body, content_type, options);
}

}  // namespace tabulo
