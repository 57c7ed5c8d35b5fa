#pragma once
// What the card layout draws on: a page in millimetres, x to the right and y downwards from the top-left of
// the printable area. The printer and PDF output implement it over QPainter; tests record the calls with
// fixed font metrics, so every position the layout computes can be checked without fonts or a printer.

#include <cstdint>
#include <optional>
#include <string>

namespace tabulo {

struct MillimetreRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  bool operator==(const MillimetreRect&) const = default;
};

struct PictureSize {
  double width = 0;  // millimetres at the picture's natural size
  double height = 0;
};

class CardCanvas {
 public:
  virtual ~CardCanvas() = default;

  // Font of the texts that follow; sizes in points.
  virtual void SetFont(const std::string& face, double points) = 0;
  // Colour of the texts and circles that follow: a Windows RGB value (red in the low byte).
  virtual void SetColor(int32_t rgb) = 0;
  // Width and height of a text in the current font. The height is that of a whole text row, whatever the
  // text, so that a text printed at y leaves the next row at y + TextHeight.
  virtual double TextWidth(const std::string& text) = 0;
  virtual double TextHeight(const std::string& text) = 0;
  // A text with its top-left corner at (x, y), in the current font and colour.
  virtual void Text(double x, double y, const std::string& text) = 0;
  // A box from (x1, y1) to (x2, y2) filled in `rgb`, without an outline.
  virtual void FillBox(double x1, double y1, double x2, double y2, int32_t rgb) = 0;
  // A circle outline in the current colour.
  virtual void Circle(double cx, double cy, double radius) = 0;
  // The natural size of a picture file; nothing when it cannot be loaded.
  virtual std::optional<PictureSize> MeasurePicture(const std::string& path) = 0;
  // A picture at its natural size with its top-left corner at (x, y).
  virtual void Picture(const std::string& path, double x, double y) = 0;
  // The part `source` of a picture (millimetres of the picture at natural size) stretched onto `target`.
  virtual void StretchPicture(const std::string& path, const MillimetreRect& target,
                              const MillimetreRect& source) = 0;
  // Ends the sheet drawn so far and starts the next.
  virtual void NewPage() = 0;
};

}  // namespace tabulo
