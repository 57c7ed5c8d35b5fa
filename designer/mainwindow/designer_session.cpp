#include "designer/mainwindow/designer_session.h"

#include <memory>

#include "designer/storage/picture_paths.h"
#include "platform/folders.h"

namespace tabulo {
namespace {

std::string Reason(const WriteReport& report) {
  return report.error.empty() ? "" : " (" + report.error + ")";
}

}  // namespace

ReadReport StartDesigner(MenuDocument& doc) {
  doc.NumPlus = 0;
  EnsureWorkFolders();
  doc.ProjectBase = WorkBase();
  doc.ProjectFolder = WorkFolder();
  doc.PagesVersion = "0";
  return ReadProjectFiles(doc);
}

WriteReport WriteWorkCopy(MenuDocument& doc) {
  EnsureWorkFolders();
  doc.ProjectBase = WorkBase();
  // The next start reads the work copy with the work folder as its project folder: pictures named relative
  // to the project's own folder are written there as the files they are.
  if (!doc.ProjectFolder.empty() && !IsWorkFolder(doc.ProjectFolder)) {
    auto copy = std::make_unique<MenuDocument>(doc);
    if (RebasePictures(*copy, doc.ProjectFolder, WorkFolder())) return WriteProjectFiles(*copy);
  }
  return WriteProjectFiles(doc);
}

void NewDocument(MenuDocument& doc) {
  ResetDocument(doc);
  DeleteFilesIn(WorkFolder());
}

ReadReport OpenProject(MenuDocument& doc, const std::string& path) {
  auto loaded = std::make_unique<MenuDocument>();
  ReadReport report = LoadProject(*loaded, path);
  NewDocument(doc);
  doc = std::move(*loaded);
  return report;
}

bool SavesIntoWorkFolder(const std::string& path) {
  return IsWorkFolder(ProjectFolderOf(ResolveProjectPath(path)));
}

WriteReport SaveProject(MenuDocument& doc, const std::string& path) {
  return SaveProjectAs(doc, path);
}

std::string FolderInUseMessage(long holder) {
  std::string who = holder > 0 ? " (process " + std::to_string(holder) + ")" : "";
  return "Another Tabulo designer" + who + " is already open on the menu folder " + MakerFolder() +
         ". Only one designer at a time keeps its work copy there, so this one does not start: please "
         "use the one that is open.";
}

std::string SaveFailureMessage(const WriteReport& report) {
  return "The project was not saved: " + report.failed_path + " could not be written" + Reason(report) + ".";
}

std::string WorkCopyFailureMessage(const WriteReport& report) {
  return "tabulodesk: the work copy was not written: " + report.failed_path + " could not be written" +
         Reason(report);
}

std::string WindowCaption() {
  return "Velt Tabulo " + std::to_string(TABULO_VERSION_MAJOR) + ". " + std::to_string(TABULO_VERSION_MINOR) +
         ". " + std::to_string(TABULO_VERSION_PATCH) + " - ";
}

}  // namespace tabulo
