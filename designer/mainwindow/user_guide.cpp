#include "designer/mainwindow/user_guide.h"

#include <filesystem>
#include <vector>

#include "platform/folders.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Places() {
  return {(fs::path(ProgramFolder()) / "../../share/doc/tabulo-designer" / kUserGuideName).lexically_normal(),
          fs::path(TABULO_SOURCE_DIR) / "docs" / kUserGuideName};
}

}  // namespace

std::string UserGuideFile() {
  for (const fs::path& place : Places()) {
    std::error_code error;
    if (fs::is_regular_file(place, error)) return place.string();
  }
  return {};
}

std::string UserGuideMissingMessage() {
  std::string message = "The user guide is not installed; it was looked for as";
  const char* separator = " ";
  for (const fs::path& place : Places()) {
    message += separator + place.string();
    separator = " and ";
  }
  return message + ".";
}

}  // namespace tabulo
