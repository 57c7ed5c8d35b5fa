#include "platform/limited_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace tabulo {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizerBuild = true;
#else
constexpr bool kSanitizerBuild = false;
#endif
#else
constexpr bool kSanitizerBuild = false;
#endif

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline` for poll(): -1 without a deadline.
int PollTimeout(bool has_deadline, Clock::time_point deadline) {
  if (!has_deadline) return -1;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Waits for the process to end, until `deadline`; false when it is still running then.
bool WaitForEnd(pid_t pid, int& status, bool has_deadline, Clock::time_point deadline) {
  if (has_deadline) {
    // A process can close its output and go on running: wait on its pidfd, which turns readable at its end.
    int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
      pollfd end{pidfd, POLLIN, 0};
      int ready;
      do {
        ready = ::poll(&end, 1, PollTimeout(true, deadline));
      } while (ready < 0 && errno == EINTR);
      ::close(pidfd);
      if (ready == 0) return false;
    }
  }
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      status = 0;
      return true;
    }
  }
  return true;
}

void KillAndReap(pid_t pid) {
  ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

// Everything the child needs, made before it starts: it runs on memory it shares with this process until it
// replaces itself with the program, so it only makes system calls.
struct ChildSetup {
  char** argv;
  char** envp;
  int output;
  bool limit_memory;
  rlimit memory;
  bool limit_cpu;
  rlimit cpu;
};

int StartChild(void* data) {
  const ChildSetup& setup = *static_cast<const ChildSetup*>(data);
  int null_input = ::open("/dev/null", O_RDONLY);
  if (null_input < 0 || ::dup2(null_input, STDIN_FILENO) < 0 || ::dup2(setup.output, STDOUT_FILENO) < 0) {
    _exit(127);
  }
  ::close_range(3, ~0U, 0);  // descriptors the program must not hold: the designer's files and sockets
  // The handlers of this process are not the program's: default ones before any signal is let through.
  struct sigaction action {};
  for (int number = 1; number < NSIG; ++number) {
    if (::sigaction(number, nullptr, &action) == 0 && action.sa_handler != SIG_DFL &&
        action.sa_handler != SIG_IGN) {
      action.sa_handler = SIG_DFL;
      action.sa_flags = 0;
      ::sigaction(number, &action, nullptr);
    }
  }
  action.sa_handler = SIG_DFL;
  action.sa_flags = 0;
  for (int number : {SIGPIPE, SIGXCPU}) ::sigaction(number, &action, nullptr);
  sigset_t no_signals;
  sigemptyset(&no_signals);
  ::sigprocmask(SIG_SETMASK, &no_signals, nullptr);
  rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  if (setup.limit_memory && ::setrlimit(RLIMIT_AS, &setup.memory) != 0) _exit(127);
  if (setup.limit_cpu && ::setrlimit(RLIMIT_CPU, &setup.cpu) != 0) _exit(127);
  ::execve(setup.argv[0], setup.argv, setup.envp);
  _exit(127);
}

// Starts the child as posix_spawn does, sharing this process's memory until it execs (this thread waits
// meanwhile): a fork would mark every page of a large designer copy-on-write, and each page it writes
// afterwards would fault once. A sanitizer build forks, since its runtime keeps state the child's calls
// would change in the shared memory.
pid_t Spawn(ChildSetup& setup) {
  if (kSanitizerBuild) {
    pid_t pid = ::fork();
    if (pid == 0) StartChild(&setup);
    return pid;
  }
  constexpr size_t kStackSize = 64 * 1024;
  auto stack = std::make_unique_for_overwrite<char[]>(kStackSize);
  sigset_t all, before;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &before);  // no handler of ours runs in the child
  pid_t pid = ::clone(StartChild, stack.get() + kStackSize, CLONE_VM | CLONE_VFORK | SIGCHLD, &setup);
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return pid;
}

}  // namespace

ProcessRun RunLimited(const std::string& program, const std::vector<std::string>& arguments,
                      const ProcessLimits& limits) {
  ProcessRun run;
  if (::access(program.c_str(), X_OK) != 0) {
    run.error = program + ": " + std::strerror(errno);
    return run;
  }
  std::vector<std::string> words;
  words.reserve(arguments.size() + 1);
  words.push_back(program);
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  ChildSetup setup{};
  setup.argv = argv.data();
  setup.limit_memory = limits.memory_bytes > 0 && !kSanitizerBuild;
  setup.memory = {limits.memory_bytes, limits.memory_bytes};
  setup.limit_cpu = limits.cpu_seconds > 0;
  setup.cpu = {static_cast<rlim_t>(limits.cpu_seconds), static_cast<rlim_t>(limits.cpu_seconds) + 1};
  // A sanitizer build limits what the program may allocate at once through the sanitizer's allocator
  // instead, which then answers with a null pointer as an exhausted address space would. Under the address
  // space limit no allocation of the whole limit can succeed (the program takes some of it): nor here.
  std::vector<std::string> environment;
  std::vector<char*> sanitizer_environment;
  setup.envp = environ;
  if (kSanitizerBuild && limits.memory_bytes > 0) {
    const char* options = std::getenv("ASAN_OPTIONS");
    for (char** variable = environ; *variable; ++variable) {
      if (std::strncmp(*variable, "ASAN_OPTIONS=", 13) != 0) environment.push_back(*variable);
    }
    environment.push_back(std::string("ASAN_OPTIONS=") + (options ? options : "") + (options ? ":" : "") +
                          "allocator_may_return_null=1:max_allocation_size_mb=" +
                          std::to_string(std::max<size_t>(limits.memory_bytes >> 20, 2) - 1));
    for (std::string& variable : environment) sanitizer_environment.push_back(variable.data());
    sanitizer_environment.push_back(nullptr);
    setup.envp = sanitizer_environment.data();
  }

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    run.error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return run;
  }
  setup.output = out[1];
  pid_t pid = Spawn(setup);
  if (pid < 0) {
    run.error = std::string("cannot start a process: ") + std::strerror(errno);
    ::close(out[0]);
    ::close(out[1]);
    return run;
  }
  ::close(out[1]);

  bool has_deadline = limits.wall_time.count() > 0;
  Clock::time_point deadline = Clock::now() + limits.wall_time;
  // The output is read straight into the string, which grows by doubling up to the limit.
  std::optional<ProcessRun::End> killed_for;
  size_t size = 0;
  run.output.resize(64 * 1024);
  for (;;) {
    pollfd ready{out[0], POLLIN, 0};
    int events = ::poll(&ready, 1, PollTimeout(has_deadline, deadline));
    if (events < 0 && errno == EINTR) continue;
    if (events == 0) {
      killed_for = ProcessRun::End::kTimedOut;
      break;
    }
    if (size == run.output.size()) {
      size_t grown = run.output.size() * 2;
      if (limits.output_bytes > 0) grown = std::min(grown, limits.output_bytes + 1);
      run.output.resize(grown);
    }
    ssize_t got = events < 0 ? -1 : ::read(out[0], run.output.data() + size, run.output.size() - size);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got < 0) {
      run.error = std::string("cannot read its output: ") + std::strerror(errno);
      killed_for = ProcessRun::End::kNotStarted;
      break;
    }
    if (got == 0) break;
    size += static_cast<size_t>(got);
    if (limits.output_bytes > 0 && size > limits.output_bytes) {
      killed_for = ProcessRun::End::kOutputTooLarge;
      size = limits.output_bytes;
      break;
    }
  }
  ::close(out[0]);
  run.output.resize(size);

  int status = 0;
  if (!killed_for && !WaitForEnd(pid, status, has_deadline, deadline))
    killed_for = ProcessRun::End::kTimedOut;
  if (killed_for) {
    KillAndReap(pid);
    run.end = *killed_for;
    return run;
  }
  if (WIFSIGNALED(status)) {
    run.end = ProcessRun::End::kSignalled;
    run.signal = WTERMSIG(status);
  } else {
    run.end = ProcessRun::End::kExited;
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
  }
  return run;
}

}  // namespace tabulo
