#include "designer/pages/group_title.h"

#include <algorithm>

#include "designer/document/numbers.h"
#include "designer/pages/page_view.h"

namespace tabulo {
namespace {

// Colours the line as the group's: title colours while they are visible on the left page, and the line
// colours of empty and PLU lines; title and note lines keep their own.
void ColourLine(MenuDocument& doc, int s, const GroupTitleFields& fields) {
  LineLayoutRecord& layout = doc.LineLayout[s];
  const std::string back = DecimalText(fields.back_color);
  const std::string fore = DecimalText(fields.fore_color);
  if (fields.visible_on_left) {
    layout.TitleBackColor = back;
    layout.TitleForeColor = fore;
  }
  if (layout.Kind < kKindTitle) {
    layout.LineBackColor = back;
    layout.LineForeColor = fore;
  }
}

}  // namespace

std::optional<int> GroupStartSlot(const MenuDocument& doc, int page) {
  const int line = doc.Hand.CurrentLine;
  if (page < 1 || page > kPages || line < 0 || line >= kLinesPerPage) return std::nullopt;
  return SlotOf(page, line);
}

int GroupLastSlot(const MenuDocument& doc, int start) {
  const int page_index = start / kLinesPerPage;
  int s = start;
  while (s + 1 < kPageSlots && (s + 1) / kLinesPerPage == page_index &&
         doc.LineLayout[s + 1].TitleText.empty()) {
    ++s;
  }
  return s;
}

GroupTitleLoad LoadGroupTitle(MenuDocument& doc, int page) {
  GroupTitleLoad load;
  load.title = doc.Hand.EditTitleText;
  load.languages.texts[0] = load.title;
  for (int i = 0; i < kLanguages; ++i) load.languages.names[i] = doc.Lang(0, i + 1);
  auto s0 = GroupStartSlot(doc, page);
  if (!s0) {
    load.back_color = kWhite;
    load.fore_color = kBlack;
    return load;
  }
  LineLayoutRecord& layout = doc.LineLayout[*s0];
  if (Trim(layout.TitleBackColor).empty() || Trim(layout.TitleForeColor).empty()) {
    layout.TitleBackColor = doc.StyleBackColor[kStyleText];
    layout.TitleForeColor = doc.StyleForeColor[kStyleText];
  }
  load.back_color = ColourValue(layout.TitleBackColor, kWhite);
  load.fore_color = ColourValue(layout.TitleForeColor, kBlack);
  load.picture = layout.TitlePicture;
  for (int i = 1; i < kLanguages; ++i) load.languages.texts[i] = doc.Lang(kLangRowTitleText + *s0, i + 1);
  return load;
}

void StoreGroupTitleText(MenuDocument& doc, int page, int row, const std::string& text) {
  auto s0 = GroupStartSlot(doc, page);
  if (!s0 || row < 0 || row >= kLanguages) return;
  doc.Lang(kLangRowTitleText + *s0, row + 1) = text;
  if (row == 0) doc.LineLayout[*s0].TitleText = text;
}

void StoreGroupPicture(MenuDocument& doc, int page, const std::string& picture) {
  if (auto s0 = GroupStartSlot(doc, page)) doc.LineLayout[*s0].TitlePicture = picture;
}

void StoreGroupColour(MenuDocument& doc, int page, bool back, int32_t colour, bool visible_on_left) {
  if (!visible_on_left) return;
  auto s0 = GroupStartSlot(doc, page);
  if (!s0) return;
  LineLayoutRecord& layout = doc.LineLayout[*s0];
  (back ? layout.TitleBackColor : layout.TitleForeColor) = DecimalText(colour);
}

void CreateGroupTitle(MenuDocument& doc, int page, const GroupTitleFields& fields) {
  auto s0 = GroupStartSlot(doc, page);
  if (!s0) return;
  LineLayoutRecord& start = doc.LineLayout[*s0];
  start.TitleMark = kTitleMarkStart;
  start.TitleText = fields.title;
  ColourLine(doc, *s0, fields);
  const int last = GroupLastSlot(doc, *s0);
  for (int s = *s0 + 1; s <= last; ++s) {
    ColourLine(doc, s, fields);
    LineLayoutRecord& layout = doc.LineLayout[s];
    if (!fields.picture.empty()) {
      layout.TitleMark = kTitleMarkPictureCovered;
    } else if (layout.TitleMark == kTitleMarkPictureCovered) {
      // Left from an earlier group that had a picture: the page would hide these lines' title boxes under
      // a picture that is no longer there.
      layout.TitleMark = 0;
    }
  }
}

void RemoveGroupTitle(MenuDocument& doc, int page, const std::string& title) {
  auto s0 = GroupStartSlot(doc, page);
  if (!s0) return;
  doc.LineLayout[*s0].TitleMark = 0;
  doc.LineLayout[*s0].TitleText = title;
  const int last = GroupLastSlot(doc, *s0);
  for (int s = *s0; s <= last; ++s) {
    LineLayoutRecord& layout = doc.LineLayout[s];
    layout.TitleBackColor.clear();
    layout.TitleForeColor.clear();
    layout.LineBackColor.clear();
    layout.LineForeColor.clear();
    layout.TitleMark = 0;
  }
}

}  // namespace tabulo
