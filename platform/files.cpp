#include "platform/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tabulo {
namespace {

std::string TemporaryName(const std::string& path) {
  return path + ".part";
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return ok;
}

void FileBatch::Add(std::string path, std::string bytes) {
  files_.push_back({std::move(path), std::move(bytes)});
}

FileBatch::Result FileBatch::Commit() {
  Result result;
  size_t written = 0;
  for (; written < files_.size(); ++written) {
    const Pending& file = files_[written];
    std::string temporary = TemporaryName(file.path);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0 && WriteAll(fd, file.bytes);
    int saved_errno = errno;
    // No fsync: the rename below replaces a file only with one whose data the kernel has, which covers a
    // killed or crashed program; the file systems in use here order such a replace for power loss too.
    if (fd >= 0 && ::close(fd) != 0 && ok) {
      ok = false;
      saved_errno = errno;
    }
    if (!ok) {
      result = {false, file.path, std::strerror(saved_errno)};
      if (fd >= 0) ::unlink(temporary.c_str());
      break;
    }
  }
  if (!result.ok) {
    for (size_t i = 0; i < written; ++i) ::unlink(TemporaryName(files_[i].path).c_str());
  } else {
    for (const Pending& file : files_) {
      if (::rename(TemporaryName(file.path).c_str(), file.path.c_str()) != 0 && result.ok) {
        result = {false, file.path, std::strerror(errno)};
      }
    }
  }
  files_.clear();
  return result;
}

}  // namespace tabulo
