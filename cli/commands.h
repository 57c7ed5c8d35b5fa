#pragma once
// Every command of `tabulo`, one function each; the files named after their area implement them.

#include <string>
#include <vector>

namespace tabulo::cli {

using Arguments = std::vector<std::string>;

// project_commands.cpp
int InfoCommand(const Arguments& args);
int CheckCommand(const Arguments& args);
int SaveAsCommand(const Arguments& args);
// import_commands.cpp
int ImportCommand(const Arguments& args);
int UpdateCommand(const Arguments& args);
int LayoutCommand(const Arguments& args);
int ExportCommand(const Arguments& args);
// print_commands.cpp
int PrintCommand(const Arguments& args);
// link_commands.cpp
int SendCommand(const Arguments& args);
int ReceiveCommand(const Arguments& args);
// firmware_commands.cpp
int FirmwareCommand(const Arguments& args);
// translate_commands.cpp
int TranslateCommand(const Arguments& args);
int TranslateMenuCommand(const Arguments& args);
// history_commands.cpp
int DiffCommand(const Arguments& args);
int HistoryCommand(const Arguments& args);

}  // namespace tabulo::cli
