#pragma once
// Menus for tests and benchmarks.

#include <memory>

#include "designer/document/menu_document.h"

namespace tabulo::test {

// A full menu: 10000 PLUs, every line of the 14 pages used (PLU, title and note lines, groups with colours
// and pictures), every translation filled (some outside Windows-1252), 100 modifiers and 100 definitions.
std::unique_ptr<MenuDocument> FullMenu();

// A small restaurant's menu as a manager makes it: two pages of dishes under group titles, prices, English
// translations, a modifier with its sauces, and two dishes sharing a number by mistake.
std::unique_ptr<MenuDocument> RestaurantMenu();

}  // namespace tabulo::test
