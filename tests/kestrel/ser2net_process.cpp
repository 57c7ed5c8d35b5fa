#include "tests/kestrel/ser2net_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace tabulo::test {
namespace {

// Whether something listens on 127.0.0.1:`port`, read from the kernel's table rather than by connecting
// (a connection would make ser2net open the device).
bool Listening(int port) {
  std::ifstream table("/proc/net/tcp");
  std::string line;
  char wanted[32];
  std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    fields >> slot >> local >> remote >> state;
    if (local == wanted && state == "0A") return true;
  }
  return false;
}

}  // namespace

int FreeTcpPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("no free TCP port");
  }
  ::close(fd);
  return ntohs(address.sin_port);
}

Ser2Net::Ser2Net(const std::string& folder, const std::string& device, Mode mode, int baud) : mode_(mode) {
  port_ = FreeTcpPort();
  std::string config = folder + "/ser2net-" + std::to_string(port_) + ".yaml";
  {
    std::ofstream out(config);
    out << "%YAML 1.1\n---\n"
        << "connection: &base\n"
        << "  accepter: " << (mode == Mode::kRfc2217 ? "telnet(rfc2217),tcp," : "tcp,") << "127.0.0.1,"
        << port_ << "\n"
        << "  connector: serialdev," << device << "," << baud << "n81,local\n"
        << "  options:\n"
        << "    kickolduser: false\n";
  }
  std::string pid_file = folder + "/ser2net-" + std::to_string(port_) + ".pid";
  std::vector<std::string> argv_text = {"/usr/sbin/ser2net", "-n", "-u", "-c", config, "-P", pid_file};
  std::vector<char*> argv;
  for (auto& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  std::string log = folder + "/ser2net.log";
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start ser2net (is the ser2net package installed?)");
  for (int i = 0; i < 500; ++i) {
    if (Listening(port_)) return;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("ser2net stopped at start; see " + log);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Kill();
  throw std::runtime_error("ser2net did not listen on port " + std::to_string(port_));
}

Ser2Net::~Ser2Net() {
  Kill();
}

std::string Ser2Net::Address() const {
  return (mode_ == Mode::kRfc2217 ? "rfc2217://127.0.0.1:" : "tcp://127.0.0.1:") + std::to_string(port_);
}

void Ser2Net::Kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace tabulo::test
