#include "platform/end_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

namespace tabulo {
namespace {

int write_end = -1;

void OnEndSignal(int signal_number) {
  const int saved = errno;  // the interrupted code may be looking at errno
  const char byte = static_cast<char>(signal_number);
  // Only async-signal-safe calls here. A full pipe already holds a request.
  ssize_t ignored = ::write(write_end, &byte, 1);
  (void)ignored;
  errno = saved;
}

int MakePipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  write_end = ends[1];
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal_number, &action, nullptr);
  return ends[0];
}

}  // namespace

int EndRequestPipe() {
  static const int read_end = MakePipe();
  return read_end;
}

}  // namespace tabulo
