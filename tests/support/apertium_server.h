#pragma once
// A real Apertium APy translation server for tests and benchmarks, started through tools/run-apertium on a
// free port of 127.0.0.1 with the pairs Debian installed, and stopped (with its pipelines) when destroyed.
// Starting one takes seconds: a test program shares one through Shared().

#include <sys/types.h>

#include <string>

namespace tabulo::test {

class ApertiumServer {
 public:
  ApertiumServer();
  ~ApertiumServer();
  ApertiumServer(const ApertiumServer&) = delete;
  ApertiumServer& operator=(const ApertiumServer&) = delete;

  // "http://127.0.0.1:PORT"; "" when the server did not start, and Error() says why.
  const std::string& Base() const { return base_; }
  const std::string& Error() const { return error_; }

  // The one server of this program, started on first use.
  static ApertiumServer& Shared();

 private:
  pid_t pid_ = -1;
  std::string base_;
  std::string error_;
  std::string log_;
};

}  // namespace tabulo::test
