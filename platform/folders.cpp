#include "platform/folders.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tabulo {
namespace fs = std::filesystem;

namespace {
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}
}  // namespace

std::string MakerFolder() {
  std::string home = Environment("VELT_HOME");
  if (!home.empty()) return home;
  std::string data = Environment("XDG_DATA_HOME");
  if (data.empty()) {
    std::string user_home = Environment("HOME");
    data = (user_home.empty() ? std::string(".") : user_home) + "/.local/share";
  }
  return data + "/velt";
}

std::string WorkFolder() {
  return MakerFolder() + "/temp_velt/";
}
std::string WorkBase() {
  return WorkFolder() + "temp";
}
std::string InterchangeFile() {
  return MakerFolder() + "/pludata.txt";
}

bool EnsureFolder(const std::string& path) {
  std::error_code error;
  fs::create_directories(path, error);
  return fs::is_directory(path, error);
}

bool EnsureWorkFolders() {
  return EnsureFolder(MakerFolder()) && EnsureFolder(WorkFolder());
}

void DeleteFilesIn(const std::string& folder) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    std::error_code ignored;
    if (!entry.is_directory(ignored)) fs::remove(entry.path(), ignored);
  }
}

std::string ProgramFolder() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) return ".";
  return self.parent_path().string();
}

}  // namespace tabulo
