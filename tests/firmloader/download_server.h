#pragma once
// A download server on 127.0.0.1 for the firmware tool's tests.

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tabulo::test {

// A firmware folder on a port of its own, serving `files` under "/fw/"; a missing file answers 404.
class DownloadServer {
 public:
  DownloadServer() {
    server_.Get(R"(/fw/(.*))", [this](const httplib::Request& request, httplib::Response& response) {
      std::string name = request.matches[1];
      std::unique_lock<std::mutex> lock(mutex_);
      requests_.push_back(name);
      if (hang_) released_.wait_for(lock, std::chrono::seconds(10), [this] { return !hang_; });
      auto file = files_.find(name);
      if (file == files_.end()) {
        response.status = 404;
        response.set_content("no such file", "text/plain");
        return;
      }
      response.set_content(file->second, "application/octet-stream");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() does nothing to a server that has not started listening yet, and the join would then wait.
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~DownloadServer() {
    Release();
    server_.stop();
    thread_.join();
  }

  std::string Folder() const { return "http://127.0.0.1:" + std::to_string(port_) + "/fw"; }
  void Put(const std::string& name, const std::string& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_[name] = bytes;
  }
  void Hang() { hang_ = true; }
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
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable released_;
  std::map<std::string, std::string> files_;
  std::vector<std::string> requests_;
  bool hang_ = false;
};

}  // namespace tabulo::test
