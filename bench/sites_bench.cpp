// The full menu sent by `tabulo send --sites` to 10 simulated bases at 38400 baud, each behind its own
// ser2net (RFC 2217) on 127.0.0.1, against the same send to one of them: the sends overlap, so the 10 take
// within 1.2x the wall time of one; and each site's send (as the final report times it) stays within 1.05x
// of the time its wire bytes take on the line (bytes x 10 / baud). The wire bytes of one clean send are
// counted by the library in this process, through an instant simulator. Each send runs once.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "designer/link/kestrel_binding.h"
#include "designer/link/menu_send.h"
#include "designer/storage/project_files.h"
#include "tests/kestrel/basesim_process.h"
#include "tests/kestrel/ser2net_process.h"
#include "tests/support/run_program.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int kSites = 10;
constexpr int kBaud = 38400;

struct SiteBase {
  tabulo::test::TempFolder folder;
  std::unique_ptr<tabulo::test::BaseSimulator> simulator;
  std::unique_ptr<tabulo::test::Ser2Net> converter;
  explicit SiteBase(const std::vector<std::string>& options) {
    simulator = std::make_unique<tabulo::test::BaseSimulator>(folder.Path(), options);
    converter = std::make_unique<tabulo::test::Ser2Net>(folder.Path(), simulator->Link(),
                                                        tabulo::test::Ser2Net::Mode::kRfc2217, kBaud);
  }
};

struct SitesRun {
  double wall_seconds = 0;
  double slowest_site_seconds = 0;
  std::string error;
};

struct Office {
  tabulo::test::TempFolder folder;
  std::string project = folder / "full.TB1";
  std::vector<std::unique_ptr<SiteBase>> bases;
  long long wire_bytes = 0;
  std::string error;

  Office() {
    auto doc = tabulo::test::FullMenu();
    if (!tabulo::SaveProjectAs(*doc, project).ok) error = "cannot save the project";
    ::setenv("KESTREL_LIBRARY", tabulo::test::BuiltLibrary().c_str(), 1);
    CountWireBytes();
    for (int i = 0; i < kSites; ++i) bases.push_back(std::make_unique<SiteBase>(std::vector<std::string>{}));
  }

  // One clean send through an instant simulator: the bytes every clean send puts on the wire.
  void CountWireBytes() {
    auto doc = std::make_unique<tabulo::MenuDocument>();
    tabulo::LoadProject(*doc, project);
    tabulo::test::TempFolder instant_folder;
    tabulo::test::BaseSimulator instant(instant_folder.Path(), {"--instant"});
    ::setenv("KESTREL_PORT_1", instant.Link().c_str(), 1);
    tabulo::KestrelBinding library;
    library.Load();
    auto wire = reinterpret_cast<void (*)(long long*, long long*)>(::dlsym(
        ::dlopen(tabulo::test::BuiltLibrary().c_str(), RTLD_NOW | RTLD_NOLOAD), "kestrel_wire_bytes"));
    long long written = 0, read = 0;
    if (wire) wire(&written, &read);
    long long before = written + read;
    tabulo::SendResult result = tabulo::SendMenu(*doc, library, {1, doc->PagesVersion == "1"});
    if (wire) wire(&written, &read);
    wire_bytes = written + read - before;
    if (result.outcome != tabulo::SendOutcome::kSent || !wire)
      error = "the instant send failed: " + result.error;
  }

  SitesRun Send(int sites) {
    SitesRun run;
    std::string file = folder / ("sites-" + std::to_string(sites) + ".conf");
    std::ostringstream lines;
    for (int i = 0; i < sites; ++i) lines << "site" << i << " " << bases[i]->converter->Address() << "\n";
    tabulo::test::WriteFile(file, lines.str());
    auto start = std::chrono::steady_clock::now();
    tabulo::test::ProgramRun sent =
        tabulo::test::RunProgram(tabulo::test::BuiltProgram("tabulo"), {"send", project, "--sites", file});
    run.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (sent.exit_code != 0) run.error = "tabulo send --sites failed: " + sent.out + sent.err;
    // "  sent    site3 (rfc2217://...): 9000 items, 100 modifier choices; 31.42 s"
    std::regex timed(R"(^  sent +\S+ \(.*\): .*; ([0-9.]+) s$)");
    std::istringstream report(sent.out);
    std::string line;
    int timed_sites = 0;
    while (std::getline(report, line)) {
      std::smatch match;
      if (!std::regex_match(line, match, timed)) continue;
      run.slowest_site_seconds = std::max(run.slowest_site_seconds, std::stod(match[1]));
      ++timed_sites;
    }
    if (run.error.empty() && timed_sites != sites) run.error = "the report does not time every site";
    return run;
  }
};

Office& TheOffice() {
  static Office office;
  return office;
}

const SitesRun& SendTo(int sites) {
  static std::map<int, SitesRun> runs;
  auto found = runs.find(sites);
  if (found != runs.end()) return found->second;
  return runs[sites] = TheOffice().Send(sites);
}

void Report(benchmark::State& state, double seconds, const std::string& error) {
  const std::string& setup = TheOffice().error;
  if (!setup.empty()) {
    state.SkipWithError(setup.c_str());
  } else if (!error.empty()) {
    state.SkipWithError(error.c_str());
  }
  state.SetIterationTime(seconds);
}

void BM_SitesWall(benchmark::State& state) {
  int sites = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const SitesRun& run = SendTo(sites);
    Report(state, run.wall_seconds, run.error);
  }
  state.counters["wall_s"] = SendTo(sites).wall_seconds;
}
BENCHMARK(BM_SitesWall)->Arg(1)->Arg(kSites)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// The slowest site's own send, as the final report times it.
void BM_SitesSlowestSite(benchmark::State& state) {
  for (auto _ : state) {
    const SitesRun& run = SendTo(kSites);
    Report(state, run.slowest_site_seconds, run.error);
  }
  state.counters["site_s"] = SendTo(kSites).slowest_site_seconds;
  state.counters["line_s"] = static_cast<double>(TheOffice().wire_bytes) * 10.0 / kBaud;
}
BENCHMARK(BM_SitesSlowestSite)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// The baseline of a site's send: the time its wire bytes take on a line at 38400.
void BM_SitesLineTime(benchmark::State& state) {
  for (auto _ : state) Report(state, static_cast<double>(TheOffice().wire_bytes) * 10.0 / kBaud, "");
  state.counters["wire_bytes"] = static_cast<double>(TheOffice().wire_bytes);
}
BENCHMARK(BM_SitesLineTime)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
