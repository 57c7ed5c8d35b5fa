// Printing the full menu: all 13 pages, fronts and backs, in two languages, to a PDF file (budget 2 s).
// The pages carry their background pictures and every group its picture, as a real menu would.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <memory>
#include <string>

#include "designer/printing/card_layout.h"
#include "designer/printing/painter_canvas_widget.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace {

using tabulo::MenuDocument;

// The full menu with its pictures in its project folder.
struct Setting {
  tabulo::test::TempFolder folder;
  std::unique_ptr<MenuDocument> doc = tabulo::test::FullMenu();

  Setting() {
    doc->ProjectFolder = folder.Path() + "/";
    auto picture = [](int width, int height, QColor colour, const std::string& path) {
      QImage image(width, height, QImage::Format_RGB32);
      image.fill(colour);
      for (int y = 0; y < height; y += 8) image.setPixelColor(y % width, y, Qt::black);
      image.save(QString::fromStdString(path));
    };
    for (int p = 1; p <= tabulo::kPages; ++p) {
      picture(600, 800, QColor(250, 240, 220), folder / ("front" + std::to_string(p) + ".png"));
      doc->PagePictureB[p] = "back.png";
    }
    picture(600, 800, QColor(220, 240, 250), folder / "back.png");
    for (int s = 0; s < tabulo::kPageSlots; ++s) {
      const std::string& name = doc->LineLayout[s].TitlePicture;
      if (!name.empty()) picture(400, 120, QColor(200, 120, 40), folder / name);
    }
  }
};

void BM_PrintAllPagesToPdf(benchmark::State& state) {
  Setting setting;
  tabulo::PrintSettings settings;
  settings.option = tabulo::PrintOption::kAllPages;
  settings.languages.primary = 0;
  settings.languages.secondary = 1;
  settings.languages.count = 2;
  const QString path = QString::fromStdString(setting.folder / "cards.pdf");
  int sheets = 0;
  for (auto _ : state) {
    QPdfWriter pdf(path);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    tabulo::PainterCanvas canvas(pdf);
    sheets = tabulo::PrintCards(*setting.doc, 1, settings, canvas).sheets;
    if (!canvas.Finish()) state.SkipWithError("the PDF file could not be written");
  }
  state.counters["sheets"] = sheets;
}
BENCHMARK(BM_PrintAllPagesToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  QGuiApplication app(qt_argc, qt_argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
