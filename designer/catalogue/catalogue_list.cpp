#include "designer/catalogue/catalogue_list.h"

#include <algorithm>
#include <unordered_map>

#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"
#include "designer/document/text_folding.h"

namespace tabulo {
namespace {

int CatalogueCount(const MenuDocument& doc) {
  return std::min(std::max(doc.NumPlus, 0), kMaxPlus);
}

// The listed entries (number above 0) by their whole number, each with how many entries carry it.
std::unordered_map<int32_t, int> EntriesPerNumber(const MenuDocument& doc) {
  std::unordered_map<int32_t, int> entries;
  for (int i = 0, count = CatalogueCount(doc); i < count; ++i) {
    double value = NumericValue(doc.PluNumber[i]);
    if (value > 0) ++entries[WholeNumber(value)];
  }
  return entries;
}

CatalogueRow RowOf(const MenuDocument& doc, int entry, int32_t plu,
                   const std::unordered_map<int32_t, int>& entries_per_number) {
  auto found = entries_per_number.find(plu);
  return {doc.PluDescription[entry], plu, doc.PluPrice[entry],
          found != entries_per_number.end() && found->second > 1};
}

}  // namespace

void CatalogueList::Select(int row) {
  selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
}

void CatalogueList::Fill(const MenuDocument& doc, bool only_defined, const std::string& search) {
  rows_.clear();
  selected_ = -1;
  const int count = CatalogueCount(doc);
  const auto entries_per_number = EntriesPerNumber(doc);
  const std::string part = FoldedText(search);
  auto found = [&doc, &part](int i) {
    return part.empty() || FoldedText(doc.PluDescription[i]).find(part) != std::string::npos;
  };
  if (!only_defined) {
    for (int i = 0; i < count; ++i) {
      double value = NumericValue(doc.PluNumber[i]);
      if (value > 0 && found(i)) rows_.push_back(RowOf(doc, i, WholeNumber(value), entries_per_number));
    }
    Sort();
    return;
  }
  // Every entry numbered as a bound line, once per line, in slot order and within a slot in catalogue
  // order. The entries of each number are gathered once, so a full menu costs no slots x catalogue scan.
  std::unordered_map<int32_t, std::vector<int>> entries_of;
  for (int i = 0; i < count; ++i) {
    double value = NumericValue(doc.PluNumber[i]);
    int32_t whole = WholeNumber(value);
    if (value != 0 && whole == value && found(i)) entries_of[whole].push_back(i);
  }
  for (int s = 0; s < kLineSlots; ++s) {
    int32_t bound = doc.Botoes[s];
    if (bound == 0) continue;
    auto entries = entries_of.find(bound);
    if (entries == entries_of.end()) continue;
    for (int i : entries->second) rows_.push_back(RowOf(doc, i, bound, entries_per_number));
  }
  Sort();
}

void CatalogueList::Filter(const MenuDocument& doc, const std::string& text) {
  Fill(doc, false, text);
}

void CatalogueList::SortBy(CatalogueColumn column, bool ascending) {
  sort_ = {column, ascending};
  Sort();
}

void CatalogueList::Sort() {
  if (!sort_ || rows_.empty()) return;
  const CatalogueColumn column = sort_->first;
  const bool ascending = sort_->second;
  // Keys made once per row: folding a description on every comparison would cost a full menu dearly.
  struct Keyed {
    std::string text;
    double value = 0;
    int row = 0;
  };
  std::vector<Keyed> keys(rows_.size());
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
    Keyed& key = keys[row];
    key.row = row;
    if (column == CatalogueColumn::kDescription) key.text = FoldedText(rows_[row].text);
    if (column == CatalogueColumn::kNumber) key.value = rows_[row].plu;
    if (column == CatalogueColumn::kPrice) key.value = NumericValue(rows_[row].price);
  }
  std::stable_sort(keys.begin(), keys.end(), [column, ascending](const Keyed& a, const Keyed& b) {
    if (column == CatalogueColumn::kDescription) return ascending ? a.text < b.text : b.text < a.text;
    return ascending ? a.value < b.value : b.value < a.value;
  });
  std::vector<CatalogueRow> sorted;
  sorted.reserve(rows_.size());
  int selected = -1;
  for (const Keyed& key : keys) {
    if (key.row == selected_) selected = static_cast<int>(sorted.size());
    sorted.push_back(std::move(rows_[key.row]));
  }
  rows_ = std::move(sorted);
  selected_ = selected;
}

std::optional<int> CatalogueList::Find(const std::string& text) {
  if (search_changed_) {
    find_from_ = 0;
    search_changed_ = false;
  }
  const std::string part = FoldedText(text);
  for (int row = std::max(find_from_, 0); row < static_cast<int>(rows_.size()); ++row) {
    if (FoldedText(rows_[row].text).find(part) != std::string::npos) {
      selected_ = row;
      find_from_ = row + 1;
      return row;
    }
  }
  return std::nullopt;
}

bool CatalogueList::StepSelection() {
  if (selected_ < 0 || selected_ + 1 >= static_cast<int>(rows_.size())) return false;
  ++selected_;
  return true;
}

std::vector<int> CatalogueList::Relabel(int32_t plu, const std::string& text) {
  // Every row of the PLU follows, wherever it stands in a filtered or page-ordered list.
  std::vector<int> changed;
  if (plu <= 0) return changed;
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
    if (rows_[row].plu == plu) {
      rows_[row].text = text;
      changed.push_back(row);
    }
  }
  return changed;
}

bool CatalogueList::DeleteSelected(MenuDocument& doc) {
  if (selected_ < 0 || selected_ >= static_cast<int>(rows_.size())) return false;
  DeletePluNumber(doc, rows_[selected_].plu);
  rows_.erase(rows_.begin() + selected_);
  if (selected_ >= static_cast<int>(rows_.size())) selected_ = -1;
  return true;
}

AddPluOutcome AddPlu(MenuDocument& doc, const std::string& description, UserPrompts& prompts) {
  if (Trim(description).empty()) {
    prompts.Message(kFillDescriptionMessage);
    return AddPluOutcome::kNoDescription;
  }
  // Refused before anything is asked: the answers would have nowhere to go.
  if (doc.NumPlus >= kMaxPlus) {
    prompts.Message(kCatalogueFullMessage);
    return AddPluOutcome::kCatalogueFull;
  }
  std::string number = prompts.Input("Plu Number", "", DecimalText(NextPluNumber(doc))).value_or("");
  std::string price = prompts.Input("Price", "", "").value_or("");
  AppendPlu(doc, number, price, description);
  return AddPluOutcome::kAdded;
}

}  // namespace tabulo
