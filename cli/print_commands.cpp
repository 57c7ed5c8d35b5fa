// tabulo print: the menu cards as a PDF file, laid out as the designer prints them. The only command that
// draws, so the only one that needs Qt (its Gui part, without a window); a build without Qt says so.

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
#include <filesystem>

#include "designer/printing/painter_canvas_widget.h"
#include "designer/printing/recording_canvas.h"
#endif

namespace tabulo::cli {
namespace {

constexpr const char* kPrintUsage =
    "usage: tabulo print PROJECT.TB1 --pdf OUT.pdf [--page N | --all | --fronts | --backs] "
    "[--languages 1[,2]] [--no-lines]";

const std::vector<std::string> kValueOptions = {"--pdf", "--page", "--languages"};
const std::vector<std::string> kFlagOptions = {"--all", "--fronts", "--backs", "--no-lines"};

struct PrintRequest {
  std::string project;
  std::string pdf;
  PrintSettings settings;
  int page = 1;
  bool no_lines = false;
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
  if (options.Positional().size() != 1 || !options.Has("--pdf") || options.Value("--pdf").empty()) {
    return kPrintUsage;
  }
  request.project = options.Positional()[0];
  request.pdf = options.Value("--pdf");

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

}  // namespace

// Prints "N sheets written to OUT.pdf". Exit 1 when nothing on the chosen pages has text in the primary
// language (no file is written then), 2 on bad usage or when the file cannot be written.
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

  // Nothing is asked for when nothing would be printed.
  RecordingCanvas dry_run;
  if (PrintCards(doc, request.page, request.settings, dry_run).sheets == 0) {
    std::cout << "Nothing to print: the chosen pages have no text in the chosen language.\n";
    return kExitFindings;
  }

  // Drawing needs a Qt application, but no display.
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  static int argc = 1;
  static char name[] = "tabulo";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);

  PrintSummary summary;
  bool written = false;
  {
    QPdfWriter pdf(QString::fromStdString(request.pdf));
    pdf.setTitle("Menu cards");
    pdf.setCreator("tabulo");
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    PainterCanvas canvas(pdf);
    if (canvas.Ok()) {
      summary = PrintCards(doc, request.page, request.settings, canvas);
      written = canvas.Finish();
    }
  }
  if (!written) {
    std::error_code ignored;
    std::filesystem::remove(request.pdf, ignored);
    return Fail("cannot write " + request.pdf);
  }
  std::cout << summary.sheets << (summary.sheets == 1 ? " sheet" : " sheets") << " written to " << request.pdf
            << "\n";
  return kExitOk;
#endif
}

}  // namespace tabulo::cli
