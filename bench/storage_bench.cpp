// Writing and reading the full menu's project files. The write is judged beside plain buffered writes of the
// same bytes (within 2x). The read is judged beside the least any reader of these files must do: read the
// bytes and split them into lines of text (a bare page-cache copy is measured too, for reference only). And
// what `tabulo diff` does with two full menus (read both, compare) within 3x of reading them.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/files.h"
#include "designer/history/menu_diff.h"
#include "designer/storage/project_files.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace {

using tabulo::test::TempFolder;

// The full menu written once: its files and their bytes, the baselines' material.
struct Written {
  TempFolder folder;
  std::unique_ptr<tabulo::MenuDocument> doc = tabulo::test::FullMenu();
  std::vector<std::pair<std::string, std::string>> files;

  Written() {
    doc->ProjectBase = folder / "menu";
    tabulo::WriteProjectFiles(*doc);
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
      files.emplace_back(entry.path().string(), tabulo::test::ReadFile(entry.path().string()));
    }
  }
};

Written& Menu() {
  static Written written;
  return written;
}

int64_t TotalBytes() {
  int64_t total = 0;
  for (const auto& file : Menu().files) total += static_cast<int64_t>(file.second.size());
  return total;
}

void BM_WriteProjectFiles(benchmark::State& state) {
  for (auto _ : state) {
    auto report = tabulo::WriteProjectFiles(*Menu().doc);
    if (!report.ok) state.SkipWithError(report.error.c_str());
  }
  state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_WriteProjectFiles)->Unit(benchmark::kMillisecond);

void BM_WriteRawBaseline(benchmark::State& state) {
  for (auto _ : state) {
    for (const auto& [path, bytes] : Menu().files) {
      std::FILE* file = std::fopen((path + ".raw").c_str(), "wb");
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
  }
  state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_WriteRawBaseline)->Unit(benchmark::kMillisecond);

void BM_ReadProjectFiles(benchmark::State& state) {
  auto doc = std::make_unique<tabulo::MenuDocument>();
  for (auto _ : state) {
    state.PauseTiming();  // the reset belongs to New, not to reading
    tabulo::ResetDocument(*doc);
    doc->ProjectBase = Menu().doc->ProjectBase;
    state.ResumeTiming();
    benchmark::DoNotOptimize(tabulo::ReadProjectFiles(*doc));
  }
  state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_ReadProjectFiles)->Unit(benchmark::kMillisecond);

void BM_ReadRawBaseline(benchmark::State& state) {
  std::string bytes;
  for (auto _ : state) {
    for (const auto& file : Menu().files) {
      tabulo::ReadWholeFile(file.first, bytes);
      benchmark::DoNotOptimize(bytes.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_ReadRawBaseline)->Unit(benchmark::kMillisecond);

// The bytes read and cut at CR LF, LF or CR into lines, which are not copied: the least a reader of a
// line-based format does before it looks at a field.
void BM_ReadLinesBaseline(benchmark::State& state) {
  std::string bytes;
  std::vector<std::string_view> lines;
  for (auto _ : state) {
    for (const auto& file : Menu().files) {
      tabulo::ReadWholeFile(file.first, bytes);
      lines.clear();
      const char* line = bytes.data();
      const char* end = bytes.data() + bytes.size();
      for (const char* at = line; at < end; ++at) {
        if (*at != '\r' && *at != '\n') continue;
        lines.emplace_back(line, static_cast<size_t>(at - line));
        if (*at == '\r' && at + 1 < end && at[1] == '\n') ++at;
        line = at + 1;
      }
      if (line < end) lines.emplace_back(line, static_cast<size_t>(end - line));
      benchmark::DoNotOptimize(lines.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_ReadLinesBaseline)->Unit(benchmark::kMillisecond);

// Two full menus read as `tabulo diff` reads them (the second one the same files: a comparison finds
// nothing to report and still has to look at everything).
void ReadTwoMenus(std::unique_ptr<tabulo::MenuDocument>& a, std::unique_ptr<tabulo::MenuDocument>& b) {
  a = std::make_unique<tabulo::MenuDocument>();
  b = std::make_unique<tabulo::MenuDocument>();
  a->ProjectBase = b->ProjectBase = Menu().doc->ProjectBase;
  tabulo::ReadProjectFiles(*a);
  tabulo::ReadProjectFiles(*b);
}

void BM_DiffTwoFullMenus(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<tabulo::MenuDocument> a;
    std::unique_ptr<tabulo::MenuDocument> b;
    ReadTwoMenus(a, b);
    benchmark::DoNotOptimize(tabulo::CompareMenus(*a, *b));
  }
}
BENCHMARK(BM_DiffTwoFullMenus)->Unit(benchmark::kMillisecond);

void BM_ReadTwoFullMenusBaseline(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<tabulo::MenuDocument> a;
    std::unique_ptr<tabulo::MenuDocument> b;
    ReadTwoMenus(a, b);
    benchmark::DoNotOptimize(a.get());
  }
}
BENCHMARK(BM_ReadTwoFullMenusBaseline)->Unit(benchmark::kMillisecond);

}  // namespace
