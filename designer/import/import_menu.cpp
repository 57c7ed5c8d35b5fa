#include "designer/import/import_menu.h"

namespace tabulo {

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
