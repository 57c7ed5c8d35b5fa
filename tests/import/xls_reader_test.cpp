// The .xls reader process: what a workbook may cost this process, and how an import ends when the reader
// cannot finish. (Damaged workbooks through the designer's window: tests/mainwindow.)

#include "designer/import/xls_reader.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <memory>

#include "designer/document/catalogue_lookup.h"
#include "designer/import/catalogue_imports.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using namespace std::chrono_literals;

const std::string kImports = std::string(TABULO_FIXTURES) + "/import/";
const std::string kReader = std::string(TABULO_PROGRAM_DIR) + "/tabulo-xls-reader";

// Under AddressSanitizer the reader's address space is not limited (its shadow memory needs terabytes), only
// each of its allocations.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryLimited = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMemoryLimited = false;
#else
constexpr bool kMemoryLimited = true;
#endif
#else
constexpr bool kMemoryLimited = true;
#endif

// No child of this process is left, running or unreaped.
bool NoChildLeft() {
  return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

long ResidentKilobytes() {
  long size = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> size >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

long PeakKilobytes(int who) {
  rusage usage{};
  ::getrusage(who, &usage);
  return usage.ru_maxrss;
}

// 65536 x 256 cells declared in a few kilobytes: FreeXL asks for about 270 MB for the grid alone. The
// reader's memory limit refuses it at that request; this process never sees more than the answer.
TEST(XlsReaderProcess, AGridBombIsRefusedAndThisProcessStaysSmall) {
  // What this process grows by from here on, not the peak of tests run before it in the same process.
  std::ofstream("/proc/self/clear_refs") << "5";
  const long start = ResidentKilobytes();
  test::TempFolder folder;
  auto doc = std::make_unique<MenuDocument>();
  AppendPlu(*doc, "77", "1", "The old menu");
  ImportOptions options;
  options.interchange_path = folder / "pludata.txt";
  ImportResult result = ImportFromXls(*doc, kImports + "made/bomb_grid.xls", options);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(
      result.message,
      "\"bomb_grid.xls\" could not be read: reading it needs more than 256 MB of memory, far more than a "
      "catalogue takes. The menu was left as it was.");
  EXPECT_EQ(doc->NumPlus, 1);
  EXPECT_EQ(DescriptionOfPlu(*doc, 77), "The old menu");
  EXPECT_LT(PeakKilobytes(RUSAGE_SELF) - start, 64 * 1024) << "the grid stayed in the reader";
  if (kMemoryLimited) {
    EXPECT_LT(PeakKilobytes(RUSAGE_CHILDREN), 256 * 1024) << "the reader stayed in its limit";
  }
  EXPECT_TRUE(NoChildLeft());
}

TEST(XlsReaderProcess, AReaderThatWritesTooMuchOrHangsIsKilledAndReaped) {
  // The 10000-row sheet's answer is about 400 KB, far more than the pipe holds: the reader is killed while
  // it writes.
  ProcessLimits limits = XlsReaderLimits();
  limits.output_bytes = 16 * 1024;
  std::string error;
  EXPECT_EQ(OpenXlsWorkbook(kImports + "bench10000.xls", error, limits), nullptr);
  EXPECT_EQ(
      error,
      "\"bench10000.xls\" could not be read: it holds more than 16 KB of cells, far more than a catalogue "
      "takes. The menu was left as it was.");
  EXPECT_TRUE(NoChildLeft());

  // A file whose bytes never come (a stalled network share; here a named pipe nobody writes to).
  test::TempFolder folder;
  std::string stalled = folder / "stalled.xls";
  ASSERT_EQ(::mkfifo(stalled.c_str(), 0600), 0);
  limits = XlsReaderLimits();
  limits.wall_time = 300ms;
  EXPECT_EQ(OpenXlsWorkbook(stalled, error, limits), nullptr);
  EXPECT_EQ(
      error,
      "\"stalled.xls\" could not be read: reading it took longer than 0.3 seconds, so it was stopped. The "
      "menu was left as it was.");
  EXPECT_TRUE(NoChildLeft());
}

// The reader's answer is checked before anything is taken from it: an answer cut anywhere is refused.
TEST(XlsReaderProcess, AnAnswerCutAnywhereIsRefused) {
  ProcessRun run = RunLimited(kReader, {kImports + "plus.xls"}, XlsReaderLimits());
  ASSERT_EQ(run.end, ProcessRun::End::kExited);
  ASSERT_EQ(run.exit_code, 0);
  std::string error;
  ASSERT_NE(XlsWorkbookFromReaderOutput(run.output, "plus.xls", error), nullptr) << error;
  for (size_t size = 0; size < run.output.size(); ++size) {
    EXPECT_EQ(XlsWorkbookFromReaderOutput(run.output.substr(0, size), "plus.xls", error), nullptr) << size;
    EXPECT_EQ(error,
              "\"plus.xls\" could not be read: the .xls reader gave an answer that cannot be used. The "
              "menu was left as it was.");
  }
}

}  // namespace
}  // namespace tabulo
