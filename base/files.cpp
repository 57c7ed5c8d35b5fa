#include "base/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <set>

namespace tabulo {
namespace {

constexpr const char* kJournalHeader = "tabulo file set 1";
constexpr const char* kJournalEnd = "end";
constexpr const char* kTemporaryEnd = ".part";
constexpr size_t kRandomLetters = 6;

std::string NameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string RandomLetters() {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[kRandomLetters];
  if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
    // Only uniqueness matters here (O_EXCL catches a clash), not secrecy.
    static unsigned counter = 0;
    unsigned seed = static_cast<unsigned>(::getpid()) * 2654435761u ^
                    static_cast<unsigned>(std::time(nullptr)) ^ (++counter * 40503u);
    for (unsigned char& byte : random) {
      seed = seed * 1103515245u + 12345u;
      byte = static_cast<unsigned char>(seed >> 16);
    }
  }
  std::string letters;
  for (unsigned char byte : random) letters.push_back(kLetters[byte % (sizeof kLetters - 1)]);
  return letters;
}

// A temporary name of `target`: "target.XXXXXX.part".
bool IsTemporaryOf(const std::string& name, const std::string& target_name) {
  const size_t end_size = std::strlen(kTemporaryEnd);
  return name.size() == target_name.size() + 1 + kRandomLetters + end_size &&
         name.compare(0, target_name.size(), target_name) == 0 && name[target_name.size()] == '.' &&
         name.compare(name.size() - end_size, end_size, kTemporaryEnd) == 0;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string Reason(int error) {
  return std::strerror(error);
}

// Creates a new file beside `target` under a name nobody used: O_EXCL fails on any existing name, a link
// included, so a planted link is never followed. The file gets `mode` whatever the umask says, and the
// owner of the file it replaces where the system allows.
int CreateTemporary(const std::string& target, const struct stat* replaced, std::string& temporary) {
  const mode_t mode = replaced ? (replaced->st_mode & 07777) : 0666;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target + "." + RandomLetters() + kTemporaryEnd;
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd >= 0 && replaced) {
      if (::fchown(fd, replaced->st_uid, replaced->st_gid) != 0) {
        // Another owner's file in a folder we may write: the new file stays ours, with its mode.
      }
      ::fchmod(fd, mode);
    }
    return fd;
  }
  errno = EEXIST;
  return -1;
}

// Writes `bytes` to a new temporary file of `target`; false with errno set on failure (nothing left behind).
bool WriteTemporary(const std::string& target, const struct stat* replaced, const std::string& bytes,
                    std::string& temporary) {
  int fd = CreateTemporary(target, replaced, temporary);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    errno = saved;
  }
  return ok;
}

struct JournalEntry {
  std::string temporary;
  std::string target;
};

// Entries name files of the journal's folder by their bare names, so that the set stays readable from any
// working directory; files elsewhere are named by their path.
std::string JournalName(const std::string& journal_folder, const std::string& path) {
  return FolderOf(path) == journal_folder ? NameOf(path) : path;
}

std::string JournalText(const std::string& journal_path, const std::vector<JournalEntry>& entries) {
  const std::string folder = FolderOf(journal_path);
  std::string text = kJournalHeader;
  text.push_back('\0');
  for (const JournalEntry& entry : entries) {
    text += JournalName(folder, entry.temporary);
    text.push_back('\0');
    text += JournalName(folder, entry.target);
    text.push_back('\0');
  }
  text += kJournalEnd;
  text.push_back('\0');
  return text;
}

// The journal's entries; nothing (and false) when there is no journal or it is not whole.
bool ReadJournal(const std::string& journal_path, std::vector<JournalEntry>& entries) {
  entries.clear();
  std::string text;
  if (!ReadWholeFile(journal_path, text)) return false;
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t nul = text.find('\0'); nul != std::string::npos; nul = text.find('\0', start)) {
    fields.push_back(text.substr(start, nul - start));
    start = nul + 1;
  }
  if (start != text.size() || fields.size() < 2 || fields.front() != kJournalHeader ||
      fields.back() != kJournalEnd || fields.size() % 2 != 0) {
    return false;
  }
  const std::string folder = FolderOf(journal_path);
  auto path_of = [&folder](const std::string& name) {
    return name.find('/') == std::string::npos ? Joined(folder, name) : name;
  };
  for (size_t i = 1; i + 1 < fields.size(); i += 2)
    entries.push_back({path_of(fields[i]), path_of(fields[i + 1])});
  return true;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

// Completes the commit a journal records: every temporary file still there is renamed over its target. The
// journal goes when nothing is left to rename; what could not be renamed is returned (target -> temporary).
// A journal that is not whole was never committed: it is removed and its targets stay as they were.
std::map<std::string, std::string> RollForward(const std::string& journal_path) {
  std::map<std::string, std::string> not_renamed;
  std::vector<JournalEntry> entries;
  if (!ReadJournal(journal_path, entries)) {
    if (Exists(journal_path)) ::unlink(journal_path.c_str());
    return not_renamed;
  }
  for (const JournalEntry& entry : entries) {
    if (!Exists(entry.temporary)) continue;  // renamed before the writer stopped
    if (::rename(entry.temporary.c_str(), entry.target.c_str()) != 0)
      not_renamed[entry.target] = entry.temporary;
  }
  if (not_renamed.empty()) ::unlink(journal_path.c_str());
  return not_renamed;
}

// Removes the temporary files an interrupted, uncommitted write of these targets left behind. Called with
// the folder locked and after the roll-forward, so none of them is still wanted.
void RemoveLeftovers(const std::vector<std::string>& targets) {
  std::map<std::string, std::set<std::string>> names_by_folder;
  for (const std::string& target : targets) names_by_folder[FolderOf(target)].insert(NameOf(target));
  for (const auto& [folder, names] : names_by_folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) continue;
    std::vector<std::string> leftovers;
    while (dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name.size() <= kRandomLetters + 6) continue;
      std::string target_name = name.substr(0, name.size() - kRandomLetters - 1 - std::strlen(kTemporaryEnd));
      if (names.count(target_name) && IsTemporaryOf(name, target_name)) leftovers.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : leftovers) ::unlink(Joined(folder, name).c_str());
  }
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

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

std::string ExistingFileIgnoringCase(const std::string& path) {
  if (Exists(path)) return path;
  const std::string folder = FolderOf(path);
  const std::string wanted = NameOf(path);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return "";
  std::string found;
  while (dirent* entry = ::readdir(dir)) {
    if (EqualIgnoringCase(entry->d_name, wanted)) {
      found = Joined(folder, entry->d_name);
      break;
    }
  }
  ::closedir(dir);
  return found;
}

FolderLock::FolderLock(const std::string& folder) {
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

void FileBatch::Add(std::string path, std::string bytes) {
  files_.push_back({std::move(path), std::move(bytes), {}});
}

FileBatch::Result FileBatch::Commit() {
  std::vector<Pending> files = std::move(files_);
  files_.clear();
  if (files.empty()) return {};
  const std::string journal = journal_path_.empty() ? files.front().path + ".journal" : journal_path_;
  FolderLock lock(FolderOf(journal));
  RollForward(journal);
  std::vector<std::string> targets{journal};
  for (const Pending& file : files) targets.push_back(file.path);
  RemoveLeftovers(targets);

  auto failed = [&files](const std::string& path, const std::string& error) {
    for (const Pending& file : files) {
      if (!file.temporary.empty()) ::unlink(file.temporary.c_str());
    }
    return Result{false, path, error};
  };

  // Every target is looked at before anything is written: one that may not be replaced refuses the set.
  std::vector<struct stat> replaced(files.size());
  std::vector<bool> exists(files.size(), false);
  for (size_t i = 0; i < files.size(); ++i) {
    if (::lstat(files[i].path.c_str(), &replaced[i]) != 0) continue;
    exists[i] = true;
    if (S_ISDIR(replaced[i].st_mode)) return failed(files[i].path, "it is a folder");
    // A link is replaced by the file, never written through; a read-only file is the user's to keep.
    if (S_ISREG(replaced[i].st_mode) &&
        ((replaced[i].st_mode & 0222) == 0 || ::access(files[i].path.c_str(), W_OK) != 0)) {
      return failed(files[i].path, "the file is read-only");
    }
    if (S_ISLNK(replaced[i].st_mode)) exists[i] = false;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    Pending& file = files[i];
    if (!WriteTemporary(file.path, exists[i] ? &replaced[i] : nullptr, file.bytes, file.temporary)) {
      int error = errno;
      file.temporary.clear();
      return failed(file.path, Reason(error));
    }
    std::string().swap(file.bytes);
  }

  if (files.size() > 1) {
    std::vector<JournalEntry> entries;
    for (const Pending& file : files) entries.push_back({file.temporary, file.path});
    std::string journal_temporary;
    if (!WriteTemporary(journal, nullptr, JournalText(journal, entries), journal_temporary)) {
      return failed(files.front().path, Reason(errno));
    }
    // The commit point: from here on the new set is the project, whoever completes the renames.
    if (::rename(journal_temporary.c_str(), journal.c_str()) != 0) {
      int error = errno;
      ::unlink(journal_temporary.c_str());
      return failed(files.front().path, Reason(error));
    }
  }
  Result result;
  for (const Pending& file : files) {
    if (::rename(file.temporary.c_str(), file.path.c_str()) != 0 && result.ok) {
      result = {false, file.path, Reason(errno)};
    }
  }
  if (files.size() > 1 && result.ok) ::unlink(journal.c_str());
  // A rename that failed after the commit point is retried by the next reader or writer of the set.
  return result;
}

FileSetReader::FileSetReader(const std::string& journal_path)
    : lock_(FolderOf(journal_path)), not_renamed_(RollForward(journal_path)) {}

bool FileSetReader::Read(const std::string& path, std::string& bytes) const {
  auto pending = not_renamed_.find(path);
  if (pending != not_renamed_.end()) return ReadWholeFile(pending->second, bytes);
  if (ReadWholeFile(path, bytes)) return true;
  std::string other = ExistingFileIgnoringCase(path);
  return !other.empty() && other != path && ReadWholeFile(other, bytes);
}

}  // namespace tabulo
