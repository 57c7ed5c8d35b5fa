#pragma once
// The project commands of `tabulo`: info, check, save-as.

#include <string>
#include <vector>

namespace tabulo::cli {

int InfoCommand(const std::vector<std::string>& args);
int CheckCommand(const std::vector<std::string>& args);
int SaveAsCommand(const std::vector<std::string>& args);

}  // namespace tabulo::cli
