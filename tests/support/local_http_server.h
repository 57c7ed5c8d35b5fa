#pragma once
// An HTTP server on 127.0.0.1 for the tests of the programs' web clients: it takes a free port, listens on a
// thread of its own from construction on and stops when destroyed. Declare it after whatever its handlers
// use, so that it stops before those are gone.

#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>

namespace tabulo::test {

class LocalHttpServer {
 public:
  // `routes` installs the handlers on the server before it listens.
  template <class Routes>
  explicit LocalHttpServer(Routes routes) {
    routes(server_);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() does nothing to a server that has not started listening yet, and the join would then wait.
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LocalHttpServer() {
    server_.stop();
    thread_.join();
  }
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  // "http://127.0.0.1:PORT", without a "/" at the end.
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace tabulo::test
