// tabulo print: the menu cards, or the calibration sheet, as a PDF file or on a system printer, laid out as
// the designer prints them. The only command that draws, so the only one that needs Qt (Gui and the printer
// support, without a window); a build without Qt says so.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "designer/document/numbers.h"
#include "designer/printing/card_layout.h"

#ifdef TABULO_PRINT_WITH_QT
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <filesystem>
#include <functional>

#include "base/environment.h"
#include "designer/printing/painter_canvas.h"
#include "designer/printing/recording_canvas.h"
#endif

namespace tabulo::cli {
namespace {

constexpr const char* kPrintUsage =
    "usage: tabulo print PROJECT.TB1 (--pdf OUT.pdf | --printer NAME) [--page N | --all | --fronts | "
    "--backs] "
    "[--languages 1[,2]] [--no-lines] [--origin paper|printable] [--calibration]";

const std::vector<std::string> kValueOptions = {"--pdf", "--printer", "--page", "--languages", "--origin"};
const std::vector<std::string> kFlagOptions = {"--all", "--fronts", "--backs", "--no-lines", "--calibration"};

struct PrintRequest {
  std::string project;
  std::string pdf;
  std::string printer;
  PrintSettings settings;
  int page = 1;
  bool no_lines = false;
  bool calibration = false;
  // Positions measured from the printer's printable area, as the designer prints, or from the paper's corner.
  bool from_paper = false;
};

// The request, or an error text.
std::string ParseRequest(const Arguments& args, PrintRequest& request) {
  for (const std::string& arg : args) {
    if (arg.rfind("-", 0) == 0 &&
        std::find(kValueOptions.begin(), kValueOptions.end(), arg) == kValueOptions.end() &&
        std::find(kFlagOptions.begin(), kFlagOptions.end(), arg) == kFlagOptions.end()) {
      return "unknown option " + arg + "\n" + kPrintUsage;
    }
  }
  Options options(args, kValueOptions);
  if (!options.Error().empty()) return options.Error();
  const bool to_pdf = options.Has("--pdf") && !options.Value("--pdf").empty();
  const bool to_printer = options.Has("--printer") && !options.Value("--printer").empty();
  if (options.Positional().size() != 1 || to_pdf == to_printer) return kPrintUsage;
  request.project = options.Positional()[0];
  request.pdf = options.Value("--pdf");
  request.printer = options.Value("--printer");
  if (options.Has("--origin")) {
    const std::string origin = options.Value("--origin");
    if (origin != "paper" && origin != "printable") return "--origin is paper or printable";
    request.from_paper = origin == "paper";
  }
  request.calibration = options.Has("--calibration");
  int choices =
      options.Has("--page") + options.Has("--all") + options.Has("--fronts") + options.Has("--backs");
  if (choices > 1) return "choose one of --page, --all, --fronts and --backs";
  // Without a window there is no current page: the whole menu is the natural default.
  request.settings.option = PrintOption::kAllPages;
  if (options.Has("--page")) {
    auto page = StrictNumber(options.Value("--page"));
    if (!page || *page < 1 || *page > kPages || *page != std::floor(*page)) {
      return "--page needs a page number 1.." + std::to_string(kPages);
    }
    request.settings.option = PrintOption::kCurrentPage;
    request.page = static_cast<int>(*page);
  }
  if (options.Has("--fronts")) request.settings.option = PrintOption::kAllFronts;
  if (options.Has("--backs")) request.settings.option = PrintOption::kAllBacks;
  if (options.Has("--languages")) {
    auto languages = ParsePrintLanguages(options.Value("--languages"));
    if (!languages) return "--languages needs one or two different language numbers 1..5, such as 1 or 1,2";
    request.settings.languages = *languages;
  }
  // The command line prints as the page-design view does: the current page with its back.
  request.settings.backs_shown = true;
  request.no_lines = options.Has("--no-lines");
  return {};
}

#ifdef TABULO_PRINT_WITH_QT
// The printer the request names, or the system's default one, as the designer's print dialog sets it up.
void SetUpPrinter(QPrinter& printer, const PrintRequest& request) {
  if (!request.printer.empty()) printer.setPrinterName(QString::fromStdString(request.printer));
  printer.setDocName(QString::fromUtf8(request.calibration ? "Calibration sheet" : "Menu cards"));
  printer.setFullPage(request.from_paper);
}

// Draws on the printer or the PDF file; false when the output could not be made.
bool Draw(const PrintRequest& request, const std::function<void(CardCanvas&)>& draw) {
  if (!request.printer.empty()) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, request);
    PainterCanvas canvas(printer);
    if (canvas.Ok()) draw(canvas);
    return canvas.Finish() && printer.printerState() != QPrinter::Error;
  }
  // The PDF's page is the one the designer's printer would print on, with its unprintable margins when the
  // positions start at the printable area: the PDF printed at full size lands where the printer would
  // print. Without a printer the page is A4 and the printable area the whole paper.
  QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, request);
    layout = printer.pageLayout();
    layout.setOrientation(QPageLayout::Portrait);
    if (request.from_paper) layout.setMargins(QMarginsF(0, 0, 0, 0));
  }
  bool written = false;
  {
    QPdfWriter pdf(QString::fromStdString(request.pdf));
    pdf.setTitle(QString::fromUtf8(request.calibration ? "Calibration sheet" : "Menu cards"));
    pdf.setCreator("tabulo");
    layout.setMode(QPageLayout::StandardMode);
    pdf.setPageLayout(layout);
    PainterCanvas canvas(pdf);
    if (canvas.Ok()) draw(canvas);
    written = canvas.Finish();
  }
  if (!written) {
    std::error_code ignored;
    std::filesystem::remove(request.pdf, ignored);
  }
  return written;
}
#endif

}  // namespace

// Prints "N sheets written to OUT.pdf" (or "sent to printer NAME"), warnings on standard error. Exit 1 when
// nothing on the chosen pages has text in the primary language (nothing is written or sent then), 2 on bad
// usage or when the output cannot be made.
int PrintCommand(const Arguments& args) {
  PrintRequest request;
  if (std::string error = ParseRequest(args, request); !error.empty()) return Fail(error);
#ifndef TABULO_PRINT_WITH_QT
  return Fail("print needs the build with Qt");
#else
  LoadedProject loaded;
  if (!LoadProjectFile(request.project, loaded)) return kExitError;
  MenuDocument& doc = *loaded.doc;
  if (request.no_lines) doc.PrintLines = 0;

  if (!request.calibration) {
    // Nothing is asked for when nothing would be printed.
    RecordingCanvas dry_run;
    if (PrintCards(doc, request.page, request.settings, dry_run).sheets == 0) {
      std::cout << "Nothing to print: the chosen pages have no text in the chosen language.\n";
      return kExitFindings;
    }
    for (const std::string& line : LinesWithoutLanguage(doc, request.page, request.settings)) {
      std::cerr << "warning: no text in the chosen language, not printed: " << Shown(line) << "\n";
    }
  }

  // Drawing needs a Qt application, but no display.
  if (!EnvironmentValue("QT_QPA_PLATFORM") && !EnvironmentValue("DISPLAY") &&
      !EnvironmentValue("WAYLAND_DISPLAY")) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  static int argc = 1;
  static char name[] = "tabulo";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);

  if (!request.printer.empty() &&
      !QPrinterInfo::availablePrinterNames().contains(QString::fromStdString(request.printer))) {
    return Fail("no printer named " + request.printer);
  }
  PrintSummary summary;
  const bool done = Draw(request, [&](CardCanvas& canvas) {
    if (request.calibration) {
      PrintCalibrationSheet(doc, canvas);
      summary.sheets = 1;
    } else {
      summary = PrintCards(doc, request.page, request.settings, canvas);
    }
  });
  for (const std::string& warning : summary.warnings) std::cerr << "warning: " << Shown(warning) << "\n";
  if (!done)
    return Fail(request.printer.empty() ? "cannot write " + request.pdf
                                        : "cannot print on printer " + request.printer);
  std::cout << summary.sheets << (summary.sheets == 1 ? " sheet" : " sheets")
            << (request.printer.empty() ? " written to " + request.pdf
                                        : " sent to printer " + request.printer)
            << "\n";
  return kExitOk;
#endif
}

}  // namespace tabulo::cli
