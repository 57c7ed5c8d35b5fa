#include "designer/catalogue/modifier_checks.h"

#include <algorithm>
#include <unordered_set>

#include "designer/catalogue/modifier_edits.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"

namespace tabulo {
namespace {

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Every whole positive PLU number of the catalogue, gathered once: a full menu has 10000 PLUs and up to
// 101 x 101 members to look up.
std::unordered_set<int32_t> CatalogueNumbers(const MenuDocument& doc) {
  std::unordered_set<int32_t> numbers;
  for (int i = 0; i < std::clamp(doc.NumPlus, 0, kMaxPlus); ++i) {
    double value = PluValue(doc, i);
    if (value > 0 && value == WholeNumber(value)) numbers.insert(WholeNumber(value));
  }
  return numbers;
}

void CheckLevel(const MenuDocument& doc, const ModifierRecord& record, int l, std::vector<std::string>& out) {
  const std::string& name = record.LevelName[l];
  const std::string where =
      Quoted(record.Name) + " level " + std::to_string(l + 1) + " (" + Quoted(name) + "): ";
  if (FindModifierDef(doc, name) < 0) {
    out.push_back(where + "names no modifier definition");
    return;
  }
  const int members = static_cast<int>(LevelMembers(doc, name).size());
  const int32_t minimum = record.Minimo[l];
  const int32_t maximum = record.Maximo[l];
  const auto mask = static_cast<uint32_t>(record.Default[l]);
  if (minimum > maximum) {
    out.push_back(where + "minimum " + std::to_string(minimum) + " is above maximum " +
                  std::to_string(maximum));
  }
  if (maximum > members) {
    out.push_back(where + "maximum " + std::to_string(maximum) + " is above the " +
                  Plural(members, "member", "members") + " of the definition");
  }
  int defaults = 0;
  int beyond = 0;
  std::string beyond_members;  // counted from 1, as the members are listed
  for (int bit = 0; bit < 32; ++bit) {
    if (((mask >> bit) & 1u) == 0) continue;
    ++defaults;
    if (bit < members && bit < kDefaultBits) continue;
    ++beyond;
    beyond_members += (beyond_members.empty() ? "" : ", ") + std::to_string(bit + 1);
  }
  if (defaults > maximum) {
    out.push_back(where + Plural(defaults, "default choice", "default choices") + " but a maximum of " +
                  std::to_string(maximum));
  }
  if (beyond > 0) {
    out.push_back(where + (beyond == 1 ? "a default choice names member " : "default choices name members ") +
                  beyond_members + ", beyond the " +
                  (members > kDefaultBits ? std::string("31 members that can be default choices")
                                          : Plural(members, "member", "members") + " of the definition"));
  }
}

}  // namespace

std::vector<std::string> CheckModifiers(const MenuDocument& doc) {
  std::vector<std::string> out;
  for (int m = 0; m < std::clamp(doc.NumModifiers, 0, kMaxModifiers); ++m) {
    const ModifierRecord& record = doc.Modifiers[m];
    for (int l = 0; l < std::clamp(record.NumLevels, 0, kMaxLevels); ++l) CheckLevel(doc, record, l, out);
  }
  const std::unordered_set<int32_t> numbers = CatalogueNumbers(doc);
  for (int i = 0; i < std::clamp(doc.NumModifierDefs, 0, kMaxModifierDefs); ++i) {
    const ModifierDefRecord& def = doc.ModifierDefs[i];
    for (int j = 0; j < std::clamp(def.Count, 0, kMaxMembers); ++j) {
      if (numbers.count(def.PluCode[j]) == 0) {
        out.push_back("definition " + Quoted(def.Name) + " member " + std::to_string(j + 1) + ": PLU " +
                      std::to_string(def.PluCode[j]) + " is not in the catalogue");
      }
    }
  }
  return out;
}

}  // namespace tabulo
