#include "designer/history/sent_menus.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>
#include <tuple>

#include "designer/history/menu_diff.h"
#include "platform/folders.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSentProjectName = "menu.TB1";

std::string NameOf(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H-%M-%S", &local);
  return text;
}

}  // namespace

std::string SentFolder() {
  return MakerFolder() + "/" + kSentFolderName;
}

WriteReport KeepSentMenu(const MenuDocument& doc, std::time_t when) {
  std::string name = NameOf(when);
  // Two sends in one second (a script) each keep their copy.
  std::string folder = SentFolder() + "/" + name;
  for (int n = 2; fs::exists(folder); ++n)
    folder = SentFolder() + "/" + name + " (" + std::to_string(n) + ")";
  if (!EnsureFolder(folder)) return {false, folder, "the folder could not be made"};
  auto copy = std::make_unique<MenuDocument>(doc);
  WriteReport report = SaveProjectAs(*copy, folder + "/" + kSentProjectName);
  if (!report.ok) return report;

  std::vector<SentMenu> kept = SentMenus();
  for (std::size_t i = kSentMenusKept; i < kept.size(); ++i) {
    std::error_code ignored;
    fs::remove_all(fs::path(kept[i].project).parent_path(), ignored);
  }
  return report;
}

std::vector<SentMenu> SentMenus() {
  std::vector<SentMenu> sent;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(SentFolder(), error)) {
    fs::path project = entry.path() / kSentProjectName;
    if (entry.is_directory(error) && fs::is_regular_file(project, error)) {
      sent.push_back({entry.path().filename().string(), project.string()});
    }
  }
  // Names are the date and time written biggest unit first: their order is the order of the sends. A
  // second send within a second is " (2)", which sorts after the first.
  std::sort(sent.begin(), sent.end(), [](const SentMenu& a, const SentMenu& b) {
    return std::make_tuple(b.name.substr(0, 19), b.name.size(), b.name) <
           std::make_tuple(a.name.substr(0, 19), a.name.size(), a.name);
  });
  return sent;
}

std::optional<SentMenu> FindSentMenu(const std::string& reference) {
  std::vector<SentMenu> sent = SentMenus();
  std::size_t index = 0;
  if (reference == "sent") {
    index = 0;
  } else if (reference.rfind("sent:", 0) == 0) {
    const std::string number = reference.substr(5);
    if (number.empty() || number.size() > 4 || !std::all_of(number.begin(), number.end(), ::isdigit))
      return {};
    int n = std::stoi(number);
    if (n < 1) return {};
    index = static_cast<std::size_t>(n - 1);
  } else {
    for (const SentMenu& menu : sent) {
      if (menu.name == reference) return menu;
    }
    return {};
  }
  if (index >= sent.size()) return {};
  return sent[index];
}

std::string ChangesSinceLastSend(const MenuDocument& doc) {
  std::vector<SentMenu> sent = SentMenus();
  auto last = std::make_unique<MenuDocument>();
  if (sent.empty() || !ReadSentMenu(sent.front(), *last))
    return "No send is kept yet: the whole menu goes out.";
  MenuDiff diff = CompareMenus(*last, doc);
  if (diff.Empty()) return "Nothing changed since the last send (" + sent.front().name + ").";
  return "Since the last send (" + sent.front().name + "): " + diff.Summary() + ".";
}

bool ReadSentMenu(const SentMenu& sent, MenuDocument& doc) {
  std::error_code error;
  if (!fs::is_regular_file(sent.project, error)) return false;
  auto loaded = std::make_unique<MenuDocument>();
  LoadProject(*loaded, sent.project);
  doc = std::move(*loaded);
  return true;
}

}  // namespace tabulo
