#pragma once
// A real ser2net started for one test: a free 127.0.0.1 TCP port bridged to a device (the simulator's
// pseudo-terminal), stopped when the test ends.

#include <sys/types.h>

#include <string>

namespace tabulo::test {

class Ser2Net {
 public:
  enum class Mode { kRaw, kRfc2217 };
  // Bridges a free port to `device`, whose line it sets to `baud` (8 data bits, no parity, 1 stop bit);
  // returns once ser2net listens.
  Ser2Net(const std::string& folder, const std::string& device, Mode mode, int baud);
  ~Ser2Net();
  Ser2Net(const Ser2Net&) = delete;
  Ser2Net& operator=(const Ser2Net&) = delete;

  // tcp://127.0.0.1:PORT or rfc2217://127.0.0.1:PORT
  std::string Address() const;
  // Ends it at once, with every connection it carries, as a converter that loses its power.
  void Kill();

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  Mode mode_;
};

// A 127.0.0.1 TCP port nobody listens on.
int FreeTcpPort();

}  // namespace tabulo::test
