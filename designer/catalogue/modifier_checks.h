#pragma once
// The modifier problems a terminal would trip over once the menu is sent: a level offering no definition,
// a minimum above the maximum, a maximum no definition can fill, defaults the maximum does not allow or
// that name no member, and members whose PLU is not in the catalogue. They are reported, never mended:
// the user decides what was meant.

#include <string>
#include <vector>

#include "designer/document/menu_document.h"

namespace tabulo {

// One line per problem, in record and level order, then in definition and member order. Levels and
// members are counted from 1, as the user sees them in the lists.
std::vector<std::string> CheckModifiers(const MenuDocument& doc);

}  // namespace tabulo
