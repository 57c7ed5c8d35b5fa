#pragma once
// The page view: everything the current page shows, computed from the document in one place. The main window
// copies it onto its widgets and printing draws from it, so there is one rule for what a line looks like.
// Computing the view also makes the two write-backs a redraw always made: an empty page colour becomes the
// pale-yellow default, and a picture found elsewhere than its field said is stored as found
// (picture_paths.h).

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "designer/document/menu_document.h"
#include "designer/storage/picture_paths.h"

namespace tabulo {

// Colours are Windows RGB values: red in the low byte.
inline constexpr int32_t kPageDefaultColor = 14745599;  // pale yellow
inline constexpr const char* kPageDefaultColorText = "14745599";
inline constexpr int32_t kWhite = 16777215;
inline constexpr int32_t kBlack = 0;
// The colours of the three line styles when a setting holds no usable colour.
inline constexpr int32_t kBuiltinStyleBack[3] = {33023, 0, 15724527};
inline constexpr int32_t kBuiltinStyleFore[3] = {0, 16777215, 0};

// Geometry of the page grid in twips, as the grid and the group-picture cells are laid out.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kLineTopTwips = 360;   // top of line 0
inline constexpr int kLineStepTwips = 360;  // from one line to the next
inline constexpr int kCellHeightTwips = 375;
inline constexpr double kMillimetresPerLine = 6.88;

inline constexpr int kFontSizeText = 13;
inline constexpr int kFontSizeTitle = 14;
inline constexpr int kFontSizeNote = 9;
inline constexpr int kFontSizeGroupTitle = 9;

// Without a window a readable file is taken as a picture that can be shown.
bool PictureFileReadable(const std::string& path);

struct SideView {
  int32_t back_color = kPageDefaultColor;
  std::string picture;  // the file to show; "" for none
};

struct LineStyle {
  int32_t back_color = 0;  // of the line text and its price
  int32_t fore_color = 0;
  int font_size = kFontSizeText;
};

struct LineView {
  // Front side.
  std::string text;                // `Linhas` text
  std::string tag;                 // `Linhas` tag: catalogue index of the PLU shown, "" for none
  std::string price;               // `Price` text
  std::optional<LineStyle> style;  // nothing for a line kind the designer does not know: keep what is shown
  // Back side.
  std::string title_text;  // `LinhasVerso` text
  int32_t title_back_color = kWhite;
  int32_t title_fore_color = kBlack;
  int title_font_size = kFontSizeGroupTitle;
  bool cell_visible = true;                  // `Imagem` shown (hidden under the picture of its group)
  int cell_height_twips = kCellHeightTwips;  // stretched over its group when it holds a group picture
  std::string cell_tag = "0";                // the group picture's height in millimetres, as text
  std::string cell_picture;                  // the group picture to show; "" for none
};

struct PageView {
  int page = 1;
  SideView front;                     // side A
  SideView back;                      // side B
  std::optional<std::string> plaque;  // nothing: a lettering scheme the designer does not know, keep it
  std::string font_name;
  std::array<LineView, kLinesPerPage> lines;
};

// The view of page `page` (1..14); makes the redraw's write-backs in `doc`.
PageView BuildPageView(MenuDocument& doc, int page, const PictureProbe& probe = PictureFileReadable);

// The plaque letter of a page under the document's lettering scheme.
std::optional<std::string> PlaqueLetter(const MenuDocument& doc, int page);

// The colour a colour field holds, or `fallback` when it holds no usable colour (text that is not a number,
// or a number outside the RGB range). Such text can only come from an edited file; drawing goes on.
int32_t ColourValue(const std::string& text, int32_t fallback);

}  // namespace tabulo
