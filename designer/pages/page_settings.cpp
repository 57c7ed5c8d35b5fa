#include "designer/pages/page_settings.h"

#include "designer/pages/group_title.h"
#include "designer/pages/page_view.h"

namespace tabulo {
namespace {

bool ValidStyle(int style) {
  return style >= kStyleText && style <= kStyleNote;
}

// One body for reading and writing: `Doc` is the document, const or not.
template <class Doc>
auto SideColourField(Doc& doc, int page, int side) -> decltype(&doc.PageColorA[page]) {
  if (page < 1 || page > kPages) return nullptr;
  if (side == kSideFront) return &doc.PageColorA[page];
  if (side == kSideBack) return &doc.PageColorB[page];
  return nullptr;
}

template <class Doc>
auto SidePictureField(Doc& doc, int page, int side) -> decltype(&doc.PagePictureA[page]) {
  if (page < 1 || page > kPages) return nullptr;
  if (side == kSideFront) return &doc.PagePictureA[page];
  if (side == kSideBack) return &doc.PagePictureB[page];
  return nullptr;
}

}  // namespace

std::string ColourText(int32_t colour) {
  return std::to_string(colour);
}

int32_t StyleColour(const MenuDocument& doc, int style, bool back) {
  if (!ValidStyle(style)) return kBlack;
  return back ? ColourValue(doc.StyleBackColor[style], kBuiltinStyleBack[style])
              : ColourValue(doc.StyleForeColor[style], kBuiltinStyleFore[style]);
}

void StoreStyleColour(MenuDocument& doc, int style, bool back, int32_t colour) {
  if (!ValidStyle(style)) return;
  (back ? doc.StyleBackColor[style] : doc.StyleForeColor[style]) = ColourText(colour);
}

int32_t DefaultPageColour(const MenuDocument& doc) {
  return ColourValue(doc.DefaultPageColor, kBuiltinStyleBack[kStyleNote]);
}

void StoreDefaultPageColour(MenuDocument& doc, int32_t colour) {
  doc.DefaultPageColor = ColourText(colour);
}

int32_t SideColour(const MenuDocument& doc, int page, int side) {
  const std::string* field = SideColourField(doc, page, side);
  return field ? ColourValue(*field, kPageDefaultColor) : kPageDefaultColor;
}

std::string SidePicture(const MenuDocument& doc, int page, int side) {
  const std::string* field = SidePictureField(doc, page, side);
  return field ? *field : std::string();
}

void StoreSideColour(MenuDocument& doc, int page, int side, int32_t colour) {
  if (std::string* field = SideColourField(doc, page, side)) *field = ColourText(colour);
}

void StoreSidePicture(MenuDocument& doc, int page, int side, const std::string& picture) {
  if (std::string* field = SidePictureField(doc, page, side)) *field = picture;
}

}  // namespace tabulo
