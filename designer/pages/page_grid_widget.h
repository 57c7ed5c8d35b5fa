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

  // Whether a picture can be shown, loading it into the cache the drawing then takes it from.
  static bool CanShow(const std::string& path);

 private:
  static QPixmap Picture(const std::string& path);
};

// A Windows RGB value (red in the low byte) as a colour.
QColor ColourOf(int32_t rgb);
// A widget placed at a twips rectangle.
void PlaceAt(QWidget* widget, const TwipsRect& rect);

}  // namespace tabulo
