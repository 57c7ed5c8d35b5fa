#include <iostream>
#include <memory>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "designer/import/catalogue_export.h"
#include "designer/import/catalogue_imports.h"
#include "designer/import/catalogue_update.h"
#include "designer/import/page_fill.h"

namespace tabulo::cli {
namespace {

constexpr const char* kImportUsage =
    "usage: tabulo import csv|xls|xlsx FILE -o PROJECT.TB1\n"
    "       tabulo import backoffice FAMILIES PRODUCTS -o PROJECT.TB1\n"
    "       tabulo import last-sent -o PROJECT.TB1";

}  // namespace

// A new menu from a catalogue file, written as a project: the designer's Import commands followed by Save.
// The spreadsheet imports go through the interchange file of the maker folder, as in the designer. Prints the
// designer's closing message; exit 1 when lines were skipped, 2 when nothing was imported.
int ImportCommand(const Arguments& args) {
  Options options(args, {"-o", "--output"});
  if (!options.Error().empty()) return Fail(options.Error());
  const std::vector<std::string>& positional = options.Positional();
  std::string output = options.Value("-o", options.Value("--output"));
  if (positional.empty() || output.empty()) return Fail(kImportUsage);
  const std::string& kind = positional[0];
  size_t files = kind == "backoffice" ? 2 : kind == "last-sent" ? 0 : 1;
  if (kind != "csv" && kind != "xls" && kind != "xlsx" && kind != "backoffice" && kind != "last-sent") {
    return Fail("unknown import \"" + kind + "\"\n" + kImportUsage);
  }
  if (positional.size() != files + 1) return Fail(kImportUsage);

  auto doc = std::make_unique<MenuDocument>();
  // The file's content decides its format: "csv", "xls" and "xlsx" name the command, not the reader.
  ImportOptions import_options;
  ImportResult result;
  if (kind == "csv") {
    result = ImportCSV(*doc, positional[1], import_options);
  } else if (kind == "xls" || kind == "xlsx") {
    result = ImportFromXls(*doc, positional[1], import_options);
  } else if (kind == "backoffice") {
    result = ImportMercatoXls(*doc, positional[1], positional[2], import_options);
  } else {
    result = ImportFromDll(*doc, import_options);
  }
  if (!result.ok) return Fail(result.message);

  WriteReport written = SaveProjectAs(*doc, output);
  if (!written.ok) return Fail("cannot write " + written.failed_path + ": " + written.error);
  std::cout << Shown(result.message, true) << "\n";
  return result.skipped.empty() ? kExitOk : kExitFindings;
}

}  // namespace tabulo::cli

namespace tabulo::cli {

// The catalogue of a project brought up to date from a file: the designer's "Update prices and names...".
// --preview prints the changes and writes nothing. Exit 1 when rows of the file were skipped or remarked on.
int UpdateCommand(const Arguments& args) {
  Options options(args, {});
  if (!options.Error().empty()) return Fail(options.Error());
  if (options.Positional().size() != 2) return Fail("usage: tabulo update PROJECT.TB1 FILE [--preview]");
  LoadedProject project;
  if (!LoadProjectFile(options.Positional()[0], project)) return kExitError;
  UpdatePlan plan = PlanCatalogueUpdate(*project.doc, options.Positional()[1]);
  if (!plan.ok) return Fail(plan.error);
  std::cout << Shown(DescribeUpdate(*project.doc, plan), true);
  if (!options.Has("--preview") && !plan.ChangesNothing()) {
    std::string error;
    if (!ApplyCatalogueUpdate(*project.doc, plan, error)) return Fail(error);
    WriteReport written = SaveProjectAs(*project.doc, options.Positional()[0]);
    if (!written.ok) return Fail("cannot write " + written.failed_path + ": " + written.error);
  }
  std::cout << UpdateSummary(plan) << (options.Has("--preview") ? " Nothing was written (--preview)." : "")
            << "\n";
  return plan.skipped.empty() ? kExitOk : kExitFindings;
}

// Pages laid out from a menu spreadsheet, the catalogue brought up to date by PLU number: the designer's
// "Lay out pages from a spreadsheet..." followed by Save. Exit 1 when rows were skipped, 2 when nothing was
// laid out (a file that cannot be read, or a layout that does not fit: the project is left as it was).
int LayoutCommand(const Arguments& args) {
  constexpr const char* kUsage = "usage: tabulo layout PROJECT.TB1 --from FILE [--start-page N] [--replace]";
  Options options(args, {"--from", "--start-page"});
  if (!options.Error().empty()) return Fail(options.Error());
  if (options.Positional().size() != 1 || options.Value("--from").empty()) return Fail(kUsage);
  PageFillOptions fill;
  fill.replace = options.Has("--replace");
  if (options.Has("--start-page")) {
    const std::string& text = options.Value("--start-page");
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    fill.start_page = digits == text.size() && digits > 0 && digits <= 2 ? std::stoi(text) : -1;
    if (fill.start_page < 1 || fill.start_page > kPages)
      return Fail("--start-page takes a page from 1 to " + std::to_string(kPages));
  }
  LoadedProject project;
  if (!LoadProjectFile(options.Positional()[0], project)) return kExitError;
  PageFillPlan plan = PlanPageFill(*project.doc, options.Value("--from"), fill);
  std::cout << DescribePageFill(plan);
  std::string error;
  if (!ApplyPageFill(*project.doc, plan, error)) return Fail(error);
  WriteReport written = SaveProjectAs(*project.doc, options.Positional()[0]);
  if (!written.ok) return Fail("cannot write " + written.failed_path + ": " + written.error);
  std::cout << PageFillSummary(plan) << "\n";
  return plan.catalogue.skipped.empty() ? kExitOk : kExitFindings;
}

// The catalogue as CSV or .xlsx, for editing in a spreadsheet and bringing back with `update`.
int ExportCommand(const Arguments& args) {
  Options options(args, {"-o", "--output"});
  if (!options.Error().empty()) return Fail(options.Error());
  std::string output = options.Value("-o", options.Value("--output"));
  if (options.Positional().size() != 1 || output.empty())
    return Fail("usage: tabulo export PROJECT.TB1 -o FILE.csv|FILE.xlsx");
  LoadedProject project;
  if (!LoadProjectFile(options.Positional()[0], project)) return kExitError;
  ExportResult result = ExportCatalogue(*project.doc, output);
  if (!result.ok) return Fail(result.message);
  std::cout << Shown(result.message, true) << "\n";
  return kExitOk;
}

}  // namespace tabulo::cli
