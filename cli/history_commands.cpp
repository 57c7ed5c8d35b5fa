#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "designer/history/menu_diff.h"
#include "designer/history/sent_menus.h"

namespace tabulo::cli {
namespace {

// A project file, or a send kept in the history ("sent", "sent:N", or its name) when no file has that name.
bool LoadMenu(const std::string& reference, LoadedProject& loaded) {
  std::error_code error;
  if (!std::filesystem::exists(reference, error)) {
    if (auto sent = FindSentMenu(reference)) return LoadProjectFile(sent->project, loaded);
  }
  return LoadProjectFile(reference, loaded);
}

}  // namespace

int DiffCommand(const Arguments& args) {
  Options options(args, {});
  if (!options.Error().empty()) return Fail(options.Error());
  if (options.Positional().size() != 2)
    return Fail("usage: tabulo diff A.TB1|sent[:N] B.TB1|sent[:N] [--json]");
  LoadedProject before;
  LoadedProject after;
  if (!LoadMenu(options.Positional()[0], before) || !LoadMenu(options.Positional()[1], after))
    return kExitError;
  MenuDiff diff = CompareMenus(*before.doc, *after.doc);
  if (options.Has("--json")) {
    nlohmann::json changes = nlohmann::json::array();
    for (const MenuChange& change : diff.changes) {
      changes.push_back({{"kind", ChangeKindName(change.kind)},
                         {"where", change.where},
                         {"before", change.before},
                         {"after", change.after}});
    }
    nlohmann::json out = {{"equal", diff.Empty()}, {"summary", diff.Summary()}, {"changes", changes}};
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    std::cout << Shown(diff.Text(), true);
    std::cout << (diff.Empty() ? "The menus are the same." : "In all: " + Shown(diff.Summary()) + ".")
              << "\n";
  }
  return diff.Empty() ? kExitOk : kExitFindings;
}

int HistoryCommand(const Arguments& args) {
  Options options(args, {});
  if (!options.Error().empty()) return Fail(options.Error());
  if (!options.Positional().empty()) return Fail("usage: tabulo history [--json]");
  std::vector<SentMenu> sent = SentMenus();
  if (options.Has("--json")) {
    nlohmann::json out = nlohmann::json::array();
    for (std::size_t i = 0; i < sent.size(); ++i) {
      out.push_back({{"reference", "sent:" + std::to_string(i + 1)},
                     {"name", sent[i].name},
                     {"project", sent[i].project}});
    }
    std::cout << out.dump(2) << "\n";
    return kExitOk;
  }
  if (sent.empty()) std::cout << "No menu has been sent from " << SentFolder() << " yet.\n";
  for (std::size_t i = 0; i < sent.size(); ++i) {
    std::cout << "sent:" << i + 1 << "  " << Shown(sent[i].name) << "  " << Shown(sent[i].project) << "\n";
  }
  return kExitOk;
}

}  // namespace tabulo::cli
