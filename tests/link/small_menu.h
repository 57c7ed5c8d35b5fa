#pragma once
// A small menu that exercises every part of a send: a choice group, a modifier record, PLUs on pages 1 and
// 3 (one of them also a choice), a PLU on no page, translations and a Windows-1252 character.

#include <memory>
#include <nlohmann/json.hpp>

#include "designer/document/menu_document.h"

namespace tabulo::test {

inline std::unique_ptr<MenuDocument> SmallMenu() {
  auto doc = std::make_unique<MenuDocument>();
  MenuDocument& d = *doc;
  ResetDocument(d);
  ApplyDefaultLanguageNames(d);
  d.PagesVersion = "0";
  const char* plus[][3] = {{"1", "Soup", "2.50"},
                           {"2", "Caf\xc3\xa9 cr\xc3\xa8me", "1.20"},
                           {"3", "Ketchup", "0.30"},
                           {"4", "Mayo", "0.30"},
                           {"5", "Steak", "12.00"}};
  for (int i = 0; i < 5; ++i) {
    d.PluNumber[i] = plus[i][0];
    d.PluField3[i] = plus[i][0];
    d.PluDescription[i] = plus[i][1];
    d.PluPrice[i] = plus[i][2];
  }
  d.NumPlus = 5;
  d.Botoes[SlotOf(1, 0)] = 1;
  d.Botoes[SlotOf(1, 1)] = 3;
  d.Botoes[SlotOf(3, 0)] = 2;
  for (int s : {SlotOf(1, 0), SlotOf(1, 1), SlotOf(3, 0)}) d.LineLayout[s].Kind = kKindPlu;
  d.Lang(1, 2) = "Soup EN";
  d.Lang(2, 2) = "Coffee";
  ModifierDefRecord& sauces = d.ModifierDefs[0];
  sauces.Name = "Sauces";
  sauces.PluCode[0] = 3;
  sauces.PluDesc[0] = "Ketchup";
  sauces.PluCode[1] = 4;
  sauces.PluDesc[1] = "Mayo";
  sauces.Count = 2;
  d.NumModifierDefs = 1;
  ModifierRecord& soup = d.Modifiers[0];
  soup.Name = "Soup";
  soup.NumLevels = 1;
  soup.LevelName[0] = "Sauces";
  soup.Obrigatorio[0] = 1;
  soup.Minimo[0] = 0;
  soup.Maximo[0] = 2;
  soup.Default[0] = 1;
  d.NumModifiers = 1;
  return doc;
}

// The menu tree the simulated base stores for SmallMenu sent with page buttons, without raw block texts.
inline nlohmann::json SmallMenuTree() {
  return nlohmann::json::parse(R"([
    {"dir": "Sauces", "children": [
      {"modifier": 3, "button": 146, "texts": ["Ketchup", "", "", "", ""]},
      {"modifier": 4, "button": 0, "texts": ["Mayo", "", "", "", ""]}]},
    {"item": 1, "price": "2.50", "button": 145, "texts": ["Soup", "Soup EN", "", "", ""]},
    {"modifier_group": "Sauces", "min": 0, "max": 2, "default": 1},
    {"item": 2, "price": "1.20", "button": 193, "texts": ["Caf\u00e9 cr\u00e8me", "Coffee", "", "", ""]}
  ])");
}

}  // namespace tabulo::test
