#include "firmloader/http_fetch.h"

#include <curl/curl.h>

#include <mutex>
#include <utility>

namespace tabulo {
namespace {

struct Sink {
  std::string bytes;
  size_t limit = 0;
  bool over_limit = false;
};

size_t CollectBody(char* data, size_t size, size_t count, void* target) {
  auto* sink = static_cast<Sink*>(target);
  size_t length = size * count;
  // A short count makes the transfer fail, so a body beyond the limit never reaches a caller.
  if (sink->bytes.size() + length > sink->limit) {
    sink->over_limit = true;
    return 0;
  }
  sink->bytes.append(data, length);
  return length;
}

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// curl_easy_perform, with `while_waiting` called between short polls of the transfer.
CURLcode Perform(CURL* curl, const std::function<void()>& while_waiting) {
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

}  // namespace

HttpReply HttpGet(const std::string& address, const HttpOptions& options) {
  InitialiseCurlOnce();
  HttpReply reply;
  CURL* curl = curl_easy_init();
  if (!curl) {
    reply.error = "the transfer could not be started";
    return reply;
  }
  Sink sink;
  sink.limit = options.max_bytes;
  char error_text[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connect_timeout.count()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.total_timeout.count()));
  // Fewer than one byte a second for the stall time is a stall.
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  long stall_seconds = static_cast<long>((options.stall_timeout.count() + 999) / 1000);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stall_seconds > 0 ? stall_seconds : 1L);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.max_bytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  CURLcode code = Perform(curl, options.while_waiting);

  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
  char* type = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) reply.content_type = type;
  curl_off_t length = -1;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK) {
    reply.content_length = length;
  }
  curl_easy_cleanup(curl);

  if (sink.over_limit || code == CURLE_FILESIZE_EXCEEDED) {
    reply.error = "the answer is larger than " + std::to_string(options.max_bytes) + " bytes";
  } else if (code == CURLE_PARTIAL_FILE) {
    reply.error = "the connection closed after " + std::to_string(sink.bytes.size()) + " of " +
                  std::to_string(reply.content_length) + " bytes";
  } else if (code != CURLE_OK) {
    reply.error = error_text[0] ? error_text : curl_easy_strerror(code);
  } else {
    reply.transferred = true;
  }
  reply.bytes = std::move(sink.bytes);
  return reply;
}

}  // namespace tabulo
