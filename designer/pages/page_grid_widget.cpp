#include "designer/pages/page_grid_widget.h"

#include <QFileInfo>
#include <QFont>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace tabulo {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

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

void SetFont(QWidget* widget, const QString& name, int size) {
  QFont font = widget->font();
  if (font.family() == name && font.pointSize() == size) return;
  font.setFamily(name);
  font.setPointSize(size);
  widget->setFont(font);
}

QLabel* PictureBox(QWidget* parent, const char* name) {
  auto* box = new QLabel(parent);
  box->setObjectName(name);
  box->setAutoFillBackground(true);
  box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return box;
}

QLineEdit* LineBox(QWidget* parent, const char* name, int index) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setProperty("Index", index);
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
  const int wanted =
      box->property(kWantedPoints).isValid() ? box->property(kWantedPoints).toInt() : font.pointSize();
  const int line_width = LineWidth(box);
  int size = wanted;
  for (; size > kSmallestPricePoints; --size) {
    font.setPointSize(size);
    if (FitsWhole(box->text(), font, line_width)) break;
  }
  font.setPointSize(size);
  if (box->font() != font) box->setFont(font);
}

void SetPriceFont(QLineEdit* box, const QString& name, int size) {
  box->setProperty(kWantedPoints, size);
  QFont font = box->font();
  if (font.family() != name) {
    font.setFamily(name);
    box->setFont(font);
  }
  FitPrice(box);
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

QColor ColourOf(int32_t rgb) {
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

void PlaceAt(QWidget* widget, const TwipsRect& rect) {
  widget->setGeometry(TwipsToPixels(rect.left), TwipsToPixels(rect.top), TwipsToPixels(rect.width),
                      TwipsToPixels(rect.height));
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
    Remove[k] = Button(Picture1, "Remove", "");
    Remove[k]->setProperty("Index", k);
    Linhas[k] = LineBox(Picture1, "Linhas", k);
    Price[k] = PriceBox(Picture1, k);
    QObject::connect(Price[k], &QLineEdit::textChanged, Price[k], [box = Price[k]] { FitPrice(box); });
    Command12[k] = Button(Picture1, "Command12", "<-");
    Command12[k]->setProperty("Index", k);
    PlaceAt(Remove[k], layout.remove[k]);
  }
  Command14 = Button(Frame4, "Command14", "Previous Page");
  InsertPage = Button(Frame4, "InsertPage", "Ins");
  DeletePage = Button(Frame4, "DeletePage", "Del");
  Command15 = Button(Frame4, "Command15", "Next Page");

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

QPixmap PageGrid::Picture(const std::string& path) {
  // Keyed by the file's time and size too, so a picture replaced on disk is read again.
  QFileInfo info(Q(path));
  if (!info.isFile()) return {};
  QString key = info.absoluteFilePath() + '|' + QString::number(info.lastModified().toMSecsSinceEpoch()) +
                '|' + QString::number(info.size());
  QPixmap picture;
  if (QPixmapCache::find(key, &picture)) return picture;
  if (!picture.load(info.absoluteFilePath())) return {};
  QPixmapCache::insert(key, picture);
  return picture;
}

bool PageGrid::CanShow(const std::string& path) {
  return !Picture(path).isNull();
}

void PageGrid::Apply(const PageView& view) {
  SetColours(Picture1, QPalette::Window, view.front.back_color, kBlack);
  SetColours(Picture2, QPalette::Window, view.back.back_color, kBlack);
  auto show = [](QLabel* box, const std::string& path) {
    QPixmap picture = path.empty() ? QPixmap() : Picture(path);
    if (picture.isNull()) {
      if (!box->pixmap().isNull()) box->clear();
    } else {
      box->setPixmap(picture);
    }
  };
  show(Picture1, view.front.picture);
  show(Picture2, view.back.picture);
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
      SetFont(Linhas[k], font_name, Linhas[k]->font().pointSize());
      SetPriceFont(Price[k], font_name,
                   Price[k]->property(kWantedPoints).isValid() ? Price[k]->property(kWantedPoints).toInt()
                                                               : Price[k]->font().pointSize());
    }
    LinhasVerso[k]->setText(Q(line.title_text));
    SetColours(LinhasVerso[k], QPalette::Base, line.title_back_color, line.title_fore_color);
    SetFont(LinhasVerso[k], font_name, line.title_font_size);

    QLabel* cell = Imagem[k];
    QRect geometry = cell->geometry();
    int height = TwipsToPixels(line.cell_height_twips);
    if (geometry.height() != height) cell->resize(geometry.width(), height);
    cell->setProperty("Tag", Q(line.cell_tag));
    show(cell, line.cell_picture);
    cell->setVisible(line.cell_visible);
  }
}

}  // namespace tabulo
