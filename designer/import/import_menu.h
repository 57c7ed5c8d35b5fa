#pragma once
// The Import menu's commands as the designer runs them: the message shown first, the open dialogs with
// their pre-filled names, the import itself and the message that ends it, all through the prompt interface.

#include "designer/document/menu_document.h"
#include "designer/import/catalogue_imports.h"
#include "platform/user_prompts.h"

namespace tabulo {

enum class ImportMenuCommand {
  kFromLastSent,
  kFromMercato,
  kFromXls,
  kFromCsv,
  kUpdateCatalogue,
  kExportCatalogue
};

// Runs one command. "Update prices and names..." shows what the file would change (new, changed old → new,
// missing) and applies it all in one step when the user says yes; "Export catalogue..." asks where to write.
// A cancelled dialog or a file that cannot be imported leaves the document as it was;
// true when the document now holds the imported catalogue (the caller redraws it).
bool RunImportCommand(ImportMenuCommand command, MenuDocument& doc, UserPrompts& prompts,
                      const ImportOptions& options = {});

}  // namespace tabulo
