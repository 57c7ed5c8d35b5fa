#pragma once
// A download server on 127.0.0.1 for the firmware tool's tests, well behaved or not.

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/local_http_server.h"

namespace tabulo::test {

// How a file is served, besides well (with its length).
enum class Serve {
  kWhole,
  kWithoutLengthThenClose,      // no Content-Length; the file, then the connection closes
  kHalfWithoutLengthThenClose,  // no Content-Length; half the file, then the connection closes
  kHalfOfItsLength,             // the whole length announced, half the file sent, then closed
  kAsText,                      // the bytes, called text/plain
  kTrickle,                     // a byte every 20 ms, length announced
};

// A firmware folder serving the files it is given under "/fw/"; a missing file answers 404. Hang() holds
// every answer until Release().
class DownloadServer {
 public:
  ~DownloadServer() { Release(); }

  std::string Folder() const { return http_.Base() + "/fw"; }
  std::string Address(const std::string& path) const { return http_.Base() + path; }
  void Put(const std::string& name, const std::string& bytes, Serve how = Serve::kWhole) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_[name] = {bytes, how, ""};
  }
  // A captive portal's answer: 200 and a web page, for every file.
  void PortalPage(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    portal_ = on;
  }
  // A file that answers with a redirect to `location`.
  void Redirect(const std::string& name, const std::string& location) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_[name] = {"", Serve::kWhole, location};
  }
  void Remove(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_.erase(name);
  }
  void Hang() {
    std::lock_guard<std::mutex> lock(mutex_);
    hang_ = true;
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      hang_ = false;
    }
    released_.notify_all();
  }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  struct File {
    std::string bytes;
    Serve how = Serve::kWhole;
    std::string location;
  };

  void Answer(const httplib::Request& request, httplib::Response& response) {
    std::string name = request.matches[1];
    std::unique_lock<std::mutex> lock(mutex_);
    requests_.push_back(name);
    released_.wait_for(lock, std::chrono::seconds(10), [this] { return !hang_; });
    if (portal_) {
      response.set_content("<!DOCTYPE html><html><body>Please log in to the Wi-Fi</body></html>",
                           "text/html");
      return;
    }
    auto found = files_.find(name);
    if (found == files_.end()) {
      response.status = 404;
      response.set_content("no such file", "text/plain");
      return;
    }
    File file = found->second;
    if (!file.location.empty()) {
      response.set_redirect(file.location);
      return;
    }
    auto bytes = std::make_shared<std::string>(file.bytes);
    switch (file.how) {
      case Serve::kWhole:
        response.set_content(*bytes, "application/octet-stream");
        break;
      case Serve::kAsText:
        response.set_content(*bytes, "text/plain");
        break;
      case Serve::kWithoutLengthThenClose:
      case Serve::kHalfWithoutLengthThenClose: {
        size_t length = file.how == Serve::kWithoutLengthThenClose ? bytes->size() : bytes->size() / 2;
        response.set_content_provider("application/octet-stream",
                                      [bytes, length](size_t offset, httplib::DataSink& sink) {
                                        if (offset > 0) return false;  // the connection closes
                                        sink.write(bytes->data(), length);
                                        return true;
                                      });
        break;
      }
      case Serve::kHalfOfItsLength:
        response.set_content_provider(bytes->size(), "application/octet-stream",
                                      [bytes](size_t offset, size_t, httplib::DataSink& sink) {
                                        if (offset > 0) return false;
                                        sink.write(bytes->data(), bytes->size() / 2);
                                        return true;
                                      });
        break;
      case Serve::kTrickle:
        response.set_content_provider(bytes->size(), "application/octet-stream",
                                      [bytes](size_t offset, size_t, httplib::DataSink& sink) {
                                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                        return sink.write(bytes->data() + offset, 1);
                                      });
        break;
    }
  }

  std::mutex mutex_;
  std::condition_variable released_;
  std::map<std::string, File> files_;
  std::vector<std::string> requests_;
  bool hang_ = false;
  bool portal_ = false;
  LocalHttpServer http_{[this](httplib::Server& server) {
    server.Get(R"(/fw/(.*))", [this](const httplib::Request& request, httplib::Response& response) {
      Answer(request, response);
    });
  }};
};

}  // namespace tabulo::test
