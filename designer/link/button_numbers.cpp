#include "designer/link/button_numbers.h"

#include "designer/document/numbers.h"

namespace tabulo {

// Slots 0..288 take the page shift: slot 288 is the first line of page 13, which LastUsedPage counts.
constexpr int kLastShiftedSlot = 288;

ButtonNumbers::ButtonNumbers(const MenuDocument& doc, bool plain_pages)
    : plain_pages_(plain_pages), last_used_page_(LastUsedPage(doc)) {
  for (int s = kLineSlots - 1; s >= 0; --s) {
    if (doc.Botoes[s] != 0) first_slot_[doc.Botoes[s]] = s;
  }
}

int32_t ButtonNumbers::Of(int32_t plu) const {
  if (plu == 0) return 0;
  auto found = first_slot_.find(plu);
  if (found == first_slot_.end()) return 0;
  int s = found->second;
  if (plain_pages_ || s > kLastShiftedSlot) return s + 1;
  return (s / kLinesPerPage + 9 - last_used_page_) * kLinesPerPage + s % kLinesPerPage + 1;
}

int32_t GetBotao(const MenuDocument& doc, int32_t plu, bool plain_pages) {
  return ButtonNumbers(doc, plain_pages).Of(plu);
}

bool PluHasButton(const MenuDocument& doc, const ButtonNumbers& buttons, int index) {
  return buttons.Of(IntegerValue(doc.PluNumber[index])) >= 1;
}

bool PluHasButton(const MenuDocument& doc, int index, bool plain_pages) {
  return PluHasButton(doc, ButtonNumbers(doc, plain_pages), index);
}

}  // namespace tabulo
