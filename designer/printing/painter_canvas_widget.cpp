#include "designer/printing/painter_canvas_widget.h"

#include <QFontMetricsF>
#include <QPen>
#include <cmath>

namespace tabulo {
namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kDefaultDotsPerMetre = 96 / 0.0254;  // a picture that gives no resolution: 96 dpi
constexpr double kCircleLine = 0.25;                  // mm

QString Q(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

PainterCanvas::PainterCanvas(QPagedPaintDevice& device) : device_(device) {
  ok_ = painter_.begin(&device_);
  if (!ok_) return;
  pixels_per_mm_x_ = device_.logicalDpiX() / kMillimetresPerInch;
  pixels_per_mm_y_ = device_.logicalDpiY() / kMillimetresPerInch;
  painter_.setRenderHint(QPainter::Antialiasing);
  painter_.setRenderHint(QPainter::SmoothPixmapTransform);
  SetMillimetreWindow();
}

PainterCanvas::~PainterCanvas() {
  Finish();
}

bool PainterCanvas::Finish() {
  if (finished_) return ok_;
  finished_ = true;
  if (painter_.isActive()) ok_ = painter_.end() && ok_;
  return ok_;
}

// The window is whole millimetres; the viewport is computed from it, so one unit is exactly one millimetre
// and neither axis is stretched by rounding.
void PainterCanvas::SetMillimetreWindow() {
  const QRect device = painter_.viewport();
  const int width_mm = static_cast<int>(std::ceil(device.width() / pixels_per_mm_x_));
  const int height_mm = static_cast<int>(std::ceil(device.height() / pixels_per_mm_y_));
  painter_.setWindow(0, 0, width_mm, height_mm);
  painter_.setViewport(0, 0, static_cast<int>(std::lround(width_mm * pixels_per_mm_x_)),
                       static_cast<int>(std::lround(height_mm * pixels_per_mm_y_)));
}

QColor PainterCanvas::Colour(int32_t rgb) {
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

void PainterCanvas::SetFont(const std::string& face, double points) {
  font_ = QFont(Q(face));
  font_.setPointSizeF(points > 0 ? points : 1);
  font_.setHintingPreference(QFont::PreferNoHinting);
}

void PainterCanvas::SetColor(int32_t rgb) {
  colour_ = Colour(rgb);
}

double PainterCanvas::TextWidth(const std::string& text) {
  return QFontMetricsF(font_, &device_).horizontalAdvance(Q(text)) / pixels_per_mm_x_;
}

double PainterCanvas::TextHeight(const std::string&) {
  return QFontMetricsF(font_, &device_).height() / pixels_per_mm_y_;
}

void PainterCanvas::Text(double x, double y, const std::string& text) {
  if (!ok_) return;
  // Back to device pixels at the text's corner, where the font's point size is resolved at the device's
  // resolution, as it is measured.
  painter_.save();
  painter_.translate(x, y);
  painter_.scale(1 / pixels_per_mm_x_, 1 / pixels_per_mm_y_);
  painter_.setFont(font_);
  painter_.setPen(colour_);
  painter_.drawText(QPointF(0, QFontMetricsF(font_, &device_).ascent()), Q(text));
  painter_.restore();
}

void PainterCanvas::FillBox(double x1, double y1, double x2, double y2, int32_t rgb) {
  if (!ok_) return;
  painter_.fillRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(), Colour(rgb));
}

void PainterCanvas::Circle(double cx, double cy, double radius) {
  if (!ok_) return;
  painter_.save();
  painter_.setPen(QPen(colour_, kCircleLine));
  painter_.setBrush(Qt::NoBrush);
  painter_.drawEllipse(QPointF(cx, cy), radius, radius);
  painter_.restore();
}

const QImage* PainterCanvas::Image(const std::string& path) {
  auto found = images_.find(path);
  if (found == images_.end()) found = images_.emplace(path, QImage(Q(path))).first;
  return found->second.isNull() ? nullptr : &found->second;
}

std::optional<PictureSize> PainterCanvas::MeasurePicture(const std::string& path) {
  const QImage* image = Image(path);
  if (!image) return std::nullopt;
  const double x_per_mm = (image->dotsPerMeterX() > 0 ? image->dotsPerMeterX() : kDefaultDotsPerMetre) / 1000;
  const double y_per_mm = (image->dotsPerMeterY() > 0 ? image->dotsPerMeterY() : kDefaultDotsPerMetre) / 1000;
  return PictureSize{image->width() / x_per_mm, image->height() / y_per_mm};
}

void PainterCanvas::Picture(const std::string& path, double x, double y) {
  auto size = MeasurePicture(path);
  if (!ok_ || !size) return;
  painter_.drawImage(QRectF(x, y, size->width, size->height), *Image(path));
}

void PainterCanvas::StretchPicture(const std::string& path, const MillimetreRect& target,
                                   const MillimetreRect& source) {
  auto size = MeasurePicture(path);
  if (!ok_ || !size || size->width <= 0 || size->height <= 0) return;
  const QImage& image = *Image(path);
  // The source is in millimetres of the picture at natural size; the image is addressed in its pixels.
  const double x_scale = image.width() / size->width;
  const double y_scale = image.height() / size->height;
  const QRectF pixels(source.x * x_scale, source.y * y_scale, source.width * x_scale,
                      source.height * y_scale);
  painter_.drawImage(QRectF(target.x, target.y, target.width, target.height), image, pixels);
}

void PainterCanvas::NewPage() {
  if (!ok_) return;
  if (!device_.newPage()) ok_ = false;
}

}  // namespace tabulo
