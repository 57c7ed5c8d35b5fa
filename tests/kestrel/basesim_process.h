#pragma once
// kestrel-basesim started for one test on its own pseudo-terminal, stopped when the test ends.

#include <sys/types.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace tabulo::test {

class BaseSimulator {
 public:
  // Starts the simulator with `options` and waits until its device is ready at Link().
  BaseSimulator(const std::string& folder, const std::vector<std::string>& options);
  ~BaseSimulator();
  BaseSimulator(const BaseSimulator&) = delete;
  BaseSimulator& operator=(const BaseSimulator&) = delete;

  // The symbolic link to the simulator's device.
  const std::string& Link() const { return link_; }
  // Environment entries that point port 1 at the simulator and select the built library.
  std::vector<std::string> Environment() const;

 private:
  pid_t pid_ = -1;
  std::string link_;
};

// The built libkestrel.so.
std::string BuiltLibrary();

// The values of a file of one JSON value a line (the simulator's --events, the library's KESTREL_TRACE), in
// order; none when the file is missing.
std::vector<nlohmann::json> JsonLines(const std::string& path);

// A menu tree the simulator stored, without the raw block texts (their five parts are compared instead).
nlohmann::json WithoutRawTexts(nlohmann::json node);

}  // namespace tabulo::test
