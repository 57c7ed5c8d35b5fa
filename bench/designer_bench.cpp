// The designer on the full menu: the page view of a full page (budget 1 ms), a page change shown on the
// widgets (16 ms), a keystroke in the catalogue's search box (16 ms), and the whole program's start over a
// full work copy, from exec to the first painted window (0.5 s). The page change and the keystroke are
// measured again with the window at 2560x1440 (16 ms too). The catalogue scan the page view cannot avoid is
// measured beside it as its baseline. One undo step on the full menu (recorded and undone) beside the page
// change on the widgets: a step costs no more than a page redraw.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSize>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "designer/document/numbers.h"
#include "designer/history/undo_history.h"
#include "designer/mainwindow/main_window.h"
#include "designer/mainwindow/startup_probe_widget.h"
#include "designer/pages/page_operations.h"
#include "designer/pages/page_view.h"
#include "designer/storage/project_files.h"
#include "platform/folders.h"
#include "tests/support/run_program.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace {

using tabulo::MainWindow;
using tabulo::MenuDocument;

// A maker folder holding the full menu's work copy.
struct Setting {
  tabulo::test::TempFolder home;

  Setting() {
    ::setenv("VELT_HOME", (home / "velt").c_str(), 1);
    auto full = tabulo::test::FullMenu();
    tabulo::EnsureWorkFolders();
    full->ProjectBase = tabulo::WorkBase();
    tabulo::WriteProjectFiles(*full);
  }
};

Setting& World() {
  static Setting setting;
  return setting;
}

void BM_PageViewFullPage(benchmark::State& state) {
  auto doc = tabulo::test::FullMenu();
  int page = 1;
  for (auto _ : state) {
    tabulo::PageView view = tabulo::BuildPageView(*doc, page);
    benchmark::DoNotOptimize(view);
    page = page % tabulo::kPages + 1;
  }
}
BENCHMARK(BM_PageViewFullPage)->Unit(benchmark::kMicrosecond);

// One numeric reading of every catalogue number: the least a view that finds its PLUs must do.
void BM_CatalogueScanBaseline(benchmark::State& state) {
  auto doc = tabulo::test::FullMenu();
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < doc->NumPlus; ++i) sum += tabulo::NumericValue(doc->PluNumber[i]);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_CatalogueScanBaseline)->Unit(benchmark::kMicrosecond);

// Pages turned back and forth on the full work copy, each drawn at once, the window at `size` (empty: as
// it opens, at its smallest).
void PageChanges(benchmark::State& state, QSize size) {
  World();
  auto doc = std::make_unique<MenuDocument>();
  tabulo::ScriptedPrompts prompts;
  MainWindow window(*doc, prompts);
  if (size.isValid()) window.resize(size);
  window.show();
  QApplication::processEvents();
  auto* next = window.findChild<QPushButton*>("Command15");
  auto* previous = window.findChild<QPushButton*>("Command14");
  bool forward = true;
  for (auto _ : state) {
    (forward ? next : previous)->click();
    window.repaint();
    forward = !forward;
  }
}

void BM_PageChangeOnWidgets(benchmark::State& state) {
  PageChanges(state, {});
}
BENCHMARK(BM_PageChangeOnWidgets)->Unit(benchmark::kMillisecond);

// One keystroke in the catalogue's search box on the full menu, the table filtered and the window painted,
// at the window's minimum size (0) and at a large desktop's full screen (1). Each step types one more
// letter of a search, or starts it again.
void BM_CatalogueSearchAsYouType(benchmark::State& state) {
  World();
  auto doc = std::make_unique<MenuDocument>();
  tabulo::ScriptedPrompts prompts;
  MainWindow window(*doc, prompts);
  if (state.range(0) == 1) window.resize(2560, 1440);
  window.show();
  QApplication::processEvents();
  auto* search = window.findChild<QLineEdit*>("Text1");
  const QString typed = "Dish 12, with";
  int length = 0;
  for (auto _ : state) {
    length = length % typed.size() + 1;
    search->setText(typed.left(length));
    window.repaint();
  }
}
BENCHMARK(BM_CatalogueSearchAsYouType)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same at the largest desktop size: the page, its fonts and the panels scale with the window.
void BM_PageChangeOnWidgetsLargest(benchmark::State& state) {
  PageChanges(state, {2560, 1440});
}
BENCHMARK(BM_PageChangeOnWidgetsLargest)->Unit(benchmark::kMillisecond);

extern "C" char** environ;

// A page deleted as one step and undone: the comparison that records the step and the exchange that undoes
// it, on the full menu.
void BM_UndoStepFullMenu(benchmark::State& state) {
  auto doc = tabulo::test::FullMenu();
  tabulo::UndoHistory history(*doc);
  for (auto _ : state) {
    {
      tabulo::UndoStep step(history, "Del page");
      tabulo::DeletePage(*doc, 3);
    }
    if (!history.Undo()) state.SkipWithError("nothing to undo");
  }
}
BENCHMARK(BM_UndoStepFullMenu)->Unit(benchmark::kMillisecond);

// tabulodesk started as a user starts it, its time taken from the spawn until it ends after its first paint.
void BM_DesignerStartFullWorkCopy(benchmark::State& state) {
  World();
  std::string program = tabulo::test::BuiltProgram("tabulodesk");
  char* argv[] = {program.data(), const_cast<char*>(tabulo::kExitAfterFirstPaintOption), nullptr};
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("tabulodesk cannot be started");
      break;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("tabulodesk did not reach its first paint");
      break;
    }
  }
}
BENCHMARK(BM_DesignerStartFullWorkCopy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

}  // namespace

// The application outlives every window and is gone before the program's static objects are.
int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  QApplication app(qt_argc, qt_argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
