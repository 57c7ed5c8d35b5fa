#include <iostream>
#include <memory>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "designer/import/catalogue_imports.h"

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
  ImportOptions import_options;
  if (kind == "xls") import_options.kind = SpreadsheetKind::Xls;
  if (kind == "xlsx") import_options.kind = SpreadsheetKind::Xlsx;
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
  std::cout << result.message << "\n";
  return result.skipped.empty() ? kExitOk : kExitFindings;
}

}  // namespace tabulo::cli
