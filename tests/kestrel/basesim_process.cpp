#include "tests/kestrel/basesim_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "tests/support/run_program.h"

extern char** environ;

namespace tabulo::test {

std::string BuiltLibrary() {
  return std::string(TABULO_PROGRAM_DIR) + "/libkestrel.so";
}

BaseSimulator::BaseSimulator(const std::string& folder, const std::vector<std::string>& options)
    : link_(folder + "/base-link") {
  std::string program = BuiltProgram("kestrel-basesim");
  std::vector<std::string> argv_text = {program, "--link", link_};
  argv_text.insert(argv_text.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (auto& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::string log = folder + "/basesim.log";
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  int spawned = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start kestrel-basesim");
  for (int i = 0; i < 500; ++i) {
    std::error_code error;
    if (std::filesystem::exists(link_, error)) return;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("kestrel-basesim stopped at start");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  throw std::runtime_error("kestrel-basesim did not make its device");
}

BaseSimulator::~BaseSimulator() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
}

nlohmann::json WithoutRawTexts(nlohmann::json node) {
  if (node.is_array()) {
    for (auto& child : node) child = WithoutRawTexts(child);
  } else if (node.is_object()) {
    node.erase("text");
    for (auto& [key, value] : node.items()) value = WithoutRawTexts(value);
  }
  return node;
}

std::vector<nlohmann::json> JsonLines(const std::string& path) {
  std::vector<nlohmann::json> events;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) events.push_back(nlohmann::json::parse(line));
  return events;
}

std::vector<std::string> BaseSimulator::Environment() const {
  return {"KESTREL_PORT_1=" + link_, "KESTREL_LIBRARY=" + BuiltLibrary()};
}

}  // namespace tabulo::test
