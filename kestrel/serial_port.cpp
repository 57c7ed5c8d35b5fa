#include "kestrel/serial_port.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>

#include "base/environment.h"
#include "kestrel/telnet.h"

namespace kestrel {
namespace {

std::string PortsConfigPath() {
  if (auto config = tabulo::EnvironmentValue("XDG_CONFIG_HOME")) return *config + "/kestrel/ports.conf";
  if (auto home = tabulo::EnvironmentValue("HOME")) return *home + "/.config/kestrel/ports.conf";
  return "";
}

std::string Trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// The lock file of a device, the same for every program and user on this machine: in /run/lock where we
// may write, else in /tmp. Named after the device's real path, so that two names of one device (a symbolic
// link and its target) share it.
std::string LockFileOf(const std::string& device) {
  char real[PATH_MAX];
  std::string name = ::realpath(device.c_str(), real) ? std::string(real) : device;
  std::replace(name.begin(), name.end(), '/', '.');
  std::string folder = ::access("/run/lock", W_OK) == 0 ? "/run/lock" : "/tmp";
  return folder + "/kestrel" + name + ".lock";
}

}  // namespace

std::mutex& PortAddressesLock() {
  static std::mutex lock;
  return lock;
}
std::map<int, std::string>& PortAddresses() {
  static std::map<int, std::string> addresses;
  return addresses;
}

void SetPortAddress(int port, const std::string& address) {
  std::lock_guard<std::mutex> hold(PortAddressesLock());
  if (address.empty()) {
    PortAddresses().erase(port);
  } else {
    PortAddresses()[port] = address;
  }
}

std::string DevicePathOfPort(int port) {
  {
    std::lock_guard<std::mutex> hold(PortAddressesLock());
    auto mapped = PortAddresses().find(port);
    if (mapped != PortAddresses().end()) return mapped->second;
  }
  if (port < 1) return "";
  std::string variable = "KESTREL_PORT_" + std::to_string(port);
  if (auto from_environment = tabulo::EnvironmentValue(variable.c_str())) return *from_environment;
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

// Takes the device's lock for this process: its descriptor (the lock is held while it is open, and the
// kernel lets it go when the process ends however it ends), -1 when another process holds it (`failure`
// names it), -2 when no lock file can be made (then the exclusive mode alone guards the device).
int SerialPort::TakeLock(const std::string& device, OpenFailure& failure) {
  std::string file = LockFileOf(device);
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd >= 0) {
    ::fchmod(fd, 0666);  // another user's program must be able to name itself in it too
  } else {
    fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (fd < 0) return -2;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    char text[32] = {};
    ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    failure.in_use = true;
    failure.holder = n > 0 ? std::strtol(text, nullptr, 10) : 0;
    failure.reason = failure.holder > 0 ? "in use by process " + std::to_string(failure.holder)
                                        : std::string("in use by another program");
    ::close(fd);
    return -1;
  }
  std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
    // Only the other program's message loses our process id; the lock itself holds.
  }
  return fd;
}

std::unique_ptr<SerialPort> SerialPort::Open(const std::string& path, int baud, OpenFailure& failure) {
  if (path.empty()) {
    failure.reason = "no serial device for this port number";
    return nullptr;
  }
  if (SpeedConstant(baud) == 0) {
    failure.reason = "unsupported baud rate " + std::to_string(baud);
    return nullptr;
  }
  if (IsNetworkAddress(path)) return OpenNetwork(path, baud, failure);
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    int why = errno;
    if (why == EBUSY) {
      // Held in exclusive mode: by one of ours when its lock is taken, and then it can be named.
      failure.in_use = true;
      failure.reason = "in use by another program";
      int lock = TakeLock(path, failure);
      if (lock >= 0) ::close(lock);
    } else {
      failure.reason = "cannot open " + path + ": " + std::strerror(why);
    }
    return nullptr;
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    failure.reason = path + " is not a serial device: " + std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  int lock = TakeLock(path, failure);
  if (lock == -1) {
    ::close(fd);
    return nullptr;
  }
  // Programs that are not ours cannot open it while we have it.
  ::ioctl(fd, TIOCEXCL);
  std::unique_ptr<SerialPort> port(new SerialPort(fd, lock, path, baud));
  if (!port->SetSpeed(baud)) {
    failure.reason = "cannot configure " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  ::tcflush(fd, TCIOFLUSH);
  return port;
}

SerialPort::SerialPort(int fd, int lock_fd, std::string path, int baud, Transport transport)
    : fd_(fd), lock_fd_(lock_fd), path_(std::move(path)), baud_(baud), transport_(transport) {}

SerialPort::~SerialPort() {
  if (transport_ != Transport::kDevice) {
    ::close(fd_);
    if (lock_fd_ >= 0) ::close(lock_fd_);
    return;
  }
  // The exclusive mode belongs to the open device, which another holder (the simulator keeps its own side
  // open) may keep alive after us.
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  if (lock_fd_ >= 0) ::close(lock_fd_);
}

SerialPort::Clock::duration SerialPort::LineTime(size_t bytes) const {
  return std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(static_cast<double>(bytes) * 10.0 / (baud_ > 0 ? baud_ : 1)));
}

bool SerialPort::SetSpeed(int baud) {
  if (transport_ != Transport::kDevice) return SetNetworkSpeed(baud);
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
  // The bytes follow whatever is still on its way out; the line carries them at its speed.
  line_free_at_ = std::max(Clock::now(), line_free_at_) + LineTime(bytes.size());
  if (transport_ != Transport::kDevice) {
    // The converter passes them on at once and its line carries them at its speed.
    if (!SendRaw(transport_ == Transport::kRfc2217 ? telnet::Escaped(bytes) : bytes)) return false;
    bytes_written += static_cast<long long>(bytes.size());
    return true;
  }
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
      // The output buffer is full: it empties at the line's speed. A line that has not taken a byte a
      // second after it should have sent everything is stuck.
      auto give_up = line_free_at_ + std::chrono::seconds(1);
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(give_up - Clock::now()).count();
      pollfd out{fd_, POLLOUT, 0};
      if (left <= 0 || ::poll(&out, 1, static_cast<int>(left)) <= 0) return false;
      continue;
    }
    return false;
  }
  ::tcdrain(fd_);
  line_free_at_ = std::max(line_free_at_, Clock::now());
  return true;
}

bool SerialPort::ReadSome(std::string& into, int timeout_ms) {
  if (transport_ != Transport::kDevice) return ReceiveRaw(into, timeout_ms);
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
