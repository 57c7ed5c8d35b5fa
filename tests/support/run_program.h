#pragma once
// Runs a program of the build and collects what it printed.

#include <string>
#include <vector>

namespace tabulo::test {

struct ProgramRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args`, standard input from /dev/null, extra environment entries "NAME=VALUE".
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment = {});

// The path of a program of the build, in its program folder laid out as installed.
std::string BuiltProgram(const std::string& name);

}  // namespace tabulo::test
