#include <filesystem>
#include <system_error>

#include "designer/storage/project_files.h"

namespace tabulo {
namespace fs = std::filesystem;

std::string ProjectFolderOf(const std::string& path) {
  size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string ProjectBaseOf(const std::string& path) {
  size_t separator = path.find_last_of("\\/");
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return path;
  return path.substr(0, dot);
}

std::string FileNameOf(const std::string& path) {
  size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string ResolveProjectPath(const std::string& path) {
  // The project file names the project; the data files sit beside the file it links to, and a save must
  // replace that file, keeping the link.
  std::string project_file = path;
  const std::string base = ProjectBaseOf(path);
  if (base == path) project_file = path + kProjectSuffix;
  std::error_code error;
  if (!fs::is_symlink(project_file, error)) return path;
  fs::path target = fs::canonical(project_file, error);
  if (error) return path;
  return target.string();
}

}  // namespace tabulo
