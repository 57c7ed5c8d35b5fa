#pragma once
// Button numbers: where a PLU sits on the terminal's pages. With fixed lettering ("13 Pages from 1 - 13")
// a button is its line slot + 1; otherwise the pages up to the last used one are shifted so that the last
// used page becomes terminal page 9, keeping each line's position on its page.

#include <cstdint>
#include <unordered_map>

#include "designer/document/menu_document.h"

namespace tabulo {

// The button numbers of one document, computed once for a whole send.
class ButtonNumbers {
 public:
  ButtonNumbers(const MenuDocument& doc, bool plain_pages);
  // `GetBotao`: the button of the PLU numbered `plu` (its lowest line slot), 0 when it is on no line. With
  // the page shift, lines of pages moved before terminal page 1 get 0 or less.
  int32_t Of(int32_t plu) const;

 private:
  std::unordered_map<int32_t, int> first_slot_;
  bool plain_pages_;
  int32_t last_used_page_;
};

int32_t GetBotao(const MenuDocument& doc, int32_t plu, bool plain_pages);
// True when the PLU at catalogue index `index` has a button number of 1 or more.
bool PluHasButton(const MenuDocument& doc, int index, bool plain_pages);
bool PluHasButton(const MenuDocument& doc, const ButtonNumbers& buttons, int index);

}  // namespace tabulo
