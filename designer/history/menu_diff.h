#pragma once
// What changed between two menus, as the people who run a restaurant name it: dishes (PLUs) added,
// removed and renumbered, their descriptions, prices and translations, the lines of each page, titles and
// notes, group titles, colours and pictures, modifiers and their definitions, settings. Used by the send
// summary, `tabulo diff` and whatever else shows a menu against another.

#include <string>
#include <vector>

#include "designer/document/menu_document.h"

namespace tabulo {

enum class ChangeKind {
  kPluAdded,
  kPluRemoved,
  kPluRenumbered,
  kDescription,
  kPrice,
  kPluField,     // the PLU's other fields (group, tax)
  kTranslation,  // of a PLU, a title or note line, or a group title
  kPageLine,     // what a line of a page shows
  kPageReordered,
  kLineText,  // the text of a title or note line
  kGroupTitle,
  kColour,  // colours and pictures of lines, groups and pages
  kModifier,
  kDefinition,
  kSetting,  // margins, currency, font, style colours, lettering, language names
};

struct MenuChange {
  ChangeKind kind;
  std::string where;  // "PLU 12", "page 4 line 3", "page 4", "modifier Steak", "currency"
  std::string before;
  std::string after;

  bool operator==(const MenuChange&) const = default;
};

struct MenuDiff {
  std::vector<MenuChange> changes;

  bool Empty() const { return changes.empty(); }
  // A short sentence: "3 prices, 1 new dish, page 4 reordered"; "nothing changed" when empty.
  std::string Summary() const;
  // One line a change: "price of PLU 12: 2.50 -> 2.80".
  std::string Text() const;
};

// The changes that turn `before` into `after`. PLUs are matched by number; a PLU removed and one added with
// the same description are one PLU renumbered. A page whose lines are the same, in another order, is
// reordered rather than changed line by line.
MenuDiff CompareMenus(const MenuDocument& before, const MenuDocument& after);

// A stable name of a kind for machines ("plu_added", "price", ...).
const char* ChangeKindName(ChangeKind kind);

}  // namespace tabulo
