#include "designer/translate/menu_translation.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

namespace tabulo {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

std::string PlanMenuTranslation(const MenuDocument& doc, TranslationMemory* memory,
                                const TextTranslator& translator, const MenuTranslationRequest& request,
                                MenuTranslationPlan& plan) {
  plan = MenuTranslationPlan{};
  plan.request = request;
  if (request.from < 1 || request.from > kLanguages) {
    return "the language to translate from is a column from 1 to " + std::to_string(kLanguages);
  }
  if (request.to.empty()) return "no language to translate into";
  for (int to : request.to) {
    if (to == 1) return kMainColumnNotTranslatedMessage;
    if (to < 1 || to > kLanguages) {
      return "the languages to translate into are columns from 2 to " + std::to_string(kLanguages);
    }
    if (to == request.from)
      return "a language cannot be translated into itself (column " + std::to_string(to) + ")";
  }
  for (int column = 1; column <= kLanguages; ++column) plan.names[column] = doc.Lang(0, column);
  for (int to : request.to) {
    std::string refused = translator.RefusedNames(plan.names[request.from], plan.names[to]);
    if (!refused.empty()) return refused;
  }

  const MenuTexts texts(doc);
  // The menu's own translations, by target column and source text: the first row that has one.
  std::map<int, std::map<std::string, std::string>> own;
  if (!request.overwrite) {
    for (int row : texts.Rows()) {
      const std::string source = texts.Text(row, request.from);
      if (source.empty()) continue;
      for (int to : request.to) {
        std::string translation = texts.Text(row, to);
        if (!translation.empty()) own[to].emplace(source, std::move(translation));
      }
    }
  }
  std::map<std::pair<int, std::string>, int> job_of;
  for (int row : texts.Rows()) {
    const std::string source = texts.Text(row, request.from);
    if (source.empty()) continue;
    for (int to : request.to) {
      MenuTranslationPlan::Cell cell;
      cell.row = row;
      cell.column = to;
      cell.source = source;
      cell.before = texts.Text(row, to);
      if (!cell.before.empty() && !request.overwrite) {
        ++plan.left_alone;
        continue;
      }
      // Hand corrections first, then the menu's own texts, then what the service said before.
      auto recalled = Recall(doc, memory, request.from, to, plan.names[request.from], plan.names[to], source,
                             /*use_menu=*/false);
      if (recalled && recalled->from_hand) {
        cell.recalled = recalled->text;
      } else if (auto found = own[to].find(source); found != own[to].end()) {
        cell.recalled = found->second;
      } else if (recalled) {
        cell.recalled = recalled->text;
      } else {
        auto [job, added] = job_of.emplace(std::make_pair(to, source), static_cast<int>(plan.jobs.size()));
        if (added) plan.jobs.push_back({source, to, {}, false});
        cell.job = job->second;
        cell.first_of_job = added;
      }
      plan.cells.push_back(std::move(cell));
    }
  }
  return {};
}

void RunMenuTranslation(MenuTranslationPlan& plan, TextTranslator& translator,
                        MenuTranslationProgress& progress, int parallel) {
  progress.total = static_cast<int>(plan.jobs.size());
  std::atomic<size_t> next{0};
  std::mutex mutex;
  std::optional<Translation> unusable;  // the failure that stopped every request
  std::map<int, Translation> refused;   // by column
  const std::string from_name = plan.names[plan.request.from];

  auto work = [&] {
    for (size_t i; !progress.cancel && (i = next++) < plan.jobs.size();) {
      MenuTranslationPlan::Job& job = plan.jobs[i];
      std::optional<Translation> known;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (unusable)
          known = unusable;
        else if (auto found = refused.find(job.column); found != refused.end())
          known = found->second;
      }
      Translation result =
          known ? *known
                : translator.Translate(job.text, from_name, plan.names[job.column], &progress.cancel);
      if (result.status == Translation::Status::kCancelled) return;
      if (!known && !result.ok()) {
        std::lock_guard<std::mutex> lock(mutex);
        if (result.ServiceUnusable() && !unusable) unusable = result;
        if (result.status == Translation::Status::kRefusedPair) refused.emplace(job.column, result);
      }
      if (result.ok() && result.text.empty()) result = {Translation::Status::kFailed, "", ""};
      job.result = std::move(result);
      job.done = true;
      ++progress.done;
    }
  };
  const int threads = std::clamp(parallel, 1, 16);
  std::vector<std::thread> workers;
  for (int t = 1; t < threads && static_cast<size_t>(t) < plan.jobs.size(); ++t) workers.emplace_back(work);
  work();
  for (std::thread& worker : workers) worker.join();
}

MenuTranslationReport ApplyMenuTranslation(MenuDocument& doc, TranslationMemory* memory,
                                           const MenuTranslationPlan& plan) {
  MenuTranslationReport report;
  report.left_alone = plan.left_alone;
  const int from = plan.request.from;
  const MenuTexts texts(doc);
  for (const MenuTranslationPlan::Cell& cell : plan.cells) {
    const MenuTranslationPlan::Job* job = cell.job >= 0 ? &plan.jobs[cell.job] : nullptr;
    if (job && !job->done) {
      ++report.not_reached;
      continue;
    }
    if (job && !job->result.ok()) {
      ++report.failed;
      const std::string message =
          job->result.message.empty() ? std::string(kCouldNotTranslateMessage) : job->result.message;
      if (!Contains(report.messages, message)) report.messages.push_back(message);
      continue;
    }
    // Edited while the service was asked: what the user typed wins.
    if (texts.Text(cell.row, from) != cell.source || texts.Text(cell.row, cell.column) != cell.before) {
      ++report.left_alone;
      continue;
    }
    const std::string& text = job ? job->result.text : cell.recalled;
    doc.Lang(cell.row, cell.column) = text;
    if (job && cell.first_of_job) {
      ++report.translated;
      RememberTranslation(memory, plan.names[from], plan.names[cell.column], cell.source, text,
                          MemoryOrigin::kService);
    } else {
      ++report.reused;
    }
  }
  return report;
}

std::string MenuTranslationReport::Text() const {
  std::string text = "Translated: " + std::to_string(translated) + ", reused: " + std::to_string(reused) +
                     ", failed: " + std::to_string(failed) + ", left alone: " + std::to_string(left_alone) +
                     ".";
  if (not_reached > 0) text += "\nCancelled: " + std::to_string(not_reached) + " texts were not translated.";
  for (const std::string& message : messages) text += "\n" + message;
  return text;
}

}  // namespace tabulo
