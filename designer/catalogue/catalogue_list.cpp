#include "designer/catalogue/catalogue_list.h"

#include <algorithm>
#include <unordered_map>

#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"

namespace tabulo {
namespace {

int CatalogueCount(const MenuDocument& doc) {
  return std::min(std::max(doc.NumPlus, 0), kMaxPlus);
}

// Lower case for comparing: ASCII letters and the UTF-8 forms of the Latin-1 capitals (À..Þ but ×).
std::string Folded(const std::string& text) {
  std::string folded = text;
  for (size_t i = 0; i < folded.size(); ++i) {
    unsigned char c = folded[i];
    if (c >= 'A' && c <= 'Z') {
      folded[i] = static_cast<char>(c + ('a' - 'A'));
    } else if (c == 0xC3 && i + 1 < folded.size()) {
      unsigned char next = folded[i + 1];
      if (next >= 0x80 && next <= 0x9E && next != 0x97) folded[i + 1] = static_cast<char>(next + 0x20);
      ++i;
    }
  }
  return folded;
}

}  // namespace

bool ContainsIgnoringCase(const std::string& text, const std::string& part) {
  return Folded(text).find(Folded(part)) != std::string::npos;
}

void CatalogueList::Select(int row) {
  selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
}

void CatalogueList::Fill(const MenuDocument& doc, bool only_defined) {
  rows_.clear();
  selected_ = -1;
  const int count = CatalogueCount(doc);
  if (!only_defined) {
    for (int i = 0; i < count; ++i) {
      double value = NumericValue(doc.PluNumber[i]);
      if (value > 0) rows_.push_back({doc.PluDescription[i], WholeNumber(value)});
    }
    return;
  }
  // Every entry numbered as a bound line, once per line, in slot order and within a slot in catalogue
  // order. The entries of each number are gathered once, so a full menu costs no slots x catalogue scan.
  std::unordered_map<int32_t, std::vector<int>> entries_of;
  for (int i = 0; i < count; ++i) {
    double value = NumericValue(doc.PluNumber[i]);
    int32_t whole = WholeNumber(value);
    if (value != 0 && whole == value) entries_of[whole].push_back(i);
  }
  for (int s = 0; s < kLineSlots; ++s) {
    int32_t bound = doc.Botoes[s];
    if (bound == 0) continue;
    auto found = entries_of.find(bound);
    if (found == entries_of.end()) continue;
    for (int i : found->second) rows_.push_back({doc.PluDescription[i], bound});
  }
}

void CatalogueList::Filter(const MenuDocument& doc, const std::string& text) {
  rows_.clear();
  selected_ = -1;
  const std::string part = Folded(text);
  for (int i = 0, count = CatalogueCount(doc); i < count; ++i) {
    double value = NumericValue(doc.PluNumber[i]);
    if (value > 0 && Folded(doc.PluDescription[i]).find(part) != std::string::npos) {
      rows_.push_back({doc.PluDescription[i], WholeNumber(value)});
    }
  }
}

std::optional<int> CatalogueList::Find(const std::string& text) {
  if (search_changed_) {
    find_from_ = 0;
    search_changed_ = false;
  }
  const std::string part = Folded(text);
  for (int row = std::max(find_from_, 0); row < static_cast<int>(rows_.size()); ++row) {
    if (Folded(rows_[row].text).find(part) != std::string::npos) {
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
