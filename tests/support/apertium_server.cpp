#include "tests/support/apertium_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/http_client.h"

namespace tabulo::test {
namespace {

// A port of 127.0.0.1 nobody listens on now.
int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

}  // namespace

ApertiumServer::ApertiumServer() {
  const int port = FreePort();
  if (port == 0) {
    error_ = "no free port on 127.0.0.1";
    return;
  }
  log_ = "/tmp/tabulo-apertium-" + std::to_string(::getpid()) + "-" + std::to_string(port) + ".log";
  const std::string launcher = std::string(TABULO_SOURCE_DIR) + "/tools/run-apertium";
  pid_ = ::fork();
  if (pid_ == 0) {
    // A process group of its own, so that stopping it stops the translation pipelines it starts too.
    ::setpgid(0, 0);
    if (!std::freopen("/dev/null", "r", stdin) || !std::freopen(log_.c_str(), "w", stdout) ||
        !std::freopen(log_.c_str(), "a", stderr)) {
      ::_exit(127);
    }
    const std::string port_text = std::to_string(port);
    ::execl(launcher.c_str(), launcher.c_str(), port_text.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (pid_ < 0) {
    error_ = "cannot start " + launcher;
    return;
  }
  ::setpgid(pid_, pid_);
  const std::string base = "http://127.0.0.1:" + std::to_string(port);
  HttpOptions quick;
  quick.connect_timeout = std::chrono::milliseconds(500);
  quick.total_timeout = std::chrono::milliseconds(5000);
  // Loading the pairs takes a few seconds on a quiet machine; a busy build machine may need far longer.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  while (std::chrono::steady_clock::now() < give_up) {
    if (HttpGet(base + "/listPairs", quick).status == 200) {
      base_ = base;
      return;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      std::ifstream log(log_);
      std::stringstream text;
      text << log.rdbuf();
      error_ = "the Apertium server ended at start: " + text.str();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  error_ = "the Apertium server did not answer within 3 minutes (log: " + log_ + ")";
}

ApertiumServer::~ApertiumServer() {
  if (pid_ > 0) {
    ::kill(-pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  if (!log_.empty() && error_.empty()) ::unlink(log_.c_str());
}

ApertiumServer& ApertiumServer::Shared() {
  static ApertiumServer server;
  return server;
}

}  // namespace tabulo::test
