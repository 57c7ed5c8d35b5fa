// "Translate menu" of 300 dishes from English into Italian, French and Spanish against a local Apertium
// APy (Spanish is direct; Italian and French go through Spanish), as `tabulo translate-menu` does it:
//   BM_TranslateMenuFirstRun   an empty memory: every distinct text asked of the service (wall time);
//   BM_TranslateMenuSecondRun  the same menu, its translations empty again: the counter memory_share is the
//                              share of the cells answered from the memory (expected: all of them).

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>

#include "designer/document/catalogue_lookup.h"
#include "designer/translate/menu_translation.h"
#include "designer/translate/translation_services.h"
#include "tests/support/apertium_server.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace tabulo;

std::unique_ptr<MenuDocument> Dishes() {
  const char* ways[] = {"Grilled", "Fried", "Roasted", "Baked", "Boiled"};
  const char* meats[] = {"chicken", "fish", "beef", "pork", "lamb", "duck"};
  const char* sides[] = {"with rice",  "with potatoes", "with salad",  "with vegetables", "with beans",
                         "with bread", "with cheese",   "with onions", "with tomatoes",   "with mushrooms"};
  auto doc = std::make_unique<MenuDocument>();
  ApplyDefaultLanguageNames(*doc);  // Portugues, English, Italiano, Frances, Espanol
  int number = 0;
  for (const char* way : ways) {
    for (const char* meat : meats) {
      for (const char* side : sides) {
        ++number;
        AppendPlu(*doc, std::to_string(number), "9.50", "Prato " + std::to_string(number));
        doc->Lang(number, 2) = std::string(way) + " " + meat + " " + side;
      }
    }
  }
  return doc;
}

struct Setup {
  test::ApertiumServer& server = test::ApertiumServer::Shared();
  test::TempFolder folder;
  TranslationMemory memory{folder / "translation-memory.txt"};
  std::shared_ptr<TextTranslator> translator;
  Setup() {
    if (!server.Error().empty()) throw std::runtime_error(server.Error());
    HttpOptions http;
    http.total_timeout = std::chrono::seconds(120);
    translator = MakeTranslator({ServiceKind::kApertium, server.Base(), ""}, http);
  }
  MenuTranslationReport Translate(MenuDocument& doc) {
    MenuTranslationPlan plan;
    std::string error = PlanMenuTranslation(doc, &memory, *translator, {2, {3, 4, 5}, false}, plan);
    if (!error.empty()) throw std::runtime_error(error);
    MenuTranslationProgress progress;
    RunMenuTranslation(plan, *translator, progress);
    return ApplyMenuTranslation(doc, &memory, plan);
  }
};

Setup& Shared() {
  static Setup setup;
  return setup;
}

void Run(benchmark::State& state) {
  Setup& setup = Shared();
  for (auto _ : state) {
    auto doc = Dishes();
    const auto start = std::chrono::steady_clock::now();
    MenuTranslationReport report = setup.Translate(*doc);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    const int cells =
        report.translated + report.reused + report.failed + report.left_alone + report.not_reached;
    state.counters["cells"] = cells;
    state.counters["translated"] = report.translated;
    state.counters["failed"] = report.failed;
    state.counters["memory_share"] = cells ? static_cast<double>(report.reused) / cells : 0;
  }
}

void BM_TranslateMenuFirstRun(benchmark::State& state) {
  Run(state);
}
void BM_TranslateMenuSecondRun(benchmark::State& state) {
  Run(state);
}

// In this order: the second run finds what the first one remembered.
BENCHMARK(BM_TranslateMenuFirstRun)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranslateMenuSecondRun)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
