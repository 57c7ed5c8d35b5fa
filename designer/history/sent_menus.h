#pragma once
// The menus as last sent: every send the base confirmed keeps a copy of the menu as it was sent in the
// maker folder's "sent" folder, one project per send named after its date and time, the newest 50 kept.
// The send dialog compares the menu with the newest, "Revert to the menu last sent" loads it, and
// `tabulo history` / `tabulo diff` list and read them.

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/storage/project_files.h"

namespace tabulo {

inline constexpr int kSentMenusKept = 50;
inline constexpr const char* kSentFolderName = "sent";

struct SentMenu {
  std::string name;     // "2026-12-08 10-15-30": the local date and time of the send
  std::string project;  // the copy's project file
};

// The "sent" folder of the maker folder.
std::string SentFolder();

// A copy of `doc` as sent at `when`, as a project of its own; the oldest beyond the newest 50 are
// deleted. Pictures are kept by name, as the menu names them. The report says where a write failed.
WriteReport KeepSentMenu(const MenuDocument& doc, std::time_t when);

// The sends kept, newest first.
std::vector<SentMenu> SentMenus();

// A send named as `tabulo diff` takes it: "sent" or "sent:1" the newest, "sent:N" the Nth newest, or the
// name of one ("2026-12-08 10-15-30"); nothing when there is no such send.
std::optional<SentMenu> FindSentMenu(const std::string& reference);

// What the send dialog says before a send: what changed from the newest kept send to `doc`
// ("Since the last send (2026-12-08 10-15-30): 3 prices, 1 new dish, page 4 reordered."), that nothing did,
// or that no send is kept yet.
std::string ChangesSinceLastSend(const MenuDocument& doc);

// The menu of a kept send read into `doc` (which is emptied first); false when it cannot be read.
bool ReadSentMenu(const SentMenu& sent, MenuDocument& doc);

}  // namespace tabulo
