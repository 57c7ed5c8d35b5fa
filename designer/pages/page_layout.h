#pragma once
// The two layouts of the main window, in twips: the design layout (wide page, back side shown) and the
// modifier layout (narrow page beside the modifier panel). A switch moves and resizes by fixed offsets from
// the current positions, so two switches restore every position and size exactly. Kept in twips, and turned
// into pixels only when applied, so no rounding accumulates.

#include <array>
#include <string>

#include "designer/document/menu_document.h"

namespace tabulo {

inline constexpr const char* kDesignCaption = "Design the Menu";
inline constexpr const char* kModifiersCaption = "Configure the Modifiers";

struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool operator==(const TwipsRect&) const = default;
};

constexpr int TwipsToPixels(int twips) {
  return (twips * 2 + 15) / 30;
}  // 15 twips per pixel, rounded

struct MainLayout {
  std::string expand_caption = kDesignCaption;  // names the layout the next click selects
  bool frame2_visible = true;                   // modifier definitions panel
  bool frame5_visible = false;                  // back side
  TwipsRect frame2, frame3, frame4, frame5;
  TwipsRect picture1, picture2;
  TwipsRect command14, command15, insert_page, delete_page, expand;
  std::array<TwipsRect, kLinesPerPage> linhas, price, command12, remove, imagem;

  bool operator==(const MainLayout&) const = default;
};

// The layout the window opens in: the modifier layout, with the grid's design-time geometry.
MainLayout InitialLayout();
// `Expand_Click`: the other layout.
void SwitchLayout(MainLayout& layout);

// Size of the main window's client area, in twips.
inline constexpr int kWindowWidthTwips = 16860;
inline constexpr int kWindowHeightTwips = 10200;

}  // namespace tabulo
