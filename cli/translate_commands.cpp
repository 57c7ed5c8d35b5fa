#include <unistd.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "designer/document/numbers.h"
#include "designer/storage/project_files.h"
#include "designer/translate/menu_translation.h"
#include "designer/translate/translation_memory.h"
#include "designer/translate/translation_services.h"

namespace tabulo::cli {
namespace {

constexpr const char* kTranslateUsage =
    "usage: tabulo translate [--service apertium|libretranslate|page] [--url URL] [--key KEY] --from NAME "
    "--to NAME TEXT";
constexpr const char* kTranslateMenuUsage =
    "usage: tabulo translate-menu PROJECT.TB1 --from N --to N[,N...] [--overwrite] [--service S] [--url URL] "
    "[--key KEY]";

// The service the options, the environment and the stored settings name, in that order.
std::shared_ptr<TextTranslator> ChosenTranslator(const Options& options, std::string& error) {
  ServiceOverrides overrides;
  if (options.Has("--service")) overrides.service = options.Value("--service");
  if (options.Has("--url")) overrides.url = options.Value("--url");
  if (options.Has("--key")) overrides.key = options.Value("--key");
  ServiceSettings resolved;
  error = ResolveTranslationSettings(overrides, ReadTranslationSettings(TranslationSettingsPath()), resolved);
  return error.empty() ? MakeTranslator(resolved) : nullptr;
}

// A language column 1..5, or nothing.
std::optional<int> ColumnOf(const std::string& text) {
  auto value = StrictNumber(text);
  if (!value || *value < 1 || *value > kLanguages || static_cast<int>(*value) != *value) return std::nullopt;
  return static_cast<int>(*value);
}

// Runs the service's requests on a worker thread while this one shows how far they got on a terminal.
void RunWithProgress(MenuTranslationPlan& plan, TextTranslator& translator) {
  MenuTranslationProgress progress;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    RunMenuTranslation(plan, translator, progress);
    finished = true;
  });
  const bool terminal = ::isatty(STDERR_FILENO);
  while (terminal && !finished) {
    std::cerr << "\rtranslating " << progress.done << " of " << plan.jobs.size() << std::flush;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  worker.join();
  if (terminal) std::cerr << "\rtranslated " << progress.done << " of " << plan.jobs.size() << "\n";
}

}  // namespace

int TranslateCommand(const Arguments& args) {
  Options options(args, {"--from", "--to", "--service", "--url", "--key"});
  if (!options.Error().empty()) return Fail(options.Error());
  if (!options.Has("--from") || !options.Has("--to") || options.Positional().size() != 1) {
    return Fail(kTranslateUsage);
  }
  std::string error;
  auto translator = ChosenTranslator(options, error);
  if (!translator) return Fail(error);
  const std::string source = options.Value("--from"), target = options.Value("--to");
  if (std::string refused = translator->RefusedNames(source, target); !refused.empty()) return Fail(refused);
  Translation result = translator->Translate(options.Positional()[0], source, target);
  if (!result.ok()) return Fail(result.message.empty() ? kCouldNotTranslateMessage : result.message);
  std::cout << Shown(result.text, true) << "\n";
  return kExitOk;
}

int TranslateMenuCommand(const Arguments& args) {
  Options options(args, {"--from", "--to", "--service", "--url", "--key"});
  if (!options.Error().empty()) return Fail(options.Error());
  if (!options.Has("--from") || !options.Has("--to") || options.Positional().size() != 1) {
    return Fail(kTranslateMenuUsage);
  }
  MenuTranslationRequest request;
  request.overwrite = options.Has("--overwrite");
  auto from = ColumnOf(options.Value("--from"));
  if (!from) return Fail("--from needs a language column from 1 to 5");
  request.from = *from;
  const std::string to = options.Value("--to");
  for (size_t start = 0; start <= to.size();) {
    size_t comma = to.find(',', start);
    if (comma == std::string::npos) comma = to.size();
    auto column = ColumnOf(to.substr(start, comma - start));
    if (!column) return Fail("--to needs language columns from 2 to 5, separated by commas");
    request.to.push_back(*column);
    start = comma + 1;
  }

  std::string error;
  auto translator = ChosenTranslator(options, error);
  if (!translator) return Fail(error);
  LoadedProject project;
  if (!LoadProjectFile(options.Positional()[0], project)) return kExitError;
  MenuDocument& doc = *project.doc;
  TranslationMemory memory(DefaultMemoryPath());
  MenuTranslationPlan plan;
  error = PlanMenuTranslation(doc, &memory, *translator, request, plan);
  if (!error.empty()) return Fail(error);
  RunWithProgress(plan, *translator);
  MenuTranslationReport report = ApplyMenuTranslation(doc, &memory, plan);
  if (report.translated + report.reused > 0) {
    WriteReport written = WriteProjectFiles(doc);
    if (!written.ok) return Fail("cannot write " + written.failed_path + ": " + written.error);
  }
  std::cout << Shown(report.Text(), true) << "\n";
  return report.failed > 0 ? kExitFindings : kExitOk;
}

}  // namespace tabulo::cli
