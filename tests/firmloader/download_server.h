#pragma once
// A download server on 127.0.0.1 for the firmware tool's tests.

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/local_http_server.h"

namespace tabulo::test {

// A firmware folder serving the files it is given under "/fw/"; a missing file answers 404. Hang() holds
// every answer until Release().
class DownloadServer {
 public:
  ~DownloadServer() { Release(); }

  std::string Folder() const { return http_.Base() + "/fw"; }
  void Put(const std::string& name, const std::string& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_[name] = bytes;
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
  void Answer(const httplib::Request& request, httplib::Response& response) {
    std::string name = request.matches[1];
    std::unique_lock<std::mutex> lock(mutex_);
    requests_.push_back(name);
    released_.wait_for(lock, std::chrono::seconds(10), [this] { return !hang_; });
    auto file = files_.find(name);
    if (file == files_.end()) {
      response.status = 404;
      response.set_content("no such file", "text/plain");
      return;
    }
    response.set_content(file->second, "application/octet-stream");
  }

  std::mutex mutex_;
  std::condition_variable released_;
  std::map<std::string, std::string> files_;
  std::vector<std::string> requests_;
  bool hang_ = false;
  LocalHttpServer http_{[this](httplib::Server& server) {
    server.Get(R"(/fw/(.*))", [this](const httplib::Request& request, httplib::Response& response) {
      Answer(request, response);
    });
  }};
};

}  // namespace tabulo::test
