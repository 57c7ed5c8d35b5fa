#pragma once
// What a page dialog needs of the main window: the current page, what the grid shows on a line, and the
// two redraws. The dialogs hold no page or line of their own; they ask for them at the moment they write.

#include <cstdint>
#include <functional>
#include <string>

namespace tabulo {

struct PageHost {
  std::function<int()> current_page;               // the caption of `Page`
  std::function<std::string(int line)> line_text;  // `Linhas`(k) text
  std::function<std::string(int line)> line_tag;   // `Linhas`(k) `Tag`: catalogue index, "" for no PLU
  std::function<void()> refresh_page;              // `Refresh_Page`
  std::function<void()> update_page;               // `Update_Page`
  std::function<void(int row)> select_list_row;    // selects a row of `Lista_plus` (-1 for none)
  std::function<void(int32_t plu, const std::string& text)> plu_renamed;  // the lists follow a live rename
};

}  // namespace tabulo
