// The full menu (10000 PLUs with translations, every line used, 100 modifiers and definitions) built and
// uploaded through libkestrel to kestrel-basesim on a pseudo-terminal.
//
// Through the simulator paced as a real line at 38400 and 19200 baud, two budgets: the wall time of the
// send within 1.05x the line time of the bytes that crossed the wire (bytes x 10 / baud; the protocol's
// waits and turnarounds are the difference), and the wire bytes within 1.05x the payload the calls hand
// over (framing, acknowledgements and the record encoding are the difference). The runner judges times, so
// each quantity is reported as a manual time against its baseline: seconds as seconds, bytes as one
// nanosecond per byte. Each paced send runs once (a full menu takes most of a minute at 19200).
//
// Through an instant simulator: the CPU of this process (tree, blocks, encoding, framing; the simulator
// runs in its own process) under 50 ms.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <map>
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

// One simulated base on its own port: port 1 instant, the others paced at their speed.
struct Base {
  tabulo::test::TempFolder folder;
  std::unique_ptr<tabulo::test::BaseSimulator> simulator;
  Base(int port, const std::vector<std::string>& options) {
    std::vector<std::string> all = {"--menu-out", folder / "menu.json"};
    all.insert(all.end(), options.begin(), options.end());
    simulator = std::make_unique<tabulo::test::BaseSimulator>(folder.Path(), all);
    ::setenv(("KESTREL_PORT_" + std::to_string(port)).c_str(), simulator->Link().c_str(), 1);
  }
};

struct Link {
  tabulo::test::TempFolder folder;
  std::unique_ptr<tabulo::MenuDocument> doc = tabulo::test::FullMenu();
  std::map<int, std::unique_ptr<Base>> bases;
  tabulo::KestrelBinding library;
  void (*wire_bytes)(long long*, long long*) = nullptr;
  long long payload = 0;

  Link() {
    doc->ProjectBase = folder / "menu";
    tabulo::WriteProjectFiles(*doc);  // the definitions file the send reads
    ::setenv("KESTREL_LIBRARY", tabulo::test::BuiltLibrary().c_str(), 1);
    library.Load();
    if (void* handle = ::dlopen(tabulo::test::BuiltLibrary().c_str(), RTLD_NOW | RTLD_NOLOAD)) {
      wire_bytes = reinterpret_cast<void (*)(long long*, long long*)>(::dlsym(handle, "kestrel_wire_bytes"));
    }
    tabulo::test::FakeKestrel recorder;
    SendMenu(*doc, recorder, Settings(1));
    payload = recorder.payload_bytes;
  }

  // As the send dialog starts: plain slot numbers when the menu uses fixed lettering.
  tabulo::SendSettings Settings(int port) const { return {port, doc->PagesVersion == "1"}; }

  int PortAt(int baud) {
    int port = baud == 0 ? 1 : baud == 38400 ? 2 : 3;
    if (!bases[port]) {
      bases[port] =
          baud == 0 ? std::make_unique<Base>(port, std::vector<std::string>{"--instant"})
                    : std::make_unique<Base>(port, std::vector<std::string>{"--baud", std::to_string(baud)});
    }
    return port;
  }

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

// The one paced send at a speed, made by the first benchmark that asks.
struct PacedSend {
  double wall_seconds = 0;
  long long wire = 0;
  std::string error;
};

const PacedSend& PacedSendAt(int baud) {
  static std::map<int, PacedSend> sends;
  auto found = sends.find(baud);
  if (found != sends.end()) return found->second;
  Link& link = TheLink();
  int port = link.PortAt(baud);
  PacedSend send;
  long long before = link.WireBytes();
  auto start = std::chrono::steady_clock::now();
  tabulo::SendResult result = SendMenu(*link.doc, link.library, link.Settings(port));
  send.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  send.wire = link.WireBytes() - before;
  if (result.outcome != SendOutcome::kSent) send.error = result.error.empty() ? "not sent" : result.error;
  if (!link.wire_bytes) send.error = "the library does not count its bytes";
  return sends[baud] = send;
}

void BM_UploadFullMenuCpu(benchmark::State& state) {
  Link& link = TheLink();
  int port = link.PortAt(0);
  for (auto _ : state) {
    double before = ProcessCpuSeconds();
    tabulo::SendResult result = SendMenu(*link.doc, link.library, link.Settings(port));
    state.SetIterationTime(ProcessCpuSeconds() - before);
    if (result.outcome != SendOutcome::kSent) state.SkipWithError(result.error.c_str());
  }
}
BENCHMARK(BM_UploadFullMenuCpu)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_PacedUploadWall(benchmark::State& state) {
  int baud = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const PacedSend& send = PacedSendAt(baud);
    state.SetIterationTime(send.wall_seconds);
    if (!send.error.empty()) state.SkipWithError(send.error.c_str());
  }
  const PacedSend& send = PacedSendAt(baud);
  state.counters["wall_s"] = send.wall_seconds;
  state.counters["line_s"] = static_cast<double>(send.wire) * 10.0 / baud;
  state.counters["ratio"] = send.wall_seconds / (static_cast<double>(send.wire) * 10.0 / baud);
}
BENCHMARK(BM_PacedUploadWall)
    ->Arg(38400)
    ->Arg(19200)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// The baseline of the wall time: the time the wire bytes of the same send take on the line.
void BM_PacedUploadLineTime(benchmark::State& state) {
  int baud = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const PacedSend& send = PacedSendAt(baud);
    state.SetIterationTime(static_cast<double>(send.wire) * 10.0 / baud);
  }
}
BENCHMARK(BM_PacedUploadLineTime)
    ->Arg(38400)
    ->Arg(19200)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

void BM_PacedUploadWireBytes(benchmark::State& state) {
  int baud = static_cast<int>(state.range(0));
  Link& link = TheLink();
  for (auto _ : state) {
    const PacedSend& send = PacedSendAt(baud);
    state.SetIterationTime(static_cast<double>(send.wire) * 1e-9);
    if (!send.error.empty()) state.SkipWithError(send.error.c_str());
  }
  const PacedSend& send = PacedSendAt(baud);
  state.counters["wire_bytes"] = static_cast<double>(send.wire);
  state.counters["ratio"] = static_cast<double>(send.wire) / static_cast<double>(link.payload);
}
BENCHMARK(BM_PacedUploadWireBytes)
    ->Arg(38400)
    ->Arg(19200)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMicrosecond);

void BM_UploadPayloadBytes(benchmark::State& state) {
  Link& link = TheLink();
  for (auto _ : state) state.SetIterationTime(static_cast<double>(link.payload) * 1e-9);
  state.counters["payload_bytes"] = static_cast<double>(link.payload);
}
BENCHMARK(BM_UploadPayloadBytes)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

}  // namespace
