#include "cli/cli_support.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace tabulo::cli {

int Fail(const std::string& message) {
  std::cerr << "tabulo: " << message << "\n";
  return kExitError;
}

bool LoadProjectFile(const std::string& path, LoadedProject& loaded) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    Fail("cannot open project " + path + ": no such file");
    return false;
  }
  loaded.doc = std::make_unique<MenuDocument>();
  loaded.report = LoadProject(*loaded.doc, path);
  return true;
}

Options::Options(const std::vector<std::string>& args, const std::vector<std::string>& with_value) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0 && !(arg.size() == 2 && arg[0] == '-' && arg[1] != '-')) {
      positional_.push_back(arg);
      continue;
    }
    if (std::find(with_value.begin(), with_value.end(), arg) != with_value.end()) {
      if (i + 1 >= args.size()) {
        error_ = arg + " needs a value";
        return;
      }
      named_.emplace_back(arg, args[++i]);
    } else {
      named_.emplace_back(arg, "");
    }
  }
}

bool Options::Has(const std::string& name) const {
  return std::any_of(named_.begin(), named_.end(), [&](const auto& entry) { return entry.first == name; });
}

std::string Options::Value(const std::string& name, const std::string& fallback) const {
  for (const auto& [key, value] : named_) {
    if (key == name) return value;
  }
  return fallback;
}

}  // namespace tabulo::cli
