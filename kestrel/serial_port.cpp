#include "kestrel/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace kestrel {
namespace {

std::string Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

std::string PortsConfigPath() {
  std::string config = Environment("XDG_CONFIG_HOME");
  if (config.empty()) {
    std::string home = Environment("HOME");
    if (home.empty()) return "";
    config = home + "/.config";
  }
  return config + "/kestrel/ports.conf";
}

std::string Trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string DevicePathOfPort(int port) {
  if (port < 1) return "";
  std::string from_environment = Environment("KESTREL_PORT_" + std::to_string(port));
  if (!from_environment.empty()) return from_environment;
  std::string config = PortsConfigPath();
  if (!config.empty()) {
    std::ifstream in(config);
    std::string line;
    while (std::getline(in, line)) {
      size_t equals = line.find('=');
      if (equals == std::string::npos) continue;
      if (Trimmed(line.substr(0, equals)) == std::to_string(port)) {
        std::string path = Trimmed(line.substr(equals + 1));
        if (!path.empty()) return path;
      }
    }
  }
  return "/dev/ttyS" + std::to_string(port - 1);
}

unsigned SpeedConstant(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    default:
      return 0;
  }
}

std::unique_ptr<SerialPort> SerialPort::Open(const std::string& path, int baud, std::string& error) {
  if (path.empty()) {
    error = "no serial device for this port number";
    return nullptr;
  }
  if (SpeedConstant(baud) == 0) {
    error = "unsupported baud rate " + std::to_string(baud);
    return nullptr;
  }
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    error = path + " is not a serial device: " + std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<SerialPort> port(new SerialPort(fd, path, baud));
  if (!port->SetSpeed(baud)) {
    error = "cannot configure " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  ::tcflush(fd, TCIOFLUSH);
  return port;
}

SerialPort::~SerialPort() {
  ::close(fd_);
}

bool SerialPort::SetSpeed(int baud) {
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~CRTSCTS;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  speed_t speed = SpeedConstant(baud);
  if (speed == 0 || ::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return false;
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
  baud_ = baud;
  return true;
}

bool SerialPort::WriteAll(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      bytes_written += n;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd out{fd_, POLLOUT, 0};
      if (::poll(&out, 1, 1000) <= 0) return false;  // the line does not drain: give up
      continue;
    }
    return false;
  }
  return true;
}

bool SerialPort::ReadSome(std::string& into, int timeout_ms) {
  pollfd in{fd_, POLLIN, 0};
  int ready = ::poll(&in, 1, timeout_ms < 0 ? 0 : timeout_ms);
  if (ready < 0) return errno == EINTR;
  if (ready == 0) return true;
  if (in.revents & POLLIN) {
    char buffer[8192];
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<size_t>(n));
      bytes_read += n;
      return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    return false;
  }
  // A pseudo-terminal whose other side went away reports a hang-up; a real line never does.
  if (in.revents & (POLLHUP | POLLERR | POLLNVAL)) {
    ::usleep(static_cast<useconds_t>(timeout_ms) * 1000);
    return true;
  }
  return true;
}

}  // namespace kestrel
