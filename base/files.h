#pragma once
// Whole-file reads and all-or-nothing writes of a set of files, safe against a kill at any instant, against
// other processes writing the same set, and against links planted where temporary files go.

#include <map>
#include <string>
#include <vector>

namespace tabulo {

// The folder a path names its file in: "." for a bare name, "/" at the root, else the path before the last
// "/" (backslashes are names' letters here, not separators).
std::string FolderOf(const std::string& path);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// `path` when such a file exists; else a file of the same folder whose name differs only in the letter case
// of ASCII letters (a project copied from Windows, "Menu.TB1" beside "menu_pludata.txt"); else "".
std::string ExistingFileIgnoringCase(const std::string& path);

// An exclusive lock on a folder, held until destroyed, shared with every other process that locks the same
// folder: saves of one set of files are serialised, and a reader never sees a commit half applied. A folder
// that cannot be opened is not locked (nothing can be written into it either).
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

// Writes a set of files so that a kill or a crash at any instant leaves either every old file or every new
// one, and a full disk or a refused file leaves every target as it was:
// 1. under the lock of the journal's folder, an interrupted earlier commit of the set is completed;
// 2. a target that is read-only or not a regular file refuses the whole set;
// 3. each file is written beside its target under a fresh name (never following a link, never reusing a
//    name) with the mode of the file it replaces;
// 4. the journal, naming every temporary file and its target, is renamed into place: the commit point;
// 5. the files are renamed over their targets and the journal removed. A reader (FileSetReader) or the next
//    commit finishes step 5 when the writer died during it.
// A set of one file needs no journal: its rename is the commit point.
//
// No fsync: the set is safe against a killed or crashed program, which is what the designer meets daily;
// syncing ~37 files at every autosave would cost more than the whole write.
class FileBatch {
 public:
  struct Result {
    bool ok = true;
    std::string failed_path;  // the file that could not be written
    std::string error;        // the reason
  };

  // The journal sits at `journal_path`; by default beside the first file, named after it.
  FileBatch() = default;
  explicit FileBatch(std::string journal_path) : journal_path_(std::move(journal_path)) {}

  void Add(std::string path, std::string bytes);
  Result Commit();

 private:
  struct Pending {
    std::string path;
    std::string bytes;
    std::string temporary;
  };
  std::string journal_path_;
  std::vector<Pending> files_;
};

// The files of a set as its last commit left them: holds the folder lock while it lives (so no commit runs
// meanwhile) and completes an interrupted commit first. When the folder cannot be changed (read-only media)
// the files the commit did not rename yet are read from their temporary names instead.
class FileSetReader {
 public:
  explicit FileSetReader(const std::string& journal_path);

  // Reads a file of the set, matched without regard to letter case when the exact name is missing.
  bool Read(const std::string& path, std::string& bytes) const;

 private:
  FolderLock lock_;
  std::map<std::string, std::string> not_renamed_;  // target -> temporary file holding its new content
};

}  // namespace tabulo
