#include "designer/link/transfer_estimate.h"

#include <cmath>

namespace tabulo {

void TransferEstimate::Update(long long done, long long total, Clock::time_point now) {
  if (!started_) {
    started_ = true;
    start_ = now;
    first_done_ = done;
  }
  done_ = done;
  total_ = total;
  double elapsed = std::chrono::duration<double>(now - start_).count();
  long long moved = done - first_done_;
  // Less than half a second or nothing moved yet says nothing about the line's pace.
  seconds_left_ = elapsed >= 0.5 && moved > 0 ? static_cast<double>(total - done) * elapsed / moved : -1;
}

std::string TransferEstimate::Text() const {
  std::string text = std::to_string(done_) + " of " + std::to_string(total_) + " bytes";
  if (done_ >= total_) return text;
  if (seconds_left_ < 0) return text + ", time left not known yet";
  long seconds = std::lround(std::ceil(seconds_left_));
  if (seconds >= 60)
    return text + ", about " + std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) +
           " s left";
  return text + ", about " + std::to_string(seconds) + " s left";
}

int TransferEstimate::Percent() const {
  return total_ > 0 ? static_cast<int>(done_ * 100 / total_) : 0;
}

}  // namespace tabulo
