#include "designer/printing/painter_canvas.h"

#include <QFontMetricsF>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "designer/pages/widget_helpers.h"

namespace tabulo {
namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kDefaultDotsPerMetre = 96 / 0.0254;  // a picture that gives no resolution: 96 dpi
constexpr double kCircleLine = 0.25;                  // mm
// Pictures are drawn at no more than this resolution: more is lost on card stock, and a job of many large
// photographs would otherwise hold gigabytes.
constexpr double kMaxPictureDpi = 300;
// The scaled pictures kept for drawing again (a page picture used on every page); the least recently used
// are released beyond it.
constexpr size_t kPictureBudget = size_t{160} << 20;

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

PainterCanvas::PictureFile& PainterCanvas::File(const std::string& path) {
  auto found = pictures_.find(path);
  if (found != pictures_.end()) return found->second;
  PictureFile& file = pictures_[path];
  QImage image(Q(path));
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return file;
  const double x_per_mm = (image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() : kDefaultDotsPerMetre) / 1000;
  const double y_per_mm = (image.dotsPerMeterY() > 0 ? image.dotsPerMeterY() : kDefaultDotsPerMetre) / 1000;
  file.readable = true;
  file.size = PictureSize{image.width() / x_per_mm, image.height() / y_per_mm};
  file.pixels = image.size();
  full_path_ = path;
  full_ = std::move(image);
  return file;
}

std::optional<PictureSize> PainterCanvas::MeasurePicture(const std::string& path) {
  const PictureFile& file = File(path);
  if (!file.readable) return std::nullopt;
  return file.size;
}

const PainterCanvas::PictureFile* PainterCanvas::Scaled(const std::string& path, const MillimetreRect& target,
                                                        const MillimetreRect& source) {
  PictureFile& file = File(path);
  if (!file.readable || source.width <= 0 || source.height <= 0) return nullptr;
  // The file's pixels that cover `source`, against the pixels the paper has for `target`.
  const double dpi = std::min<double>(kMaxPictureDpi, std::max(device_.logicalDpiX(), device_.logicalDpiY()));
  const double covered_x = source.width / file.size.width * file.pixels.width();
  const double covered_y = source.height / file.size.height * file.pixels.height();
  const double needed_x = target.width / kMillimetresPerInch * dpi;
  const double needed_y = target.height / kMillimetresPerInch * dpi;
  const double scale = std::min(1.0, std::max(needed_x / covered_x, needed_y / covered_y));
  file.last_use = ++uses_;
  if (!file.image.isNull() && file.scale >= scale * 0.999) return &file;

  // Decoded once, normally: measuring it just before left the full image here.
  QImage full = full_path_ == path ? std::move(full_) : QImage(Q(path));
  full_ = QImage();
  full_path_.clear();
  if (full.isNull()) return nullptr;
  if (scale < 1) {
    file.image = full.scaled(std::max(1, static_cast<int>(std::lround(full.width() * scale))),
                             std::max(1, static_cast<int>(std::lround(full.height() * scale))),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    file.scale = scale;
  } else {
    file.image = std::move(full);
    file.scale = 1;
  }
  ReleaseImagesOver(kPictureBudget, &file);
  return &file;
}

void PainterCanvas::ReleaseImagesOver(size_t budget, const PictureFile* keep) {
  for (;;) {
    size_t held = 0;
    PictureFile* oldest = nullptr;
    for (auto& [path, file] : pictures_) {
      if (file.image.isNull()) continue;
      held += static_cast<size_t>(file.image.sizeInBytes());
      if (&file != keep && (!oldest || file.last_use < oldest->last_use)) oldest = &file;
    }
    if (held <= budget || !oldest) return;
    oldest->image = QImage();
  }
}

void PainterCanvas::Picture(const std::string& path, double x, double y) {
  auto size = MeasurePicture(path);
  if (!ok_ || !size) return;
  const MillimetreRect whole{0, 0, size->width, size->height};
  StretchPicture(path, {x, y, size->width, size->height}, whole);
}

void PainterCanvas::StretchPicture(const std::string& path, const MillimetreRect& target,
                                   const MillimetreRect& source) {
  if (!ok_) return;
  const PictureFile* file = Scaled(path, target, source);
  if (!file || file->size.width <= 0 || file->size.height <= 0) return;
  // The source is in millimetres of the picture at natural size; the image is addressed in its pixels.
  const double x_scale = file->image.width() / file->size.width;
  const double y_scale = file->image.height() / file->size.height;
  const QRectF pixels(source.x * x_scale, source.y * y_scale, source.width * x_scale,
                      source.height * y_scale);
  painter_.drawImage(QRectF(target.x, target.y, target.width, target.height), file->image, pixels);
}

void PainterCanvas::NewPage() {
  if (!ok_) return;
  if (!device_.newPage()) ok_ = false;
}

}  // namespace tabulo
