#include "designer/import/catalogue_update.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"
#include "designer/import/catalogue_checks.h"
#include "designer/import/catalogue_file.h"

namespace tabulo {
namespace {

// The document's entry for each PLU number: the first live entry whose number is that whole number.
std::unordered_map<int, int> EntriesByNumber(const MenuDocument& doc) {
  std::unordered_map<int, int> entries;
  int count = std::clamp(doc.NumPlus, 0, kMaxPlus);
  for (int i = 0; i < count; ++i) {
    if (std::optional<int> value = PluNumberOf(doc.PluNumber[i])) entries.emplace(*value, i);
  }
  return entries;
}

// Prices differing only in how they are written ("2.5", "2.50") are the same price: a spreadsheet shows a
// price cell with two decimals, and a round trip through it must not count as a change.
bool SamePrice(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::optional<double> x = StrictNumber(a);
  std::optional<double> y = StrictNumber(b);
  return x && y && *x == *y;
}

}  // namespace

UpdatePlan PlanCatalogueUpdate(const MenuDocument& doc, const std::string& path, SpreadsheetKind kind) {
  CatalogueFile read = ReadCatalogueFile(path, kind);
  if (!read.ok) {
    UpdatePlan plan;
    plan.file = FileNameOf(path);
    plan.error = read.error;
    return plan;
  }
  return PlanCatalogueUpdate(doc, FileNameOf(path), read.staged);
}

UpdatePlan PlanCatalogueUpdate(const MenuDocument& doc, const std::string& file,
                               const StagedCatalogue& staged) {
  UpdatePlan plan;
  plan.file = file;
  plan.skipped = staged.skipped;
  std::unordered_set<int> in_file;
  std::unordered_map<int, int> entries = EntriesByNumber(doc);
  for (const CatalogueEntry& entry : staged.entries) {
    int number = *PluNumberOf(entry.PluNumber);  // the reader let only such numbers through
    in_file.insert(number);
    CatalogueChange change;
    change.number = number;
    change.description = std::string(entry.PluDescription);
    change.price = std::string(entry.PluPrice);
    if (auto found = entries.find(number); found != entries.end()) {
      int index = found->second;
      change.index = index;
      change.old_description = doc.PluDescription[index];
      change.old_price = doc.PluPrice[index];
      if (SamePrice(change.old_price, change.price)) change.price = change.old_price;
      if (change.old_description != change.description || change.old_price != change.price)
        plan.changed.push_back(std::move(change));
    } else {
      plan.added.push_back(std::move(change));
    }
  }
  int count = std::clamp(doc.NumPlus, 0, kMaxPlus);
  for (int i = 0; i < count; ++i) {
    std::optional<int> value = PluNumberOf(doc.PluNumber[i]);
    if (value && !in_file.count(*value) && entries[*value] == i) plan.missing.push_back(*value);
  }
  plan.ok = true;
  return plan;
}

std::string UpdateSummary(const UpdatePlan& plan) {
  return std::to_string(plan.added.size()) + " new, " + std::to_string(plan.changed.size()) + " changed, " +
         std::to_string(plan.missing.size()) + " missing from \"" + plan.file + "\" (kept).";
}

std::string DescribeUpdate(const MenuDocument& doc, const UpdatePlan& plan) {
  std::string text;
  std::unordered_map<int, int> entries = EntriesByNumber(doc);
  for (const CatalogueChange& change : plan.added)
    text += "new " + std::to_string(change.number) + ": " + change.description + ", " + change.price + "\n";
  for (const CatalogueChange& change : plan.changed) {
    text += "changed " + std::to_string(change.number) + ":";
    if (change.old_description != change.description)
      text += " " + change.old_description + " \u2192 " + change.description;
    if (change.old_price != change.price)
      text += std::string(change.old_description != change.description ? "," : "") + " " + change.old_price +
              " \u2192 " + change.price;
    text += "\n";
  }
  for (int number : plan.missing)
    text += "missing " + std::to_string(number) + ": " + doc.PluDescription[entries[number]] + "\n";
  if (!plan.skipped.empty()) text += SkippedReport(plan.skipped) + "\n";
  return text;
}

bool ApplyCatalogueUpdate(MenuDocument& doc, const UpdatePlan& plan, std::string& error) {
  if (!plan.ok) {
    error = plan.error;
    return false;
  }
  if (std::clamp(doc.NumPlus, 0, kMaxPlus) + static_cast<long long>(plan.added.size()) > kMaxPlus) {
    error = "The " + std::to_string(plan.added.size()) + " new PLUs do not fit into the catalogue of " +
            std::to_string(kMaxPlus) + ". Nothing was changed.";
    return false;
  }
  // A modifier belongs to the PLU of its name, and a definition member shows its PLU's name: both follow a
  // renamed PLU.
  std::unordered_map<std::string, const CatalogueChange*> renamed;
  std::unordered_map<int, const CatalogueChange*> renamed_numbers;
  for (const CatalogueChange& change : plan.changed) {
    if (change.old_description != change.description) {
      renamed.emplace(change.old_description, &change);
      renamed_numbers.emplace(change.number, &change);
    }
    doc.PluDescription[change.index] = change.description;
    doc.PluPrice[change.index] = change.price;
  }
  if (!renamed.empty()) {
    for (int m = 0; m < std::clamp(doc.NumModifiers, 0, kMaxModifiers); ++m) {
      if (auto found = renamed.find(doc.Modifiers[m].Name); found != renamed.end())
        doc.Modifiers[m].Name = found->second->description;
    }
    for (int d = 0; d < std::clamp(doc.NumModifierDefs, 0, kMaxModifierDefs); ++d) {
      ModifierDefRecord& def = doc.ModifierDefs[d];
      for (int k = 0; k < std::clamp(def.Count, 0, kMaxMembers); ++k) {
        auto found = renamed_numbers.find(def.PluCode[k]);
        if (found != renamed_numbers.end() && def.PluDesc[k] == found->second->old_description)
          def.PluDesc[k] = found->second->description;
      }
    }
  }
  for (const CatalogueChange& change : plan.added)
    AppendPlu(doc, std::to_string(change.number), change.price, change.description);
  return true;
}

}  // namespace tabulo
