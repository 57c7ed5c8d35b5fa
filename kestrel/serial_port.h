#pragma once
// A serial line opened raw at a given speed, and the mapping from the port numbers the programs use to
// addresses. A line is a local device, or a base station's serial port behind a serial-to-network
// converter: "tcp://HOST:PORT" (the bytes as they are; the converter's line runs at the speed it was set
// to) or "rfc2217://HOST:PORT" (telnet with the COM port option: the speed is set on the remote line).

#include <chrono>
#include <memory>
#include <string>

namespace kestrel {

namespace telnet {
class Reader;
}

// Address of port N (as SetPortAddress mapped it, else a device path, tcp://HOST:PORT or
// rfc2217://HOST:PORT): $KESTREL_PORT_N, else the line "N=ADDRESS" in ~/.config/kestrel/ports.conf
// ($XDG_CONFIG_HOME when set), else /dev/ttyS<N-1>. Empty for a port number below 1.
std::string DevicePathOfPort(int port);
// Maps port `port` (0 included: a port text that is an address is port 0) to `address` for this process,
// before $KESTREL_PORT_N and ports.conf; an empty address removes the mapping.
void SetPortAddress(int port, const std::string& address);

// True for "tcp://..." and "rfc2217://..." addresses.
bool IsNetworkAddress(const std::string& address);

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

  // Opens `path` (a device or a network address) raw at `baud`, for this process only: the device's lock file
  // (shared by all our programs, so that a second one can name the first) and the terminal's exclusive mode.
  // Nothing (with the reason in `failure`) when it cannot.
  static std::unique_ptr<SerialPort> Open(const std::string& path, int baud, OpenFailure& failure);
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // On a network line: the speed the timing counts with, and with RFC 2217 the remote line's speed, set
  // there and confirmed.
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
  // The time a byte takes to reach the line and its answer to come back, beyond the line's own time:
  // zero for a local device, the measured round trip of the network for a converter.
  Clock::duration RoundTrip() const { return round_trip_; }
  // Why the last write or read failed ("" when none did).
  const std::string& IoError() const { return io_error_; }
  int Baud() const { return baud_; }

  long long bytes_written = 0;
  long long bytes_read = 0;

 private:
  enum class Transport { kDevice, kTcp, kRfc2217 };
  SerialPort(int fd, int lock_fd, std::string path, int baud, Transport transport = Transport::kDevice);
  // Takes the lock of `device` (a path or an address) for this process: its descriptor, -1 when another
  // process holds it (`failure` names it), -2 when no lock file can be made.
  static int TakeLock(const std::string& device, OpenFailure& failure);
  static std::unique_ptr<SerialPort> OpenNetwork(const std::string& address, int baud, OpenFailure& failure);
  // Raw socket I/O of a network line; false (with io_error_) when the connection is gone.
  bool SendRaw(const std::string& bytes);
  bool ReceiveRaw(std::string& into, int timeout_ms);
  bool SetNetworkSpeed(int baud);
  int fd_;
  int lock_fd_;
  std::string path_;
  int baud_;
  Transport transport_;
  std::string pending_;
  Clock::time_point line_free_at_ = Clock::now();
  Clock::duration round_trip_{};
  std::string io_error_;
  std::unique_ptr<telnet::Reader> telnet_;  // RFC 2217 only
};

}  // namespace kestrel
