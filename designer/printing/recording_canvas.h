#pragma once
// A canvas that records what is drawn on it, with fixed font metrics, so that the card layout can be checked
// position by position without fonts or a printer. Also used to find out whether a print job would put
// anything on paper before a printer is asked for.

#include <map>
#include <string>
#include <vector>

#include "designer/printing/card_canvas.h"

namespace tabulo {

struct CanvasCall {
  enum class Kind { kText, kBox, kCircle, kPicture, kStretch, kNewPage };
  Kind kind = Kind::kText;
  double x = 0;  // text and picture: top-left corner; box: first corner; circle: centre
  double y = 0;
  double x2 = 0;  // box: second corner
  double y2 = 0;
  double radius = 0;
  std::string text;  // text, or the picture's path
  std::string face;  // font of a text
  double points = 0;
  int32_t color = 0;  // text and circle: the current colour; box: its fill
  MillimetreRect target;
  MillimetreRect source;
};

class RecordingCanvas : public CardCanvas {
 public:
  // Fixed metrics: every character (UTF-8 code point) is kCharWidth mm wide per point of font size, and a
  // text row is kRowHeight mm high per point.
  static constexpr double kCharWidth = 0.2;
  static constexpr double kRowHeight = 0.4;

  std::vector<CanvasCall> calls;
  std::map<std::string, PictureSize> pictures;  // the pictures that "load", with their natural sizes

  // The calls of one kind, and the texts drawn, in order.
  std::vector<CanvasCall> Calls(CanvasCall::Kind kind) const;
  std::vector<std::string> Texts() const;

  void SetFont(const std::string& face, double points) override;
  void SetColor(int32_t rgb) override { color_ = rgb; }
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
  std::string face_;
  double points_ = 0;
  int32_t color_ = 0;
};

}  // namespace tabulo
