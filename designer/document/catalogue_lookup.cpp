#include "designer/document/catalogue_lookup.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "designer/document/numbers.h"

namespace tabulo {

double PluValue(const MenuDocument& doc, int index) {
  return NumericValue(doc.PluNumber[index]);
}

// The designer's lookups scan up to and including NumPlus: the entry just past the catalogue is "" and
// only ever matches 0, which no caller looks up.
std::optional<int32_t> FindPlu(const MenuDocument& doc, int32_t number) {
  for (int i = 0; i <= doc.NumPlus && i < kMaxPlus; ++i) {
    if (PluValue(doc, i) == number) return i;
  }
  return std::nullopt;
}

std::string DescriptionOfPlu(const MenuDocument& doc, int32_t number) {
  auto index = FindPlu(doc, number);
  return index ? doc.PluDescription[*index] : std::string();
}

std::string PriceOfPlu(const MenuDocument& doc, int32_t number) {
  auto index = FindPlu(doc, number);
  return index ? doc.PluPrice[*index] : std::string();
}

int32_t IndexOfPlu(const MenuDocument& doc, int32_t number) {
  return FindPlu(doc, number).value_or(0);
}

void DeletePluNumber(MenuDocument& doc, int32_t number) {
  for (int i = 0; i <= doc.NumPlus && i < kMaxPlus; ++i) {
    if (PluValue(doc, i) == number) doc.PluNumber[i] = "0";
  }
}

int32_t NextPluNumber(const MenuDocument& doc) {
  const int count = std::clamp(doc.NumPlus, 0, kMaxPlus);
  double result = 1;
  for (int i = 0; i < count; ++i) {
    double value = PluValue(doc, i);
    if (value >= result) result = std::nearbyint(value + 1);
  }
  if (result <= std::numeric_limits<int32_t>::max()) return static_cast<int32_t>(result);
  // One above the largest number does not fit (PLU 2147483647 is in the catalogue): clamped, it would be that
  // PLU's number again. The lowest number no entry holds is free instead.
  std::vector<bool> used(static_cast<size_t>(count) + 2);
  for (int i = 0; i < count; ++i) {
    double value = PluValue(doc, i);
    if (value >= 1 && value < static_cast<double>(used.size()) && value == std::floor(value)) {
      used[static_cast<size_t>(value)] = true;
    }
  }
  int32_t free = 1;
  while (used[static_cast<size_t>(free)]) ++free;
  return free;
}

int32_t FindPluByDescription(const MenuDocument& doc, const std::string& text) {
  if (text.empty()) return -1;
  for (int i = 0; i < std::min(doc.NumPlus, kMaxPlus); ++i) {
    // A deleted entry ("0") is no PLU: binding it would bind nothing, and the typed dish would vanish.
    if (doc.PluDescription[i] == text && PluValue(doc, i) != 0) return i;
  }
  return -1;
}

std::optional<int32_t> AppendPlu(MenuDocument& doc, const std::string& number, const std::string& price,
                                 const std::string& description) {
  int32_t n = doc.NumPlus;
  if (n < 0 || n >= kMaxPlus) return std::nullopt;
  doc.PluNumber[n] = number;
  doc.PluField2[n].clear();
  doc.PluField3[n] = number;
  doc.PluPrice[n] = price;
  doc.PluDescription[n] = description;
  doc.NumPlus = n + 1;
  return n;
}

}  // namespace tabulo
