#pragma once
// "Update prices and names...": a catalogue file brought in over the menu instead of replacing it. Rows are
// matched to the catalogue by PLU number; a matched PLU takes the file's description and price, a number the
// catalogue lacks becomes a new PLU, and PLUs the file lacks stay as they are (reported as missing). Pages,
// translations, colours and modifiers stay: a renamed PLU's modifiers are renamed with it, since a modifier
// belongs to the PLU of its name.

#include <string>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/import/import_report.h"
#include "designer/import/spreadsheet.h"

namespace tabulo {

struct CatalogueChange {
  int number = 0;
  int index = -1;  // catalogue index of a changed PLU; -1 for a new one
  std::string old_description, old_price;
  std::string description, price;
};

struct UpdatePlan {
  bool ok = false;
  std::string error;  // why the file cannot be used; nothing changes
  std::string file;
  std::vector<CatalogueChange> added;
  std::vector<CatalogueChange> changed;
  std::vector<int> missing;  // PLU numbers of the catalogue that the file does not give
  std::vector<SkippedLine> skipped;
  bool ChangesNothing() const { return added.empty() && changed.empty(); }
};

// What updating the document from the file would change. Nothing is changed.
UpdatePlan PlanCatalogueUpdate(const MenuDocument& doc, const std::string& path,
                               SpreadsheetKind kind = SpreadsheetKind::Detect);
// The same for rows already read and checked (skipped rows handed on), from the file named `file`.
UpdatePlan PlanCatalogueUpdate(const MenuDocument& doc, const std::string& file,
                               const StagedCatalogue& staged);

// The changes, one per line: "new 12: Soup, 2.50", "changed 3: Fish → Fish pie, 2.50 → 2.80",
// "missing 7: Tea", then the skipped rows and remarks of the file.
std::string DescribeUpdate(const MenuDocument& doc, const UpdatePlan& plan);
// "2 new, 3 changed, 1 missing (kept)."
std::string UpdateSummary(const UpdatePlan& plan);

// Applies a plan made for this document, all of it or (when the new PLUs do not fit the catalogue) none.
bool ApplyCatalogueUpdate(MenuDocument& doc, const UpdatePlan& plan, std::string& error);

}  // namespace tabulo
