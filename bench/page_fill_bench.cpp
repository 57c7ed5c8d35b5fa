// Pages laid out from a menu spreadsheet, then saved: under 50 ms, reported beside a plain save of the same
// laid-out project. The menu is the largest the pages hold in 20 categories: 292 dishes filling pages 1 to
// 13 exactly (300 dishes under 20 titles need 320 lines, more than the 313 a project keeps).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "designer/import/page_fill.h"
#include "designer/storage/project_files.h"
#include "tests/support/temp_folder.h"

namespace {

// The project goes to memory when the system has a memory file system: saved 20 times a second, it would
// otherwise measure the disk's write-back of the earlier saves rather than the work.
struct ProjectFolder {
  std::string path;
  ProjectFolder(const std::string& fallback) : path(fallback) {
    std::string pattern = "/dev/shm/tabulo-bench-XXXXXX";
    if (std::filesystem::is_directory("/dev/shm") && ::mkdtemp(pattern.data())) path = pattern;
  }
  ~ProjectFolder() {
    std::error_code ignored;
    if (path.rfind("/dev/shm/", 0) == 0) std::filesystem::remove_all(path, ignored);
  }
};

struct Setting {
  tabulo::test::TempFolder folder;
  ProjectFolder project{folder.Path()};
  std::string csv = folder / "menu.csv";
  std::unique_ptr<tabulo::MenuDocument> blank = std::make_unique<tabulo::MenuDocument>();
  std::unique_ptr<tabulo::MenuDocument> doc = std::make_unique<tabulo::MenuDocument>();

  Setting() {
    tabulo::ApplyDefaultLanguageNames(*blank);
    blank->ProjectBase = project.path + "/menu";
    // 14 categories of 11 dishes, two to a page, then 6 of 23, one to a page; an English text for each.
    std::string text = "PLUCODE,DESCRIPTION,PRICE,CATEGORY,English\r\n";
    int number = 1;
    for (int c = 1; c <= 20; ++c) {
      int dishes = c <= 14 ? 11 : 23;
      for (int d = 0; d < dishes; ++d, ++number) {
        text += std::to_string(number) + ",Prato " + std::to_string(number) + "," +
                std::to_string(1 + number % 37) + ".50," + (d == 0 ? "Category " + std::to_string(c) : "") +
                ",Dish " + std::to_string(number) + "\r\n";
      }
    }
    tabulo::test::WriteFile(csv, text);
  }
};

Setting& Bench() {
  static Setting setting;
  return setting;
}

void BM_LayOutAndSave292Dishes(benchmark::State& state) {
  Setting& bench = Bench();
  for (auto _ : state) {
    state.PauseTiming();  // a fresh menu for each run; copying it is no part of the work
    *bench.doc = *bench.blank;
    state.ResumeTiming();
    tabulo::PageFillPlan plan = tabulo::PlanPageFill(*bench.doc, bench.csv, {});
    std::string error;
    if (!tabulo::ApplyPageFill(*bench.doc, plan, error)) state.SkipWithError(error.c_str());
    if (!tabulo::WriteProjectFiles(*bench.doc).ok) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_LayOutAndSave292Dishes)->Unit(benchmark::kMillisecond);

void BM_SaveLaidOutProject(benchmark::State& state) {
  Setting& bench = Bench();
  *bench.doc = *bench.blank;
  std::string error;
  tabulo::ApplyPageFill(*bench.doc, tabulo::PlanPageFill(*bench.doc, bench.csv, {}), error);
  for (auto _ : state) {
    if (!tabulo::WriteProjectFiles(*bench.doc).ok) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_SaveLaidOutProject)->Unit(benchmark::kMillisecond);

}  // namespace
