#pragma once
// The controls of the page area: the front side (`Frame4` with `Picture1`, the 24 lines and the page
// buttons) and the back side (`Frame5` with `Picture2` and the 24 group cells). Built in one place at the
// twips geometry of the page grid; copies a page view and a layout onto the controls. Control arrays keep
// one object name, their index in the property "Index", in line order.

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <array>
#include <string>

#include "designer/pages/page_layout.h"
#include "designer/pages/page_view.h"

namespace tabulo {

class PageGrid {
 public:
  explicit PageGrid(QWidget* parent);

  QFrame* Frame4 = nullptr;
  QFrame* Frame5 = nullptr;
  QLabel* Picture1 = nullptr;
  QLabel* Picture2 = nullptr;
  QLabel* Page_text = nullptr;
  QLabel* Page = nullptr;
  QLabel* Plaque = nullptr;
  QPushButton* Command14 = nullptr;  // "Previous Page"
  QPushButton* Command15 = nullptr;  // "Next Page"
  QPushButton* InsertPage = nullptr;
  QPushButton* DeletePage = nullptr;
  std::array<QLineEdit*, kLinesPerPage> Linhas{};
  std::array<QLineEdit*, kLinesPerPage> Price{};
  std::array<QPushButton*, kLinesPerPage> Command12{};
  std::array<QPushButton*, kLinesPerPage> Remove{};
  std::array<QLabel*, kLinesPerPage> Imagem{};
  std::array<QLineEdit*, kLinesPerPage> LinhasVerso{};

  // Copies a view onto the controls. The caller holds the grid's PageUpdating while it runs.
  void Apply(const PageView& view);
  // Places the frames and the controls the layout switch moves.
  void ApplyLayout(const MainLayout& layout);
  // The page grows with the window, `x` across and `y` down: the pictures with it, and the lines' fonts by
  // the smaller of the two.
  void SetScale(double x, double y);

  // Whether a picture can be shown, loading it into the cache the drawing then takes it from.
  static bool CanShow(const std::string& path);

 private:
  static QPixmap Picture(const std::string& path, QSizeF scale = {1, 1});
  void SetFont(QWidget* widget, const QString& name, double point_size);
  void SetPriceFont(QLineEdit* box, const QString& name, double point_size);
  void ShowPicture(QLabel* box, const std::string& path);

  double font_scale_ = 1;
  QSizeF picture_scale_{1, 1};
};

// A Windows RGB value (red in the low byte) as a colour.
QColor ColourOf(int32_t rgb);
// A widget placed at a twips rectangle (relative to its parent), at the scale of the area it lies in. The
// rectangle is kept, so that the area can be scaled again.
void PlaceAt(QWidget* widget, const TwipsRect& rect);
template <class W>
W* Placed(W* widget, const TwipsRect& rect) {
  PlaceAt(widget, rect);
  return widget;
}
// A placed widget given another height in twips.
void SetTwipsHeight(QWidget* widget, int height);
// Scales every widget placed under `area` by `x` across and `y` down (1 at the design size), and the
// area's font by the smaller of the two: the main window's page and panels grow with the window.
void ScaleTwipsArea(QWidget* area, double x, double y);

}  // namespace tabulo
