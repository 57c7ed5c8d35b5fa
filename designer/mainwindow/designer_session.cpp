#include "designer/mainwindow/designer_session.h"

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
  return WriteProjectFiles(doc);
}

void NewDocument(MenuDocument& doc) {
  ResetDocument(doc);
  DeleteFilesIn(WorkFolder());
}

ReadReport OpenProject(MenuDocument& doc, const std::string& path) {
  NewDocument(doc);
  return LoadProject(doc, path);
}

WriteReport SaveProject(MenuDocument& doc, const std::string& path) {
  return SaveProjectAs(doc, path);
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
