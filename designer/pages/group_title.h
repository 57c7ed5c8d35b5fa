#pragma once
// The rules of the group title dialog ("Group Title"): a heading beside a run of lines of a page, with its
// colours, picture and texts in five languages. Everything lives in the line slots; the start slot is
// computed from the current page and `CurrentLine` at the moment of every write, so paging on the main
// window while the dialog is open sends later writes to the same line of the new page.

#include <cstdint>
#include <optional>
#include <string>

#include "designer/document/menu_document.h"
#include "designer/pages/line_editor.h"

namespace tabulo {

inline constexpr const char* kPicturePattern = "*.JPG";
inline constexpr const char* kPictureDialogTitle = "Background picture";

// The start slot of the group title on `page`; nothing for a hand-over outside the page.
std::optional<int> GroupStartSlot(const MenuDocument& doc, int page);

// The last slot of the group that starts at `start`: the lines after it on the same page up to, not
// including, the next line with a group-title text, or the page's last line.
int GroupLastSlot(const MenuDocument& doc, int start);

// What `Form_Load` puts into the controls. Loading stores the style-0 colours into a line without title
// colours.
struct GroupTitleLoad {
  std::string title;  // `Label1` and `Text3`(0): the text handed over
  int32_t back_color = 0;
  int32_t fore_color = 0;
  std::string picture;  // `Text1`
  LanguageRows languages;
};
GroupTitleLoad LoadGroupTitle(MenuDocument& doc, int page);

// `Text3_Change`(row): the title's text in a language; row 0 is the title itself.
void StoreGroupTitleText(MenuDocument& doc, int page, int row, const std::string& text);
// `Text1_Change`: the group's picture file.
void StoreGroupPicture(MenuDocument& doc, int page, const std::string& picture);

// A colour chosen for the title; stored only while "Visible on left page also." is ticked.
void StoreGroupColour(MenuDocument& doc, int page, bool back, int32_t colour, bool visible_on_left);

// The controls Create and Remove read.
struct GroupTitleFields {
  std::string title;  // the text shown by `Label1`
  int32_t back_color = 0;
  int32_t fore_color = 0;
  bool visible_on_left = true;
  std::string picture;  // `Text1`
};

// "Create group title": the start line marked 4, the group coloured, its following lines marked 5 when the
// group has a picture.
void CreateGroupTitle(MenuDocument& doc, int page, const GroupTitleFields& fields);
// "Remove group title": the mark and every colour of the group cleared; text and picture stay.
void RemoveGroupTitle(MenuDocument& doc, int page, const std::string& title);

}  // namespace tabulo
