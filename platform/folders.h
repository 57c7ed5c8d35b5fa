#pragma once
// The maker folder and the designer's work folder, and the few folder operations the designer needs.

#include <string>

namespace tabulo {

// `$VELT_HOME`, else `$XDG_DATA_HOME/velt`, else `~/.local/share/velt`; no trailing separator.
std::string MakerFolder();
// The work folder "temp_velt" in the maker folder, with a trailing separator.
std::string WorkFolder();
// The base name of the work copy: "temp" in the work folder.
std::string WorkBase();
// The PLU interchange file "pludata.txt" in the maker folder.
std::string InterchangeFile();

// Creates a folder and its parents; false when it does not exist afterwards.
bool EnsureFolder(const std::string& path);
// The same for the folder a file is to be written into.
bool EnsureFolderOf(const std::string& file_path);
// Creates the maker folder and the work folder; false when either is missing afterwards.
bool EnsureWorkFolders();
// Deletes every file (not folder) in a folder; errors are ignored.
void DeleteFilesIn(const std::string& folder);

// The folder of the running program, without a trailing separator.
std::string ProgramFolder();

// True when `folder` is the work folder, however either is spelled (links, "..", a trailing separator).
bool IsWorkFolder(const std::string& folder);

// One designer's claim on the maker folder and its work copy, held while it lives: a lock on the file
// "tabulodesk.lock" there, which the system releases however the designer ends. The file holds the claiming
// process's number, so that a second designer can say who has the folder.
class MakerFolderClaim {
 public:
  MakerFolderClaim();
  ~MakerFolderClaim();
  MakerFolderClaim(const MakerFolderClaim&) = delete;
  MakerFolderClaim& operator=(const MakerFolderClaim&) = delete;

  bool Held() const { return held_; }
  // The process that holds the claim when this one could not take it; 0 when unknown.
  long Holder() const { return holder_; }

 private:
  int fd_ = -1;
  bool held_ = false;
  long holder_ = 0;
};

}  // namespace tabulo
