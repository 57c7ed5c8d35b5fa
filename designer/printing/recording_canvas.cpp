#include "designer/printing/recording_canvas.h"

namespace tabulo {
namespace {

size_t CodePoints(const std::string& text) {
  size_t count = 0;
  for (unsigned char byte : text) count += (byte & 0xC0) != 0x80;
  return count;
}

}  // namespace

std::vector<CanvasCall> RecordingCanvas::Calls(CanvasCall::Kind kind) const {
  std::vector<CanvasCall> found;
  for (const CanvasCall& call : calls) {
    if (call.kind == kind) found.push_back(call);
  }
  return found;
}

std::vector<std::string> RecordingCanvas::Texts() const {
  std::vector<std::string> texts;
  for (const CanvasCall& call : calls) {
    if (call.kind == CanvasCall::Kind::kText) texts.push_back(call.text);
  }
  return texts;
}

void RecordingCanvas::SetFont(const std::string& face, double points) {
  face_ = face;
  points_ = points;
}

double RecordingCanvas::TextWidth(const std::string& text) {
  return static_cast<double>(CodePoints(text)) * kCharWidth * points_;
}

double RecordingCanvas::TextHeight(const std::string&) {
  return kRowHeight * points_;
}

void RecordingCanvas::Text(double x, double y, const std::string& text) {
  CanvasCall call;
  call.kind = CanvasCall::Kind::kText;
  call.x = x;
  call.y = y;
  call.text = text;
  call.face = face_;
  call.points = points_;
  call.color = color_;
  calls.push_back(call);
}

void RecordingCanvas::FillBox(double x1, double y1, double x2, double y2, int32_t rgb) {
  CanvasCall call;
  call.kind = CanvasCall::Kind::kBox;
  call.x = x1;
  call.y = y1;
  call.x2 = x2;
  call.y2 = y2;
  call.color = rgb;
  calls.push_back(call);
}

void RecordingCanvas::Circle(double cx, double cy, double radius) {
  CanvasCall call;
  call.kind = CanvasCall::Kind::kCircle;
  call.x = cx;
  call.y = cy;
  call.radius = radius;
  call.color = color_;
  calls.push_back(call);
}

std::optional<PictureSize> RecordingCanvas::MeasurePicture(const std::string& path) {
  auto found = pictures.find(path);
  if (found == pictures.end()) return std::nullopt;
  return found->second;
}

void RecordingCanvas::Picture(const std::string& path, double x, double y) {
  CanvasCall call;
  call.kind = CanvasCall::Kind::kPicture;
  call.x = x;
  call.y = y;
  call.text = path;
  calls.push_back(call);
}

void RecordingCanvas::StretchPicture(const std::string& path, const MillimetreRect& target,
                                     const MillimetreRect& source) {
  CanvasCall call;
  call.kind = CanvasCall::Kind::kStretch;
  call.text = path;
  call.target = target;
  call.source = source;
  calls.push_back(call);
}

void RecordingCanvas::NewPage() {
  CanvasCall call;
  call.kind = CanvasCall::Kind::kNewPage;
  calls.push_back(call);
}

}  // namespace tabulo
