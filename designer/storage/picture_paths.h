#pragma once
// Where the pictures of a project are and how their paths are stored. A picture below the project folder is
// stored relative to it, with "/" ("pics/a.jpg"), so that a project folder moved or copied elsewhere keeps
// its pictures; any other picture is stored with its full path. Stored paths are kept as written otherwise:
// "\" and "/" both separate folders when a path is looked up.

#include <functional>
#include <string>

#include "designer/document/menu_document.h"

namespace tabulo {

// True when the picture at `path` can be shown (the window asks its image reader; without a window a
// readable file will do).
using PictureProbe = std::function<bool(const std::string& path)>;

// Whether a stored path names its file from the root ("/x", "\x", "C:\x").
bool IsAbsolutePicturePath(const std::string& path);

// The field for picture `file`: relative to `project_folder` (which ends in a separator) when the file lies
// below it, else `file` as given.
std::string StoredPicturePath(const std::string& file, const std::string& project_folder);

// The file a field names: a relative field below `project_folder`, a full path as it is; "/" separating.
std::string PictureFileOf(const std::string& field, const std::string& project_folder);

// The picture of a field as drawing and printing load it. A field that names no showable file is looked for
// by the end of its path below the project folder, longest end first ("D:\old\menu\pics\a.jpg" as
// "menu/pics/a.jpg", "pics/a.jpg", then "a.jpg", the file name's letter case ignored), so a project moved
// elsewhere, or written on Windows, finds its pictures. A picture found so is stored back as found (relative
// when below the project folder); a field whose picture is found nowhere keeps its path, so the picture
// shows again once it is back. Returns the file to show, "" when none can be.
std::string ResolvePicture(std::string& field, const std::string& project_folder, const PictureProbe& probe);

// Every picture field of `doc` rewritten for a project folder `to` instead of `from`: a relative field
// becomes the same file seen from `to` (relative when below it, else its full path), and a full path below
// `to` becomes relative. Returns whether any field changed.
bool RebasePictures(MenuDocument& doc, const std::string& from, const std::string& to);

}  // namespace tabulo
