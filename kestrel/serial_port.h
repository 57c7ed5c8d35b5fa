#pragma once
// A serial device opened raw with termios at a given speed, and the mapping from the port numbers the
// programs use to device paths.

#include <memory>
#include <string>

namespace kestrel {

// Device of port N: $KESTREL_PORT_N, else the line "N=/dev/..." in ~/.config/kestrel/ports.conf
// ($XDG_CONFIG_HOME when set), else /dev/ttyS<N-1>. Empty for a port number below 1.
std::string DevicePathOfPort(int port);

// The termios speed constant of a baud rate; 0 when the rate is not one a serial line offers.
unsigned SpeedConstant(int baud);

class SerialPort {
 public:
  // Opens `path` raw at `baud`; nothing (with the reason in `error`) when it cannot.
  static std::unique_ptr<SerialPort> Open(const std::string& path, int baud, std::string& error);
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  bool SetSpeed(int baud);
  bool WriteAll(const std::string& bytes);
  // Appends what arrives within `timeout_ms` (returning at the first bytes); false on a read error.
  bool ReadSome(std::string& into, int timeout_ms);
  // Bytes read but not yet taken (raw reads and frame reads share them).
  std::string& Pending() { return pending_; }
  const std::string& Path() const { return path_; }
  int Baud() const { return baud_; }

  long long bytes_written = 0;
  long long bytes_read = 0;

 private:
  SerialPort(int fd, std::string path, int baud) : fd_(fd), path_(std::move(path)), baud_(baud) {}
  int fd_;
  std::string path_;
  int baud_;
  std::string pending_;
};

}  // namespace kestrel
