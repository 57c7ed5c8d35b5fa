#pragma once
// What every `tabulo` command shares: exit codes, errors on standard error, reading a project.

#include <memory>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/storage/project_files.h"

namespace tabulo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1;  // the command ran and found something to report
inline constexpr int kExitError = 2;     // bad usage, missing input, failed output

// Prints "tabulo: MESSAGE" on standard error and returns kExitError.
int Fail(const std::string& message);

// A project read as the designer's Load reads it, or nothing (after an error) when the project file is
// missing.
struct LoadedProject {
  std::unique_ptr<MenuDocument> doc;
  ReadReport report;
};
bool LoadProjectFile(const std::string& path, LoadedProject& loaded);

// Options of the form --name or --name VALUE, and the positional arguments left.
class Options {
 public:
  Options(const std::vector<std::string>& args, const std::vector<std::string>& with_value);
  bool Has(const std::string& name) const;
  std::string Value(const std::string& name, const std::string& fallback = "") const;
  const std::vector<std::string>& Positional() const { return positional_; }
  const std::string& Error() const { return error_; }

 private:
  std::vector<std::pair<std::string, std::string>> named_;
  std::vector<std::string> positional_;
  std::string error_;
};

}  // namespace tabulo::cli
