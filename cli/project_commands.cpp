#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "designer/catalogue/modifier_checks.h"
#include "designer/document/menu_document.h"
#include "designer/import/catalogue_checks.h"
#include "designer/import/page_fill.h"
#include "designer/storage/project_files.h"

namespace tabulo::cli {
namespace {

std::vector<int> PagesInUse(const MenuDocument& doc) {
  std::vector<int> pages;
  for (int p = 1; p <= kPages; ++p) {
    if (PageInUse(doc, p)) pages.push_back(p);
  }
  return pages;
}

// The lettering scheme of the pages by the value of its file: "0" and "1" are the two the designer knows;
// under any other value the pages are drawn and printed without plaque letters.
std::string LetteringText(const std::string& pages_version) {
  if (pages_version == "1") return "fixed (1)";
  if (pages_version == "0") return "from the last used page (0)";
  return "unknown scheme \"" + Shown(pages_version) + "\" (pages are printed without plaque letters)";
}

}  // namespace

int InfoCommand(const Arguments& args) {
  Options options(args, {});
  if (!options.Error().empty()) return Fail(options.Error());
  if (options.Positional().size() != 1) return Fail("usage: tabulo info PROJECT.TB1 [--json]");
  LoadedProject project;
  if (!LoadProjectFile(options.Positional()[0], project)) return kExitError;
  const MenuDocument& doc = *project.doc;

  std::vector<std::string> languages;
  for (int col = 1; col <= kLanguages; ++col) languages.push_back(doc.Lang(0, col));
  std::vector<int> pages = PagesInUse(doc);

  if (options.Has("--json")) {
    nlohmann::json info = {{"plus", doc.NumPlus},
                           {"pages_used", pages},
                           {"languages", languages},
                           {"modifiers", doc.NumModifiers},
                           {"definitions", doc.NumModifierDefs},
                           {"pages_version", doc.PagesVersion}};
    std::cout << info.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return kExitOk;
  }
  std::cout << "PLUs: " << doc.NumPlus << "\n";
  std::cout << "Pages in use:";
  if (pages.empty()) std::cout << " none";
  for (int p : pages) std::cout << " " << p;
  std::cout << "\nLanguages:";
  for (size_t i = 0; i < languages.size(); ++i) std::cout << (i ? ", " : " ") << Shown(languages[i]);
  std::cout << "\nModifiers: " << doc.NumModifiers << "\nModifier definitions: " << doc.NumModifierDefs
            << "\nLettering: " << LetteringText(doc.PagesVersion) << "\n";
  return kExitOk;
}

int CheckCommand(const Arguments& args) {
  Options options(args, {});
  if (!options.Error().empty()) return Fail(options.Error());
  if (options.Positional().size() != 1) return Fail("usage: tabulo check PROJECT.TB1");
  LoadedProject project;
  if (!LoadProjectFile(options.Positional()[0], project)) return kExitError;
  std::string base = FileNameOf(project.doc->ProjectBase);
  for (const ReadIssue& issue : project.report.issues) {
    std::cout << Shown(base + issue.file);
    if (issue.line > 0) std::cout << ":" << issue.line;
    std::cout << ": " << Shown(issue.message) << "\n";
  }
  // A project read without a fault can still hold modifiers a terminal would trip over.
  std::vector<std::string> modifier_problems = CheckModifiers(*project.doc);
  for (const std::string& problem : modifier_problems) std::cout << "modifiers: " << Shown(problem) << "\n";
  std::vector<std::string> catalogue_problems = CheckCatalogue(*project.doc);
  for (const std::string& problem : catalogue_problems) std::cout << "catalogue: " << Shown(problem) << "\n";
  return project.report.issues.empty() && modifier_problems.empty() && catalogue_problems.empty()
             ? kExitOk
             : kExitFindings;
}

int SaveAsCommand(const Arguments& args) {
  Options options(args, {});
  if (!options.Error().empty()) return Fail(options.Error());
  if (options.Positional().size() != 2) return Fail("usage: tabulo save-as SOURCE.TB1 DESTINATION.TB1");
  LoadedProject project;
  if (!LoadProjectFile(options.Positional()[0], project)) return kExitError;
  WriteReport written = SaveProjectAs(*project.doc, options.Positional()[1]);
  if (!written.ok) return Fail("cannot write " + written.failed_path + ": " + written.error);
  return kExitOk;
}

}  // namespace tabulo::cli
