#include "designer/pages/page_layout.h"

#include "designer/pages/page_view.h"

namespace tabulo {
namespace {

constexpr int kFrame3LeftDesign = 12580;
constexpr int kFrame3LeftModifiers = 4560;

// Offsets of the design layout; the modifier layout takes them back.
constexpr int kFrame4Shift = 5000;
constexpr int kPageWiden = 3000;
constexpr int kLineWiden = 2300;
constexpr int kPriceWiden = 700;

int LineTop(int k) {
  return kLineTopTwips + kLineStepTwips * k;
}

}  // namespace

MainLayout InitialLayout() {
  MainLayout layout;
  // Front side: the frame holds the page and, under it, the page buttons.
  layout.frame4 = {60, 60, 4500, 9960};
  layout.picture1 = {30, 120, 4455, 9135};
  layout.command14 = {30, 9360, 1290, 375};
  layout.insert_page = {1350, 9360, 540, 375};
  layout.delete_page = {2610, 9360, 600, 375};
  layout.command15 = {3270, 9360, 1200, 375};
  for (int k = 0; k < kLinesPerPage; ++k) {
    layout.remove[k] = {120, LineTop(k), 255, 255};
    layout.linhas[k] = {480, LineTop(k), 2655, 285};
    layout.price[k] = {3120, LineTop(k), 615, 285};
    layout.command12[k] = {3840, LineTop(k), 495, 255};
    layout.imagem[k] = {0, LineTop(k), 4800, kCellHeightTwips};
  }
  // Back side, left of the front side in the design layout.
  layout.frame5 = {60, 60, 4995, 9960};
  layout.picture2 = {30, 120, 4935, 9135};
  // Catalogue panel, then the modifier panel to its right.
  layout.frame3 = {kFrame3LeftModifiers, 60, 4200, 9960};
  layout.expand = {120, 9360, 3960, 375};
  layout.frame2 = {8820, 60, 7980, 9960};
  return layout;
}

void SwitchLayout(MainLayout& layout) {
  const bool to_design = layout.expand_caption == kDesignCaption;
  const int sign = to_design ? 1 : -1;
  layout.expand_caption = to_design ? kModifiersCaption : kDesignCaption;
  layout.frame2_visible = !to_design;
  layout.frame5_visible = to_design;
  layout.frame3.left = to_design ? kFrame3LeftDesign : kFrame3LeftModifiers;
  layout.frame4.left += sign * kFrame4Shift;
  layout.frame4.width += sign * kPageWiden;
  layout.command15.left += sign * kPageWiden;
  layout.delete_page.left += sign * kPageWiden;
  layout.picture1.width += sign * kPageWiden;
  for (int k = 0; k < kLinesPerPage; ++k) {
    layout.linhas[k].width += sign * kLineWiden;
    layout.price[k].left += sign * kLineWiden;
    layout.price[k].width += sign * kPriceWiden;
    layout.command12[k].left += sign * kPageWiden;
  }
}

}  // namespace tabulo
