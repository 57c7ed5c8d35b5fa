#pragma once
// A LibreTranslate-compatible translation server on 127.0.0.1 for the tests, whose answers and pace the
// test sets.

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/support/local_http_server.h"

namespace tabulo::test {

// A LibreTranslate-compatible server: answers "<TARGET>:<text>", records every request body, and does what
// the test sets up for special texts.
class FakeLibreTranslate {
 public:
  ~FakeLibreTranslate() { Release(); }

  std::string Base() const { return http_.Base(); }
  std::vector<nlohmann::json> Bodies() {
    std::lock_guard<std::mutex> lock(mutex_);
    return bodies_;
  }
  // Every request from now on waits for Release(); or only those after the next `answered` ones.
  void Hold(int answered = 0) {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_after_ = static_cast<int>(bodies_.size()) + answered;
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      hold_after_ = -1;
    }
    released_.notify_all();
  }

  // Text -> (status, body) answered instead of a translation.
  std::map<std::string, std::pair<int, std::string>> special;

 private:
  void Answer(const httplib::Request& request, httplib::Response& response) {
    nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    std::unique_lock<std::mutex> lock(mutex_);
    bodies_.push_back(body);
    const int number = static_cast<int>(bodies_.size());
    released_.wait_for(lock, std::chrono::seconds(20),
                       [&] { return hold_after_ < 0 || number <= hold_after_; });
    const std::string text = body.is_object() && body["q"].is_string() ? body["q"].get<std::string>() : "";
    if (auto found = special.find(text); found != special.end()) {
      response.status = found->second.first;
      response.set_content(found->second.second, "application/json");
      return;
    }
    response.set_content(
        nlohmann::json{{"translatedText", body["target"].get<std::string>() + ":" + text}}.dump(),
        "application/json");
  }

  std::mutex mutex_;
  std::condition_variable released_;
  int hold_after_ = -1;  // requests after this many wait; -1: none
  std::vector<nlohmann::json> bodies_;
  LocalHttpServer http_{[this](httplib::Server& server) {
    server.Post("/translate", [this](const httplib::Request& request, httplib::Response& response) {
      Answer(request, response);
    });
  }};
};

}  // namespace tabulo::test
