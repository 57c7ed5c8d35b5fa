#include "designer/import/catalogue_update.h"

#include <algorithm>
#include <unordered_set>

#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"
#include "designer/import/catalogue_checks.h"
#include "designer/import/catalogue_file.h"

namespace tabulo {
namespace {

// The document's entry for a PLU number: the first live entry whose number is that whole number.
std::optional<int> EntryOf(const MenuDocument& doc, int number) {
  int count = std::clamp(doc.NumPlus, 0, kMaxPlus);
  for (int i = 0; i < count; ++i) {
    std::optional<int> value = PluNumberOf(doc.PluNumber[i]);
    if (value && *value == number) return i;
  }
  return std::nullopt;
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
  UpdatePlan plan;
  plan.file = FileNameOf(path);
  CatalogueFile read = ReadCatalogueFile(path, kind);
  if (!read.ok) {
    plan.error = read.error;
    return plan;
  }
  plan.skipped = std::move(read.staged.skipped);
  std::unordered_set<int> in_file;
  for (const CatalogueEntry& entry : read.staged.entries) {
    int number = *PluNumberOf(entry.PluNumber);  // the reader let only such numbers through
    in_file.insert(number);
    CatalogueChange change;
    change.number = number;
    change.description = std::string(entry.PluDescription);
    change.price = std::string(entry.PluPrice);
    if (std::optional<int> index = EntryOf(doc, number)) {
      change.index = *index;
      change.old_description = doc.PluDescription[*index];
      change.old_price = doc.PluPrice[*index];
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
    if (value && !in_file.count(*value) && EntryOf(doc, *value) == i) plan.missing.push_back(*value);
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
    text += "missing " + std::to_string(number) + ": " + DescriptionOfPlu(doc, number) + "\n";
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
  for (const CatalogueChange& change : plan.changed) {
    if (change.old_description != change.description) {
      for (int m = 0; m < std::clamp(doc.NumModifiers, 0, kMaxModifiers); ++m) {
        if (doc.Modifiers[m].Name == change.old_description) doc.Modifiers[m].Name = change.description;
      }
      for (int d = 0; d < std::clamp(doc.NumModifierDefs, 0, kMaxModifierDefs); ++d) {
        ModifierDefRecord& def = doc.ModifierDefs[d];
        for (int k = 0; k < std::clamp(def.Count, 0, kMaxMembers); ++k) {
          if (def.PluCode[k] == change.number && def.PluDesc[k] == change.old_description)
            def.PluDesc[k] = change.description;
        }
      }
    }
    doc.PluDescription[change.index] = change.description;
    doc.PluPrice[change.index] = change.price;
  }
  for (const CatalogueChange& change : plan.added)
    AppendPlu(doc, std::to_string(change.number), change.price, change.description);
  return true;
}

}  // namespace tabulo
