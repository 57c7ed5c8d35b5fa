#pragma once
// A project on disk: the project file "BASE.TB1" holding the line "OK", eight data files that hold the whole
// document, and 28 page export files for use outside the designer, all named ProjectBase + a fixed suffix.
// The same writer and reader serve the work copy and a project saved anywhere.

#include <functional>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"

namespace tabulo {

inline constexpr const char* kProjectSuffix = ".TB1";

// One line the reader skipped or refused.
struct ReadIssue {
  std::string file;  // suffix of the data file, e.g. "_pludata.txt"
  int line = 0;      // 1-based; 0 for the file as a whole
  std::string message;
};

struct ReadReport {
  std::vector<ReadIssue> issues;
};

struct WriteReport {
  bool ok = true;
  std::string failed_path;
  std::string error;
};

// Writes every data and export file of doc.ProjectBase (not the project file). All files are replaced
// together: a kill at any instant, a full disk or a read-only file leaves the old set whole, and two saves
// of one project run one after the other. The document is not changed.
WriteReport WriteProjectFiles(const MenuDocument& doc);

// Fills the document from the data files of doc.ProjectBase, without clearing it first: the files of one
// whole save (an interrupted save is completed first). A data file missing under its exact name is taken
// under a name that differs only in letter case. Missing files and unusable lines are skipped and reported;
// the document never leaves its capacities.
ReadReport ReadProjectFiles(MenuDocument& doc);

// The same from another source of the data files' bytes, by suffix ("_pludata.txt"); the source answers
// false for a missing file.
using ProjectFileSource = std::function<bool(const std::string& suffix, std::string& bytes)>;
ReadReport ReadProjectFiles(MenuDocument& doc, const ProjectFileSource& source);

// ProjectFolder of a chosen path: up to and including its last "\" or "/" ("" when it has none).
std::string ProjectFolderOf(const std::string& path);
// ProjectBase of a chosen path: the path without the extension of its file name; the whole path when the
// file name has no ".".
std::string ProjectBaseOf(const std::string& path);
// The file name of a path, without its folder ("\" and "/" both separate).
std::string FileNameOf(const std::string& path);

// A chosen project path with a project file that is a symbolic link resolved to the file it links to, so
// that the data files are found beside it and a save replaces it, not the link; else the path as chosen.
std::string ResolveProjectPath(const std::string& path);

// The designer's Load of a chosen project file, after its New: ProjectFolder and ProjectBase from the path,
// then the data files read.
ReadReport LoadProject(MenuDocument& doc, const std::string& path);
// The designer's Save under a chosen name: ProjectFolder and ProjectBase from the path, the project file
// and every data file written together.
WriteReport SaveProjectAs(MenuDocument& doc, const std::string& path);

}  // namespace tabulo
