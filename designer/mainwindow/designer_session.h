#pragma once
// The designer's life cycle on disk: the work copy read at start and written every minute and at every
// exit, the named projects the user loads and saves, and New. The document itself is the caller's.

#include <string>

#include "designer/document/menu_document.h"
#include "designer/storage/project_files.h"

namespace tabulo {

inline constexpr int kAutosaveMilliseconds = 60000;
inline constexpr const char* kProjectPattern = "*.TB1";

// Start: the maker and work folders created (a failure is only noticed when writing), and the work copy of
// the previous run read into an empty document; missing files give an empty menu with default settings.
ReadReport StartDesigner(MenuDocument& doc);

// The work copy written (autosave, Send, Exit, close). Later writes go to the work copy too; ProjectFolder
// stays, so bare picture names keep resolving against the project last loaded or saved.
WriteReport WriteWorkCopy(MenuDocument& doc);

// New: an empty menu with fixed lettering; every file in the work folder is deleted.
void NewDocument(MenuDocument& doc);

// Load of a chosen project file: the project read, New, then the project shown. It is read before New
// empties the work folder, so a project kept there is not deleted before it is read.
ReadReport OpenProject(MenuDocument& doc, const std::string& path);

inline constexpr const char* kSaveInWorkFolderMessage =
    "A project cannot be saved in the designer's work folder: New and Load empty that folder. Please choose "
    "another folder.";
// Whether a chosen project path lies in the work folder, where New and Load would delete it.
bool SavesIntoWorkFolder(const std::string& path);

// Save under a chosen name: the project file and every data file.
WriteReport SaveProject(MenuDocument& doc, const std::string& path);

// What a second designer on one maker folder is told; `holder` is the first one's process number (0 when
// unknown).
std::string FolderInUseMessage(long holder);

// What the user is told when a Save failed, naming the file that could not be written.
std::string SaveFailureMessage(const WriteReport& report);
// The same for standard error when the work copy could not be written.
std::string WorkCopyFailureMessage(const WriteReport& report);

// "Velt Tabulo", the version with each number preceded by a blank, and " - ".
std::string WindowCaption();

}  // namespace tabulo
