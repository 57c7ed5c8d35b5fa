#include "designer/import/import_menu.h"

#include "designer/import/catalogue_export.h"
#include "designer/import/catalogue_update.h"

namespace tabulo {
namespace {

// The changes listed for the user to confirm; a long list shows its start, the summary gives the counts.
std::string UpdateQuestion(const MenuDocument& doc, const UpdatePlan& plan) {
  constexpr int kShownLines = 40;
  std::string changes = DescribeUpdate(doc, plan);
  size_t end = 0;
  for (int line = 0; line < kShownLines && end != std::string::npos; ++line) {
    end = changes.find('\n', end);
    if (end != std::string::npos) ++end;
  }
  if (end != std::string::npos && end < changes.size()) changes = changes.substr(0, end) + "...\n";
  return changes + "\n" + UpdateSummary(plan) + "\nApply these changes?";
}

bool UpdateCatalogue(MenuDocument& doc, UserPrompts& prompts) {
  auto path = prompts.OpenFileName(kUpdateCatalogueCaption, kUpdateCatalogueFileName);
  if (!path) return false;
  UpdatePlan plan = PlanCatalogueUpdate(doc, *path);
  if (!plan.ok) {
    prompts.Message(plan.error);
    return false;
  }
  if (plan.ChangesNothing()) {
    std::string skipped = SkippedReport(plan.skipped);
    prompts.Message("\"" + plan.file + "\" changes nothing in the catalogue." +
                    (skipped.empty() ? "" : "\n" + skipped));
    return false;
  }
  if (!prompts.YesNo(UpdateQuestion(doc, plan), kUpdateCatalogueCaption)) return false;
  std::string error;
  if (!ApplyCatalogueUpdate(doc, plan, error)) {
    prompts.Message(error);
    return false;
  }
  prompts.Message(UpdateSummary(plan));
  return true;
}

}  // namespace

bool RunImportCommand(ImportMenuCommand command, MenuDocument& doc, UserPrompts& prompts,
                      const ImportOptions& options) {
  ImportResult result;
  switch (command) {
    case ImportMenuCommand::kFromLastSent:
      result = ImportFromDll(doc, options);
      break;
    case ImportMenuCommand::kFromCsv: {
      prompts.Message(kImportCSVMessage);
      auto path = prompts.OpenFileName(kImportCSVCaption, kImportCSVFileName);
      if (!path) return false;
      result = ImportCSV(doc, *path, options);
      break;
    }
    case ImportMenuCommand::kFromXls: {
      prompts.Message(kImportFromXlsMessage);
      auto path = prompts.OpenFileName(kImportFromXlsCaption, kImportFromXlsFileName);
      if (!path) return false;
      result = ImportFromXls(doc, *path, options);
      break;
    }
    case ImportMenuCommand::kUpdateCatalogue:
      return UpdateCatalogue(doc, prompts);
    case ImportMenuCommand::kExportCatalogue: {
      auto path = prompts.SaveFileName(kExportCatalogueCaption, kExportCatalogueFileName);
      if (path) prompts.Message(ExportCatalogue(doc, *path).message);
      return false;  // the document is as it was
    }
    case ImportMenuCommand::kFromMercato: {
      auto families = prompts.OpenFileName(kImportMercatoXlsCaption, kMercatoFamiliesFileName);
      if (!families) return false;
      // A families file that cannot be imported is reported before the products file is asked for.
      if (std::string problem = CheckMercatoFamilies(*families, options); !problem.empty()) {
        prompts.Message(problem);
        return false;
      }
      // Cancelling the products dialog leaves the menu as it was, rather than the empty menu the original
      // left behind.
      auto products = prompts.OpenFileName(kImportMercatoXlsCaption, kMercatoProductsFileName);
      if (!products) return false;
      result = ImportMercatoXls(doc, *families, *products, options);
      break;
    }
  }
  prompts.Message(result.message);
  return result.ok;
}

}  // namespace tabulo
