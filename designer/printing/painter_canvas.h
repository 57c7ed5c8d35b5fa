#pragma once
// The card canvas on a printer or a PDF file, through QPainter: a window in millimetres over the device's
// pixels, so the layout's positions land where the card stock expects them at any resolution. Texts are
// drawn and measured at the device's own resolution, so font sizes stay true points.

#include <QFont>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cstdint>
#include <map>
#include <string>

#include "designer/printing/card_canvas.h"

namespace tabulo {

class PainterCanvas : public CardCanvas {
 public:
  // Starts painting on `device`; Ok() tells whether it could (a printer that is gone, a file that cannot
  // be written).
  explicit PainterCanvas(QPagedPaintDevice& device);
  ~PainterCanvas() override;
  PainterCanvas(const PainterCanvas&) = delete;
  PainterCanvas& operator=(const PainterCanvas&) = delete;

  bool Ok() const { return ok_; }
  // Ends the document (the printer then sends the job); false when it failed.
  bool Finish();

  void SetFont(const std::string& face, double points) override;
  void SetColor(int32_t rgb) override;
  double TextWidth(const std::string& text) override;
  double TextHeight(const std::string& text) override;
  void Text(double x, double y, const std::string& text) override;
  void FillBox(double x1, double y1, double x2, double y2, int32_t rgb) override;
  void Circle(double cx, double cy, double radius) override;
  std::optional<PictureSize> MeasurePicture(const std::string& path) override;
  void Picture(const std::string& path, double x, double y) override;
  void StretchPicture(const std::string& path, const MillimetreRect& target,
                      const MillimetreRect& source) override;
  void NewPage() override;

 private:
  // A picture file: its natural size, known from its first decoding for the whole job, and its image scaled
  // to the resolution it was last drawn at, kept while the images held stay within kPictureBudget.
  struct PictureFile {
    bool readable = false;
    PictureSize size;
    QSize pixels;      // of the file
    QImage image;      // null when not decoded yet or released
    double scale = 0;  // pixels of `image` per pixel of the file
    uint64_t last_use = 0;
  };

  void SetMillimetreWindow();
  PictureFile& File(const std::string& path);
  // The picture scaled for drawing its part `source` onto `target`; nullptr when it cannot be read.
  const PictureFile* Scaled(const std::string& path, const MillimetreRect& target,
                            const MillimetreRect& source);
  void ReleaseImagesOver(size_t budget, const PictureFile* keep);
  static QColor Colour(int32_t rgb);

  QPagedPaintDevice& device_;
  QPainter painter_;
  bool ok_ = false;
  bool finished_ = false;
  double pixels_per_mm_x_ = 1;
  double pixels_per_mm_y_ = 1;
  QFont font_;
  QColor colour_;
  std::map<std::string, PictureFile> pictures_;
  // The last picture decoded at full size, kept only until it is scaled for drawing (measured, then drawn).
  std::string full_path_;
  QImage full_;
  uint64_t uses_ = 0;
};

}  // namespace tabulo
