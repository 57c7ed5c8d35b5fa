#pragma once
// A thread of its own for the calls of a link, so that a window stays answering while a transfer runs or a
// base that stopped answering is waited for. Jobs run one at a time, in the order posted.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tabulo {

class LinkWorker {
 public:
  LinkWorker();
  // Runs the jobs still queued, then ends the thread.
  ~LinkWorker();
  LinkWorker(const LinkWorker&) = delete;
  LinkWorker& operator=(const LinkWorker&) = delete;

  void Post(std::function<void()> job);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace tabulo
