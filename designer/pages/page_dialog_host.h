#pragma once
// What the line order, default colours and background windows need of the main window: the document, the
// questions to the user, the window that owns them, the current page and the two redraws. The windows hold
// no page or line of their own; they ask for the page at the moment they write.

#include <functional>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"
#include "platform/user_prompts.h"

class QWidget;

namespace tabulo {

struct PageDialogHost {
  MenuDocument* doc = nullptr;
  UserPrompts* prompts = nullptr;
  QWidget* owner = nullptr;            // the main window; each dialog is a window of its own
  std::function<int()> current_page;   // the caption of `Page`
  std::function<void()> update_page;   // `Update_Page`
  std::function<void()> refresh_page;  // `Refresh_Page`
  std::function<std::vector<std::string>()> printer_fonts;  // the chosen printer's fonts; unset: no printer
};

}  // namespace tabulo
