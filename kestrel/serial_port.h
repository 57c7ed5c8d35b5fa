#pragma once
// A serial device opened raw with termios at a given speed, and the mapping from the port numbers the
// programs use to device paths.

#include <chrono>
#include <memory>
#include <string>

namespace kestrel {

// Device of port N: $KESTREL_PORT_N, else the line "N=/dev/..." in ~/.config/kestrel/ports.conf
// ($XDG_CONFIG_HOME when set), else /dev/ttyS<N-1>. Empty for a port number below 1.
std::string DevicePathOfPort(int port);

// The termios speed constant of a baud rate; 0 when the rate is not one a serial line offers.
unsigned SpeedConstant(int baud);

// Why a device could not be opened. `in_use`: another program holds it (the lock all our programs take on a
// device, or the device's exclusive mode); `holder` is that program's process id when known (0 when not).
struct OpenFailure {
  std::string reason;
  bool in_use = false;
  long holder = 0;
};

class SerialPort {
 public:
  using Clock = std::chrono::steady_clock;

  // Opens `path` raw at `baud`, for this process only: the device's lock file (shared by all our programs,
  // so that a second one can name the first) and the terminal's exclusive mode. Nothing (with the reason in
  // `failure`) when it cannot.
  static std::unique_ptr<SerialPort> Open(const std::string& path, int baud, OpenFailure& failure);
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  bool SetSpeed(int baud);
  // Hands `bytes` to the line. When they will have left it is LineFreeAt(): after `tcdrain`, and never
  // before the time the line needs for them at its speed (a pseudo-terminal or a converter drains at once,
  // a real line does not).
  bool WriteAll(const std::string& bytes);
  // When the last byte written has left (or will have left) the line.
  Clock::time_point LineFreeAt() const { return line_free_at_; }
  // The time `bytes` take on the line at its speed.
  Clock::duration LineTime(size_t bytes) const;
  // Appends what arrives within `timeout_ms` (returning at the first bytes); false on a read error.
  bool ReadSome(std::string& into, int timeout_ms);
  // Bytes read but not yet taken (raw reads and frame reads share them).
  std::string& Pending() { return pending_; }
  const std::string& Path() const { return path_; }
  int Baud() const { return baud_; }

  long long bytes_written = 0;
  long long bytes_read = 0;

 private:
  SerialPort(int fd, int lock_fd, std::string path, int baud)
      : fd_(fd), lock_fd_(lock_fd), path_(std::move(path)), baud_(baud) {}
  int fd_;
  int lock_fd_;
  std::string path_;
  int baud_;
  std::string pending_;
  Clock::time_point line_free_at_ = Clock::now();
};

}  // namespace kestrel
