#pragma once
// How far a transfer has come, in the words the send dialog, `tabulo send` and `tabulo firmware` show:
// "12000 of 83000 bytes, about 20 s left". The time left follows the rate seen since the transfer started.

#include <chrono>
#include <string>

namespace tabulo {

class TransferEstimate {
 public:
  using Clock = std::chrono::steady_clock;

  // The first report starts the clock.
  void Update(long long done, long long total, Clock::time_point now = Clock::now());
  std::string Text() const;
  int Percent() const;
  long long Done() const { return done_; }
  long long Total() const { return total_; }

 private:
  bool started_ = false;
  Clock::time_point start_;
  long long first_done_ = 0;
  long long done_ = 0;
  long long total_ = 0;
  double seconds_left_ = -1;  // below 0: not known yet
};

}  // namespace tabulo
