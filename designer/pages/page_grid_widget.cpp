#include "designer/pages/page_grid_widget.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cmath>

#include "designer/pages/widget_helpers.h"

namespace tabulo {
namespace {

void SetColours(QWidget* widget, QPalette::ColorRole back_role, int32_t back, int32_t fore) {
  // A palette change restyles the widget; most lines keep their colours from page to page.
  QPalette palette = widget->palette();
  const QColor back_colour = ColourOf(back), fore_colour = ColourOf(fore);
  if (palette.color(back_role) == back_colour && palette.color(QPalette::Text) == fore_colour &&
      palette.color(QPalette::WindowText) == fore_colour) {
    return;
  }
  palette.setColor(back_role, back_colour);
  palette.setColor(QPalette::Text, fore_colour);
  palette.setColor(QPalette::WindowText, fore_colour);
  widget->setPalette(palette);
}

// Where a widget's twips rectangle and an area's scale are kept.
constexpr const char* kTwipsProperty = "Twips";
constexpr const char* kScaleProperty = "TwipsScale";
// The page's own font size of a line box, before the window's scale; the picture a box shows.
constexpr const char* kPointSizeProperty = "PointSize";
constexpr const char* kPicturePathProperty = "PicturePath";

int ScaledPixels(int twips, double scale) {
  return static_cast<int>(std::lround(twips * scale / 15.0));
}

QPointF ScaleOf(const QWidget* widget) {
  for (const QWidget* area = widget->parentWidget(); area; area = area->parentWidget()) {
    QVariant scale = area->property(kScaleProperty);
    if (scale.isValid()) return scale.toPointF();
  }
  return {1, 1};
}

void Place(QWidget* widget, const QRect& twips, QPointF scale) {
  if (scale == QPointF(1, 1)) {
    widget->setGeometry(TwipsToPixels(twips.left()), TwipsToPixels(twips.top()), TwipsToPixels(twips.width()),
                        TwipsToPixels(twips.height()));
    return;
  }
  const int left = ScaledPixels(twips.left(), scale.x()), top = ScaledPixels(twips.top(), scale.y());
  // Right and bottom edges scaled like the positions, so that neighbours meet as they do at design size.
  widget->setGeometry(left, top, ScaledPixels(twips.left() + twips.width(), scale.x()) - left,
                      ScaledPixels(twips.top() + twips.height(), scale.y()) - top);
}

QLabel* PictureBox(QWidget* parent, const char* name) {
  auto* box = Named(new QLabel(parent), name);
  box->setAutoFillBackground(true);
  box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return box;
}

QLineEdit* LineBox(QWidget* parent, const char* name, int index) {
  auto* box = Named(new QLineEdit(parent), name, index);
  box->setFrame(false);
  box->setTextMargins(0, 0, 0, 0);
  return box;
}

// The price box: framed, so that it reads as a field of its own beside the line's text. Its font is the
// line's, made smaller only when the price would not fit whole: the narrow modifier layout showed "12.50"
// as "l2.50", its first digit cut off.
constexpr int kSmallestPricePoints = 5;
constexpr const char* kWantedPoints = "WantedPointSize";

QLineEdit* PriceBox(QWidget* parent, int index) {
  auto* box = new QLineEdit(parent);
  box->setObjectName("Price");
  box->setProperty("Index", index);
  box->setTextMargins(0, 0, 0, 0);
  return box;
}

// The width of the line a line edit draws its text on: its contents less the margin it keeps on each side.
int LineWidth(const QLineEdit* box) {
  QStyleOptionFrame option;
  option.initFrom(box);
  option.rect = box->rect();
  option.lineWidth =
      box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
  constexpr int kLineEditMargin = 2;
  return box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box).width() -
         2 * kLineEditMargin;
}

// Whether the text fits without scrolling: the line edit wants room for the text, a pixel and the cursor,
// and for a glyph reaching left of its origin.
bool FitsWhole(const QString& text, const QFont& font, int line_width) {
  const QFontMetrics metrics(font);
  constexpr int kCursorAndPixel = 2;
  return metrics.horizontalAdvance(text) + kCursorAndPixel + std::max(0, -metrics.minLeftBearing()) <=
         line_width;
}

void FitPrice(QLineEdit* box) {
  QFont font = box->font();
  const double wanted =
      box->property(kWantedPoints).isValid() ? box->property(kWantedPoints).toDouble() : font.pointSizeF();
  const int line_width = LineWidth(box);
  double size = wanted;
  for (; size > kSmallestPricePoints; size -= 1) {
    font.setPointSizeF(size);
    if (FitsWhole(box->text(), font, line_width)) break;
  }
  font.setPointSizeF(std::max<double>(size, kSmallestPricePoints));
  if (box->font() != font) box->setFont(font);
}

}  // namespace

QColor ColourOf(int32_t rgb) {
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

void PlaceAt(QWidget* widget, const TwipsRect& rect) {
  const QRect twips(rect.left, rect.top, rect.width, rect.height);
  widget->setProperty(kTwipsProperty, twips);
  Place(widget, twips, ScaleOf(widget));
}

void SetTwipsHeight(QWidget* widget, int height) {
  QRect twips = widget->property(kTwipsProperty).toRect();
  twips.setHeight(height);
  PlaceAt(widget, {twips.left(), twips.top(), twips.width(), twips.height()});
}

void ScaleTwipsArea(QWidget* area, double x, double y) {
  const QPointF scale(x, y);
  area->setProperty(kScaleProperty, scale);
  QFont font = QApplication::font();
  font.setPointSizeF(font.pointSizeF() * std::min(x, y));
  area->setFont(font);
  for (QWidget* widget : area->findChildren<QWidget*>()) {
    QVariant twips = widget->property(kTwipsProperty);
    if (twips.isValid()) Place(widget, twips.toRect(), scale);
  }
}

PageGrid::PageGrid(QWidget* parent) {
  const MainLayout layout = InitialLayout();
  Frame4 = new QFrame(parent);
  Frame4->setObjectName("Frame4");
  Picture1 = PictureBox(Frame4, "Picture1");
  Page_text = new QLabel("Page", Picture1);
  Page_text->setObjectName("Page_text");
  PlaceAt(Page_text, {480, 60, 600, 255});
  Page = new QLabel("1", Picture1);
  Page->setObjectName("Page");
  PlaceAt(Page, {1080, 60, 600, 255});
  Plaque = new QLabel(Picture1);
  Plaque->setObjectName("Plaque");
  PlaceAt(Plaque, {1800, 60, 600, 255});
  for (int k = 0; k < kLinesPerPage; ++k) {
    Remove[k] = Named(new QPushButton("", Picture1), "Remove");
    Remove[k]->setProperty("Index", k);
    Linhas[k] = LineBox(Picture1, "Linhas", k);
    Price[k] = PriceBox(Picture1, k);
    QObject::connect(Price[k], &QLineEdit::textChanged, Price[k], [box = Price[k]] { FitPrice(box); });
    Command12[k] = Named(new QPushButton("<-", Picture1), "Command12");
    Command12[k]->setProperty("Index", k);
    PlaceAt(Remove[k], layout.remove[k]);
  }
  Command14 = Named(new QPushButton("Previous Page", Frame4), "Command14");
  InsertPage = Named(new QPushButton("Ins", Frame4), "InsertPage");
  DeletePage = Named(new QPushButton("Del", Frame4), "DeletePage");
  Command15 = Named(new QPushButton("Next Page", Frame4), "Command15");

  Frame5 = new QFrame(parent);
  Frame5->setObjectName("Frame5");
  Picture2 = PictureBox(Frame5, "Picture2");
  PlaceAt(Picture2, layout.picture2);
  for (int k = 0; k < kLinesPerPage; ++k) {
    Imagem[k] = PictureBox(Picture2, "Imagem");
    Imagem[k]->setProperty("Index", k);
    Imagem[k]->setAutoFillBackground(false);
    PlaceAt(Imagem[k], layout.imagem[k]);
    LinhasVerso[k] = LineBox(Imagem[k], "LinhasVerso", k);
    PlaceAt(LinhasVerso[k], {0, 0, layout.imagem[k].width, 285});
  }
  ApplyLayout(layout);
}

void PageGrid::SetFont(QWidget* widget, const QString& name, double point_size) {
  widget->setProperty(kPointSizeProperty, point_size);
  QFont font = widget->font();
  const double scaled = point_size * font_scale_;
  if (font.family() == name && font.pointSizeF() == scaled) return;
  font.setFamily(name);
  font.setPointSizeF(scaled);
  widget->setFont(font);
}

// The price box takes the line's font at the window's scale, then as much of it as the price leaves room for.
void PageGrid::SetPriceFont(QLineEdit* box, const QString& name, double point_size) {
  SetFont(box, name, point_size);
  box->setProperty(kWantedPoints, point_size * font_scale_);
  FitPrice(box);
}

void PageGrid::SetScale(double x, double y) {
  font_scale_ = std::min(x, y);
  picture_scale_ = {x, y};
  for (const auto* boxes : {&Linhas, &LinhasVerso}) {
    for (QLineEdit* box : *boxes) {
      QVariant size = box->property(kPointSizeProperty);
      if (size.isValid()) SetFont(box, box->font().family(), size.toDouble());
    }
  }
  for (QLineEdit* box : Price) {
    QVariant size = box->property(kPointSizeProperty);
    if (size.isValid()) SetPriceFont(box, box->font().family(), size.toDouble());
  }
  ShowPicture(Picture1, Picture1->property(kPicturePathProperty).toString().toStdString());
  ShowPicture(Picture2, Picture2->property(kPicturePathProperty).toString().toStdString());
  for (QLabel* cell : Imagem)
    ShowPicture(cell, cell->property(kPicturePathProperty).toString().toStdString());
}

void PageGrid::ShowPicture(QLabel* box, const std::string& path) {
  box->setProperty(kPicturePathProperty, Q(path));
  QPixmap picture = path.empty() ? QPixmap() : Picture(path, picture_scale_);
  if (picture.isNull()) {
    if (!box->pixmap().isNull()) box->clear();
  } else {
    box->setPixmap(picture);
  }
}

void PageGrid::ApplyLayout(const MainLayout& layout) {
  PlaceAt(Frame4, layout.frame4);
  PlaceAt(Frame5, layout.frame5);
  Frame5->setVisible(layout.frame5_visible);
  PlaceAt(Picture1, layout.picture1);
  PlaceAt(Command14, layout.command14);
  PlaceAt(Command15, layout.command15);
  PlaceAt(InsertPage, layout.insert_page);
  PlaceAt(DeletePage, layout.delete_page);
  for (int k = 0; k < kLinesPerPage; ++k) {
    PlaceAt(Linhas[k], layout.linhas[k]);
    PlaceAt(Price[k], layout.price[k]);
    FitPrice(Price[k]);
    PlaceAt(Command12[k], layout.command12[k]);
  }
}

QPixmap PageGrid::Picture(const std::string& path, QSizeF scale) {
  // Keyed by the file's time and size too, so a picture replaced on disk is read again.
  QFileInfo info(Q(path));
  if (!info.isFile()) return {};
  QString key = info.absoluteFilePath() + '|' + QString::number(info.lastModified().toMSecsSinceEpoch()) +
                '|' + QString::number(info.size());
  const bool scaled = scale != QSizeF(1, 1);
  if (scaled) key += '|' + QString::number(scale.width()) + 'x' + QString::number(scale.height());
  QPixmap picture;
  if (QPixmapCache::find(key, &picture)) return picture;
  if (scaled) {
    // The picture grows with the page it lies on, made once for each size of the window.
    QPixmap original = Picture(path);
    if (original.isNull()) return {};
    picture =
        original.scaled(QSizeF(original.width() * scale.width(), original.height() * scale.height()).toSize(),
                        Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  } else if (!picture.load(info.absoluteFilePath())) {
    return {};
  }
  QPixmapCache::insert(key, picture);
  return picture;
}

bool PageGrid::CanShow(const std::string& path) {
  return !Picture(path).isNull();
}

void PageGrid::Apply(const PageView& view) {
  SetColours(Picture1, QPalette::Window, view.front.back_color, kBlack);
  SetColours(Picture2, QPalette::Window, view.back.back_color, kBlack);
  ShowPicture(Picture1, view.front.picture);
  ShowPicture(Picture2, view.back.picture);
  if (view.plaque) Plaque->setText(Q(*view.plaque));

  const QString font_name = Q(view.font_name);
  for (int k = 0; k < kLinesPerPage; ++k) {
    const LineView& line = view.lines[k];
    Linhas[k]->setText(Q(line.text));
    Linhas[k]->setProperty("Tag", Q(line.tag));
    Price[k]->setText(Q(line.price));
    if (line.style) {
      SetColours(Linhas[k], QPalette::Base, line.style->back_color, line.style->fore_color);
      SetColours(Price[k], QPalette::Base, line.style->back_color, line.style->fore_color);
      SetFont(Linhas[k], font_name, line.style->font_size);
      SetPriceFont(Price[k], font_name, line.style->font_size);
    } else {
      // A line without a style keeps the size it had.
      auto size_of = [this](QWidget* box) {
        QVariant size = box->property(kPointSizeProperty);
        return size.isValid() ? size.toDouble() : box->font().pointSizeF() / font_scale_;
      };
      SetFont(Linhas[k], font_name, size_of(Linhas[k]));
      SetPriceFont(Price[k], font_name, size_of(Price[k]));
    }
    LinhasVerso[k]->setText(Q(line.title_text));
    SetColours(LinhasVerso[k], QPalette::Base, line.title_back_color, line.title_fore_color);
    SetFont(LinhasVerso[k], font_name, line.title_font_size);

    QLabel* cell = Imagem[k];
    if (cell->property(kTwipsProperty).toRect().height() != line.cell_height_twips) {
      SetTwipsHeight(cell, line.cell_height_twips);
    }
    cell->setProperty("Tag", Q(line.cell_tag));
    ShowPicture(cell, line.cell_picture);
    cell->setVisible(line.cell_visible);
  }
}

}  // namespace tabulo
