#include "platform/folders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/environment.h"
#include "base/files.h"

namespace tabulo {
namespace fs = std::filesystem;

std::string MakerFolder() {
  if (auto home = EnvironmentValue("VELT_HOME")) return *home;
  return EnvironmentValue("XDG_DATA_HOME")
             .value_or(EnvironmentValue("HOME").value_or(".") + "/.local/share") +
         "/velt";
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

bool EnsureFolderOf(const std::string& file_path) {
  return EnsureFolder(FolderOf(file_path));
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

bool IsWorkFolder(const std::string& folder) {
  std::error_code error;
  fs::path chosen = fs::weakly_canonical(fs::absolute(folder.empty() ? "." : folder, error), error);
  if (error) return false;
  fs::path work = fs::weakly_canonical(fs::absolute(WorkFolder(), error), error);
  if (error) return false;
  return (chosen / "").lexically_normal() == (work / "").lexically_normal();
}

MakerFolderClaim::MakerFolderClaim() {
  EnsureFolder(MakerFolder());
  const std::string path = MakerFolder() + "/tabulodesk.lock";
  // Close-on-exec: a program the designer starts (the firmware tool) must not keep the claim after it.
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd_ < 0) {
    // A maker folder we cannot lock in cannot hold a work copy either; nothing to protect.
    held_ = true;
    return;
  }
  int locked;
  while ((locked = ::flock(fd_, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (locked == 0) {
    held_ = true;
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd_, 0) == 0 && ::pwrite(fd_, pid.data(), pid.size(), 0) < 0) {
      // The number is only told to a second designer; the lock itself is what counts.
    }
    return;
  }
  char text[32] = {};
  if (::pread(fd_, text, sizeof text - 1, 0) > 0) holder_ = std::strtol(text, nullptr, 10);
  ::close(fd_);
  fd_ = -1;
}

MakerFolderClaim::~MakerFolderClaim() {
  if (fd_ >= 0) ::close(fd_);
}

std::string ProgramFolder() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) return ".";
  return self.parent_path().string();
}

}  // namespace tabulo
