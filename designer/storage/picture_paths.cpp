#include "designer/storage/picture_paths.h"

#include <algorithm>
#include <vector>

#include "base/files.h"
#include "designer/document/numbers.h"

namespace tabulo {
namespace {

std::string Slashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// The folders and the file name of a path, without its root or drive.
std::vector<std::string> PartsOf(const std::string& path) {
  std::vector<std::string> parts;
  std::string rest = Slashes(path);
  if (rest.size() >= 2 && rest[1] == ':') rest.erase(0, 2);
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('/', start);
    if (end == std::string::npos) end = rest.size();
    if (end > start) parts.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool Blank(const std::string& field) {
  return Trim(field).empty();
}

// The file `candidate` names, or one of its folder whose name differs only in letter case; "" when neither
// can be shown.
std::string Showable(const std::string& candidate, const PictureProbe& probe) {
  if (!probe) return {};
  if (probe(candidate)) return candidate;
  std::string other = ExistingFileIgnoringCase(candidate);
  return !other.empty() && other != candidate && probe(other) ? other : std::string();
}

}  // namespace

bool IsAbsolutePicturePath(const std::string& path) {
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive || (!path.empty() && (path[0] == '/' || path[0] == '\\'));
}

std::string StoredPicturePath(const std::string& file, const std::string& project_folder) {
  const std::string folder = Slashes(project_folder);
  const std::string path = Slashes(file);
  if (folder.empty() || folder.back() != '/' || path.size() <= folder.size() ||
      path.compare(0, folder.size(), folder) != 0) {
    return file;
  }
  return path.substr(folder.size());
}

std::string PictureFileOf(const std::string& field, const std::string& project_folder) {
  if (IsAbsolutePicturePath(field)) return Slashes(field);
  return Slashes(project_folder + field);
}

std::string ResolvePicture(std::string& field, const std::string& project_folder, const PictureProbe& probe) {
  if (Blank(field)) return {};
  const bool absolute = IsAbsolutePicturePath(field);
  const std::string file = PictureFileOf(field, project_folder);
  if (probe && probe(file)) {
    // An older project stored pictures of its own folder with their full path.
    if (absolute) field = StoredPicturePath(field, project_folder);
    return file;
  }
  std::string found = absolute ? std::string() : Showable(file, probe);
  const std::vector<std::string> parts = PartsOf(field);
  if (parts.empty()) return {};
  const std::string folder = Slashes(project_folder);
  // The longest end of the path first: the file in its own sub-folder before a file of the same name
  // elsewhere in the project.
  for (size_t n = absolute ? parts.size() : parts.size() - 1; found.empty() && n >= 1; --n) {
    std::string end;
    for (size_t k = parts.size() - n; k < parts.size(); ++k) end += (end.empty() ? "" : "/") + parts[k];
    found = Showable(folder + end, probe);
  }
  if (found.empty()) return {};
  field = StoredPicturePath(found, project_folder);
  return found;
}

bool RebasePictures(MenuDocument& doc, const std::string& from, const std::string& to) {
  bool changed = false;
  auto rebase = [&](std::string& field) {
    if (Blank(field)) return;
    const std::string file =
        IsAbsolutePicturePath(field) || from.empty() ? field : PictureFileOf(field, from);
    std::string stored = StoredPicturePath(file, to);
    // A relative field that stays relative keeps the way it was written.
    if (stored != field && !(file != field && stored == Slashes(field))) {
      field = std::move(stored);
      changed = true;
    }
  };
  for (int p = 1; p <= kPages; ++p) {
    rebase(doc.PagePictureA[p]);
    rebase(doc.PagePictureB[p]);
  }
  for (int s = 0; s < kLineSlots; ++s) rebase(doc.LineLayout[s].TitlePicture);
  return changed;
}

}  // namespace tabulo
