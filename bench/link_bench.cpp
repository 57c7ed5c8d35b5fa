// The full menu (10000 PLUs with translations, every line used, 100 modifiers and definitions) built and
// uploaded through libkestrel to kestrel-basesim on a pseudo-terminal. Budgets: the bytes on the wire
// within 1.15x of the payload the calls hand over, and the CPU of this process (tree, blocks, encoding,
// framing; the simulator runs in its own process) under 50 ms.
//
// The runner judges times, so the two byte counts are reported as manual times of one nanosecond per byte:
// BM_UploadWireBytes against its baseline BM_UploadPayloadBytes gives the wire-to-payload ratio.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>

#include <memory>

#include "designer/link/kestrel_binding.h"
#include "designer/link/menu_send.h"
#include "designer/storage/project_files.h"
#include "tests/kestrel/basesim_process.h"
#include "tests/link/fake_kestrel.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace {

using tabulo::SendMenu;
using tabulo::SendOutcome;

double ProcessCpuSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Link {
  tabulo::test::TempFolder folder;
  std::unique_ptr<tabulo::MenuDocument> doc = tabulo::test::FullMenu();
  std::unique_ptr<tabulo::test::BaseSimulator> base;
  tabulo::KestrelBinding library;
  void (*wire_bytes)(long long*, long long*) = nullptr;
  long long payload = 0;

  Link() {
    doc->ProjectBase = folder / "menu";
    tabulo::WriteProjectFiles(*doc);  // the definitions file the send reads
    base = std::make_unique<tabulo::test::BaseSimulator>(
        folder.Path(), std::vector<std::string>{"--menu-out", folder / "menu.json"});
    ::setenv("KESTREL_PORT_1", base->Link().c_str(), 1);
    ::setenv("KESTREL_LIBRARY", tabulo::test::BuiltLibrary().c_str(), 1);
    library.Load();
    if (void* handle = ::dlopen(tabulo::test::BuiltLibrary().c_str(), RTLD_NOW | RTLD_NOLOAD)) {
      wire_bytes = reinterpret_cast<void (*)(long long*, long long*)>(::dlsym(handle, "kestrel_wire_bytes"));
    }
    tabulo::test::FakeKestrel recorder;
    SendMenu(*doc, recorder, Settings());
    payload = recorder.payload_bytes;
  }

  // As the send dialog starts: plain slot numbers when the menu uses fixed lettering.
  tabulo::SendSettings Settings() const { return {1, doc->PagesVersion == "1"}; }

  long long WireBytes() const {
    long long written = 0, read = 0;
    if (wire_bytes) wire_bytes(&written, &read);
    return written + read;
  }
};

Link& TheLink() {
  static Link link;
  return link;
}

void BM_UploadFullMenuCpu(benchmark::State& state) {
  Link& link = TheLink();
  for (auto _ : state) {
    double before = ProcessCpuSeconds();
    tabulo::SendResult result = SendMenu(*link.doc, link.library, link.Settings());
    state.SetIterationTime(ProcessCpuSeconds() - before);
    if (result.outcome != SendOutcome::kSent) state.SkipWithError(result.error.c_str());
  }
}
BENCHMARK(BM_UploadFullMenuCpu)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_UploadWireBytes(benchmark::State& state) {
  Link& link = TheLink();
  if (!link.wire_bytes) state.SkipWithError("the library does not count its bytes");
  for (auto _ : state) {
    long long before = link.WireBytes();
    tabulo::SendResult result = SendMenu(*link.doc, link.library, link.Settings());
    long long wire = link.WireBytes() - before;
    state.SetIterationTime(static_cast<double>(wire) * 1e-9);
    state.counters["wire_bytes"] = static_cast<double>(wire);
    state.counters["ratio"] = static_cast<double>(wire) / static_cast<double>(link.payload);
    if (result.outcome != SendOutcome::kSent) state.SkipWithError(result.error.c_str());
  }
}
BENCHMARK(BM_UploadWireBytes)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);

void BM_UploadPayloadBytes(benchmark::State& state) {
  Link& link = TheLink();
  for (auto _ : state) state.SetIterationTime(static_cast<double>(link.payload) * 1e-9);
  state.counters["payload_bytes"] = static_cast<double>(link.payload);
}
BENCHMARK(BM_UploadPayloadBytes)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);

}  // namespace
