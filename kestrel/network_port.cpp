// The network side of SerialPort: a base station's serial port behind a serial-to-network converter.

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "kestrel/serial_port.h"
#include "kestrel/telnet.h"

namespace kestrel {
namespace {

constexpr int kConnectTimeoutMs = 5000;
// How long a converter may take to confirm a new line speed beyond the measured round trip.
constexpr int kSettingsTimeoutMs = 3000;

struct NetworkAddress {
  bool rfc2217 = false;
  std::string host;
  std::string service;
};

bool ParseNetworkAddress(const std::string& address, NetworkAddress& out) {
  std::string rest;
  if (address.rfind("tcp://", 0) == 0) {
    rest = address.substr(6);
  } else if (address.rfind("rfc2217://", 0) == 0) {
    rest = address.substr(10);
    out.rfc2217 = true;
  } else {
    return false;
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  size_t colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size()) return false;
  out.host = rest.substr(0, colon);
  out.service = rest.substr(colon + 1);
  if (out.service.find_first_not_of("0123456789") != std::string::npos) return false;
  // [::1]:4000
  if (out.host.size() > 2 && out.host.front() == '[' && out.host.back() == ']') {
    out.host = out.host.substr(1, out.host.size() - 2);
  }
  return true;
}

int Remaining(SerialPort::Clock::time_point until) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - SerialPort::Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// A connected socket to `address`, or -1 with the reason in `why`.
int Connect(const NetworkAddress& address, std::string& why) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int resolved = ::getaddrinfo(address.host.c_str(), address.service.c_str(), &hints, &found);
  if (resolved != 0) {
    why = "cannot find " + address.host + ": " + ::gai_strerror(resolved);
    return -1;
  }
  int fd = -1;
  for (addrinfo* candidate = found; candidate; candidate = candidate->ai_next) {
    fd = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                  candidate->ai_protocol);
    if (fd < 0) continue;
    int error = 0;
    if (::connect(fd, candidate->ai_addr, candidate->ai_addrlen) != 0) {
      error = errno;
      if (error == EINPROGRESS) {
        pollfd out{fd, POLLOUT, 0};
        int ready = ::poll(&out, 1, kConnectTimeoutMs);
        socklen_t size = sizeof error;
        if (ready <= 0) {
          error = ETIMEDOUT;
        } else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
          error = errno;
        }
      }
    }
    if (error == 0) break;
    why = "cannot connect to " + address.host + ":" + address.service + ": " + std::strerror(error);
    ::close(fd);
    fd = -1;
  }
  ::freeaddrinfo(found);
  if (fd >= 0) {
    // Frames are short and every one waits for its answer: none may sit in the sender's buffer.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
  return fd;
}

std::string BigEndian32(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}

}  // namespace

bool IsNetworkAddress(const std::string& address) {
  return address.rfind("tcp://", 0) == 0 || address.rfind("rfc2217://", 0) == 0;
}

std::unique_ptr<SerialPort> SerialPort::OpenNetwork(const std::string& address, int baud,
                                                    OpenFailure& failure) {
  NetworkAddress where;
  if (!ParseNetworkAddress(address, where)) {
    failure.reason = "not a network address of the form tcp://HOST:PORT or rfc2217://HOST:PORT: " + address;
    return nullptr;
  }
  // One program per port on this machine, as for a device; the converter itself decides about others.
  int lock = TakeLock(address, failure);
  if (lock == -1) return nullptr;
  auto started = Clock::now();
  std::string why;
  int fd = Connect(where, why);
  if (fd < 0) {
    if (lock >= 0) ::close(lock);
    failure.reason = why;
    return nullptr;
  }
  std::unique_ptr<SerialPort> port(
      new SerialPort(fd, lock, address, baud, where.rfc2217 ? Transport::kRfc2217 : Transport::kTcp));
  // A connection takes one round trip: the first measure of the network's.
  port->round_trip_ = Clock::now() - started;
  if (where.rfc2217) {
    port->telnet_ = std::make_unique<telnet::Reader>();
    if (!port->SendRaw(port->telnet_->Opening())) {
      failure.reason = port->io_error_;
      return nullptr;
    }
  }
  if (!port->SetSpeed(baud)) {
    failure.reason = port->io_error_.empty()
                         ? "cannot set " + address + " to " + std::to_string(baud) + " baud"
                         : port->io_error_;
    return nullptr;
  }
  return port;
}

bool SerialPort::SetNetworkSpeed(int baud) {
  if (SpeedConstant(baud) == 0) return false;
  if (transport_ == Transport::kTcp) {
    // The converter's line runs at the speed it was set to; the timing counts with the one asked for,
    // which must be that speed for the base to answer at all.
    baud_ = baud;
    return true;
  }
  // 8 data bits, no parity, one stop bit, no flow control, then the speed, whose answer is awaited.
  int before = telnet_->AnswerCount(telnet::kSetBaudRate);
  std::string commands =
      telnet::ComPortCommand(telnet::kSetDataSize, std::string(1, 8)) +
      telnet::ComPortCommand(telnet::kSetParity, std::string(1, 1)) +
      telnet::ComPortCommand(telnet::kSetStopSize, std::string(1, 1)) +
      telnet::ComPortCommand(telnet::kSetControl, std::string(1, 1)) +
      telnet::ComPortCommand(telnet::kSetBaudRate, BigEndian32(static_cast<uint32_t>(baud)));
  auto sent = Clock::now();
  if (!SendRaw(commands)) return false;
  auto give_up = sent + round_trip_ + std::chrono::milliseconds(kSettingsTimeoutMs);
  while (telnet_->AnswerCount(telnet::kSetBaudRate) == before) {
    int left = Remaining(give_up);
    if (left == 0) {
      io_error_ = path_ + " did not confirm the line settings (is the converter in RFC 2217 mode?)";
      return false;
    }
    if (!ReceiveRaw(pending_, left)) return false;
  }
  // The answer is the best measure of the round trip: through the converter's own program.
  round_trip_ = std::max(round_trip_, Clock::now() - sent);
  baud_ = baud;
  return true;
}

bool SerialPort::SendRaw(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd out{fd_, POLLOUT, 0};
      int left = Remaining(line_free_at_ + round_trip_ + std::chrono::seconds(1));
      if (left > 0 && ::poll(&out, 1, left) > 0) continue;
      io_error_ = "the connection to " + path_ + " stopped taking bytes";
      return false;
    }
    io_error_ = "the connection to " + path_ + " was lost: " + std::strerror(errno);
    return false;
  }
  return true;
}

bool SerialPort::ReceiveRaw(std::string& into, int timeout_ms) {
  pollfd in{fd_, POLLIN, 0};
  int ready = ::poll(&in, 1, timeout_ms < 0 ? 0 : timeout_ms);
  if (ready < 0) return errno == EINTR;
  if (ready == 0) return true;
  char buffer[8192];
  ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
  if (n <= 0) {
    io_error_ = n == 0 ? "the connection to " + path_ + " was closed by the other side"
                       : "the connection to " + path_ + " was lost: " + std::strerror(errno);
    return false;
  }
  std::string_view raw(buffer, static_cast<size_t>(n));
  if (!telnet_) {
    into.append(raw);
    bytes_read += n;
    return true;
  }
  std::string data, replies;
  telnet_->Feed(raw, data, replies);
  into += data;
  bytes_read += static_cast<long long>(data.size());
  return replies.empty() || SendRaw(replies);
}

}  // namespace kestrel
