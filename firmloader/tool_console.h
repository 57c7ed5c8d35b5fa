#pragma once
// What the firmware tool's core says and does besides asking questions: lines appended to the log and waits
// while the hardware works. The window appends to its log box and waits with its events flowing; tests
// record both and wait no time at all. Questions and messages go through UserPrompts.

#include <string>
#include <vector>

namespace tabulo {

class ToolConsole {
 public:
  virtual ~ToolConsole() = default;
  // One line of the log.
  virtual void AddLog(const std::string& text) = 0;
  // Returns after `ms` milliseconds, keeping the window responsive. A wait of kProgressFromMs or more shows
  // a progress bar with the time left: the user is waiting on a device and must not think the tool hangs.
  virtual void WaitMilliseconds(int ms) = 0;
};

inline constexpr int kProgressFromMs = 2000;

// "12 s left", rounded up, as a wait's progress bar says it.
inline std::string TimeLeftText(int ms_left) {
  return std::to_string((ms_left > 0 ? ms_left + 999 : 0) / 1000) + " s left";
}

// Keeps every log line and wait, and returns from waits at once.
class RecordingConsole : public ToolConsole {
 public:
  std::vector<std::string> log;
  std::vector<int> waits;

  void AddLog(const std::string& text) override { log.push_back(text); }
  void WaitMilliseconds(int ms) override { waits.push_back(ms); }
};

}  // namespace tabulo
