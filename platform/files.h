#pragma once
// Whole-file reads and all-or-nothing writes of a set of files.

#include <string>
#include <vector>

namespace tabulo {

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Writes a set of files so that a crash, a kill or a full disk never leaves one torn: each file is written
// completely beside its target under a temporary name, and only when every file of the set was written are
// they renamed into place. A failed set leaves every target as it was and removes its temporary files.
class FileBatch {
 public:
  struct Result {
    bool ok = true;
    std::string failed_path;  // the file that could not be written
    std::string error;        // the system's reason
  };

  void Add(std::string path, std::string bytes);
  Result Commit();

 private:
  struct Pending {
    std::string path;
    std::string bytes;
  };
  std::vector<Pending> files_;
};

}  // namespace tabulo
