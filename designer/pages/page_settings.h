#pragma once
// The menu-wide display settings (style colours, default page colour, font, currency) and the background of
// each side of each page, as the default colours and background dialogs read and write them. Colours are
// Windows RGB values stored as decimal text; a colour that is not stored leaves the setting as it was.

#include <cstdint>
#include <string>

#include "designer/document/menu_document.h"

namespace tabulo {

inline constexpr int kSideFront = 1;  // side A, `Picture1`
inline constexpr int kSideBack = 2;   // side B, `Picture2`

inline constexpr const char* kBackgroundPicturePattern = "*.JPG";

// The decimal text a colour is stored as.
std::string ColourText(int32_t colour);

// The colour a style (0 text, 1 title, 2 note) draws with by default: its setting, or the built-in colour
// when the setting holds none.
int32_t StyleColour(const MenuDocument& doc, int style, bool back);
void StoreStyleColour(MenuDocument& doc, int style, bool back, int32_t colour);
int32_t DefaultPageColour(const MenuDocument& doc);
void StoreDefaultPageColour(MenuDocument& doc, int32_t colour);

// The background of `side` (1 front, 2 back) of `page` (1..14), as the page shows it: an empty colour is
// shown pale yellow. A side or page outside the range reads as the default and stores nothing.
int32_t SideColour(const MenuDocument& doc, int page, int side);
std::string SidePicture(const MenuDocument& doc, int page, int side);
void StoreSideColour(MenuDocument& doc, int page, int side, int32_t colour);
void StoreSidePicture(MenuDocument& doc, int page, int side, const std::string& picture);

}  // namespace tabulo
