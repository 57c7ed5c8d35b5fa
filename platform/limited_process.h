#pragma once
// Runs a program that reads untrusted input in a process of its own, under limits of memory, processor time
// and wall-clock time, and collects what it writes to its standard output up to a size. Whatever the program
// does (crash, run out of memory, hang, write without end), the caller gets an outcome it can name, and the
// process is always reaped.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace tabulo {

struct ProcessLimits {
  // Address space of the process; 0 for none. A sanitizer build, whose shadow memory alone needs terabytes
  // of address space, limits each allocation to this size instead.
  size_t memory_bytes = 0;
  int cpu_seconds = 0;                     // 0 for none; then the process gets SIGXCPU, then SIGKILL
  std::chrono::milliseconds wall_time{0};  // 0 for none; then the process is killed
  size_t output_bytes = 0;                 // 0 for none; more than this and the process is killed
};

struct ProcessRun {
  enum class End {
    kExited,          // ended by itself: see exit_code
    kSignalled,       // ended by a signal it did not ask for (a crash, the processor time limit): see signal
    kTimedOut,        // killed when the wall-clock time ran out
    kOutputTooLarge,  // killed when its output passed the limit
    kNotStarted,      // could not be started: see error
  };
  End end = End::kNotStarted;
  int exit_code = 0;
  int signal = 0;
  std::string output;  // standard output; cut at the limit
  std::string error;   // why it could not be started
};

// Runs `program` with `arguments` (argv[1] on), standard input from /dev/null, standard error shared with
// this process, no other descriptor of this process, and no core file.
ProcessRun RunLimited(const std::string& program, const std::vector<std::string>& arguments,
                      const ProcessLimits& limits);

}  // namespace tabulo
