// Catalogue imports and updates of 10000 lines or rows. Budgets: the CSV import and update under 30 ms; the
// .xlsx import and update within 2x of the bare library read of the same sheet (libzip unpacking into
// expat, every cell visited), measured here in the same run. FreeXL runs in a process of its own, under
// limits, so that its faults on damaged files cannot take the designer down: the .xls import is judged
// beside that process alone (start, read every cell, answer collected), within 2x, and the in-process
// FreeXL read is measured for reference. The sheets are the fixtures LibreOffice wrote from bench10000.csv.

#include <benchmark/benchmark.h>
#include <expat.h>
#include <freexl.h>
#include <stdlib.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "base/files.h"
#include "designer/import/catalogue_imports.h"
#include "designer/import/catalogue_update.h"
#include "designer/import/xls_reader.h"
#include "platform/limited_process.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kFixtures =
    std::filesystem::path(__FILE__).parent_path().parent_path().string() + "/tests/fixtures/import/";

// The interchange file goes to memory when the system has a memory file system: run 70 times a second, the
// import would otherwise measure the disk's write-back of its own earlier runs rather than its work.
struct InterchangeFolder {
  std::string path;
  InterchangeFolder() {
    std::string pattern = "/dev/shm/tabulo-bench-XXXXXX";
    if (std::filesystem::is_directory("/dev/shm") && ::mkdtemp(pattern.data())) path = pattern;
  }
  ~InterchangeFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

struct Setting {
  tabulo::test::TempFolder folder;
  InterchangeFolder interchange;
  std::unique_ptr<tabulo::MenuDocument> doc = std::make_unique<tabulo::MenuDocument>();
  tabulo::ImportOptions options;
  std::string csv = folder / "plus.csv";

  Setting() {
    options.interchange_path = interchange.path.empty() ? folder.Path() : interchange.path;
    options.interchange_path += "/velt/pludata.txt";
    std::string text;
    for (int i = 1; i <= 10000; ++i) {
      const std::string number = std::to_string(i);
      text.append("\"").append(number).append("\",\"Product ").append(number).append(", house style\",\"");
      text.append(std::to_string(1 + i % 37)).append(".50\"\r\n");
    }
    tabulo::test::WriteFile(csv, text);
  }
};

Setting& Bench() {
  static Setting setting;
  return setting;
}

void Check(benchmark::State& state, const tabulo::ImportResult& result) {
  // PLU 10000 has no translation row and is refused; every other row is imported.
  if (!result.ok || result.imported != 9999) state.SkipWithError(result.message.c_str());
}

void BM_ImportCsv10000(benchmark::State& state) {
  for (auto _ : state) Check(state, tabulo::ImportCSV(*Bench().doc, Bench().csv, Bench().options));
}
BENCHMARK(BM_ImportCsv10000)->Unit(benchmark::kMillisecond);

void BM_ImportXls10000(benchmark::State& state) {
  for (auto _ : state) {
    Check(state, tabulo::ImportFromXls(*Bench().doc, kFixtures + "bench10000.xls", Bench().options));
  }
}
BENCHMARK(BM_ImportXls10000)->Unit(benchmark::kMillisecond);

// FreeXL alone: open the workbook, select the sheet, fetch every cell.
void BM_BareFreeXlRead10000(benchmark::State& state) {
  std::string path = kFixtures + "bench10000.xls";
  for (auto _ : state) {
    const void* handle = nullptr;
    if (freexl_open(path.c_str(), &handle) != FREEXL_OK) state.SkipWithError("freexl_open");
    unsigned int rows = 0;
    unsigned short columns = 0;
    freexl_select_active_worksheet(handle, 0);
    freexl_worksheet_dimensions(handle, &rows, &columns);
    size_t cells = 0;
    for (unsigned int row = 0; row < rows; ++row) {
      for (unsigned short column = 0; column < columns; ++column) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(handle, row, column, &value) == FREEXL_OK && value.type != FREEXL_CELL_NULL)
          ++cells;
      }
    }
    benchmark::DoNotOptimize(cells);
    freexl_close(handle);
  }
}
BENCHMARK(BM_BareFreeXlRead10000)->Unit(benchmark::kMillisecond);

// The reader process alone, as every .xls import starts it, its whole answer collected.
void BM_XlsReaderProcess10000(benchmark::State& state) {
  const std::string path = kFixtures + "bench10000.xls";
  for (auto _ : state) {
    tabulo::ProcessRun run =
        tabulo::RunLimited(TABULO_PROGRAM_DIR "/tabulo-xls-reader", {path}, tabulo::XlsReaderLimits());
    if (run.end != tabulo::ProcessRun::End::kExited || run.exit_code != 0)
      state.SkipWithError("reader failed");
    benchmark::DoNotOptimize(run.output.data());
  }
}
BENCHMARK(BM_XlsReaderProcess10000)->Unit(benchmark::kMillisecond);

void BM_ImportXlsx10000(benchmark::State& state) {
  for (auto _ : state) {
    Check(state, tabulo::ImportFromXls(*Bench().doc, kFixtures + "bench10000.xlsx", Bench().options));
  }
}
BENCHMARK(BM_ImportXlsx10000)->Unit(benchmark::kMillisecond);

// libzip and expat alone: unpack the shared strings and the sheet as a stream into the parser, counting the
// characters of every value.
void BM_BareXlsxRead10000(benchmark::State& state) {
  std::string path = kFixtures + "bench10000.xlsx";
  for (auto _ : state) {
    std::string bytes;
    tabulo::ReadWholeFile(path, bytes);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive) state.SkipWithError("zip_open");
    size_t characters = 0;
    for (const char* part : {"xl/sharedStrings.xml", "xl/worksheets/sheet1.xml"}) {
      XML_Parser parser = XML_ParserCreate(nullptr);
      XML_SetUserData(parser, &characters);
      XML_SetCharacterDataHandler(parser, [](void* count, const XML_Char*, int length) {
        *static_cast<size_t*>(count) += static_cast<size_t>(length);
      });
      zip_file_t* file = zip_fopen(archive, part, 0);
      char buffer[65536];
      zip_int64_t got;
      while (file && (got = zip_fread(file, buffer, sizeof buffer)) > 0)
        XML_Parse(parser, buffer, static_cast<int>(got), 0);
      XML_Parse(parser, nullptr, 0, 1);
      if (file) zip_fclose(file);
      XML_ParserFree(parser);
    }
    zip_discard(archive);
    zip_error_fini(&error);
    benchmark::DoNotOptimize(characters);
  }
}
BENCHMARK(BM_BareXlsxRead10000)->Unit(benchmark::kMillisecond);

// The catalogue brought up to date from the file it came from with every price changed: 10000 matches, 10000
// changes, applied to a copy of the menu each time.
void UpdateFrom(benchmark::State& state, const std::string& path) {
  tabulo::MenuDocument base;
  tabulo::ImportCSV(base, path, Bench().options);
  for (int i = 0; i < base.NumPlus; ++i) base.PluPrice[i] = "99";
  auto doc = std::make_unique<tabulo::MenuDocument>();
  for (auto _ : state) {
    state.PauseTiming();
    *doc = base;
    state.ResumeTiming();
    tabulo::UpdatePlan plan = tabulo::PlanCatalogueUpdate(*doc, path);
    std::string error;
    if (!plan.ok || plan.changed.size() != 9999 || !tabulo::ApplyCatalogueUpdate(*doc, plan, error))
      state.SkipWithError(plan.error.c_str());
  }
}

void BM_UpdateCsv10000(benchmark::State& state) {
  UpdateFrom(state, kFixtures + "sources/bench10000.csv");
}
BENCHMARK(BM_UpdateCsv10000)->Unit(benchmark::kMillisecond);

void BM_UpdateXlsx10000(benchmark::State& state) {
  UpdateFrom(state, kFixtures + "bench10000.xlsx");
}
BENCHMARK(BM_UpdateXlsx10000)->Unit(benchmark::kMillisecond);

}  // namespace
