#include "designer/document/menu_document.h"

namespace tabulo {

MenuDocument::MenuDocument() {
  ApplyDefaultSettings(*this);
}

void ApplyDefaultSettings(MenuDocument& doc) {
  doc.MarginXDescr = 47;
  doc.MarginXPrice = 165;
  doc.MarginY = 59;
  doc.Currency = "\u20ac";
  doc.FontName = "Arial";
  doc.StyleBackColor[kStyleText] = "33023";
  doc.StyleBackColor[kStyleTitle] = "0";
  doc.StyleBackColor[kStyleNote] = "15724527";
  doc.StyleForeColor[kStyleText] = "0";
  doc.StyleForeColor[kStyleTitle] = "16777215";
  doc.StyleForeColor[kStyleNote] = "0";
  doc.DefaultPageColor = "15724527";
  doc.PrintLines = 1;
}

void ApplyDefaultLanguageNames(MenuDocument& doc) {
  for (int col = 1; col <= kLanguages; ++col) doc.Lang(0, col) = kDefaultLanguageNames[col - 1];
}

void ResetDocument(MenuDocument& doc) {
  doc.PagesVersion = "1";
  for (int p = 1; p <= kPages; ++p) {
    doc.PageColorA[p].clear();
    doc.PageColorB[p].clear();
    doc.PagePictureA[p].clear();
    doc.PagePictureB[p].clear();
  }
  // Whole records are cleared, not only the fields a new menu shows: a field left over from the previous
  // menu (a mandatory flag, a level name, a line text) would otherwise resurface in the next one read.
  doc.Botoes.Fill(0);
  doc.LineLayout.Fill(LineLayoutRecord{});
  doc.Modifiers.Fill(ModifierRecord{});
  doc.ModifierDefs.Fill(ModifierDefRecord{});
  doc.NumModifiers = 0;
  doc.NumModifierDefs = 0;
  doc.PluNumber.Fill({});
  doc.PluField2.Fill({});
  doc.PluField3.Fill({});
  doc.PluPrice.Fill({});
  doc.PluDescription.Fill({});
  doc.Lang.Fill({});
  doc.NumPlus = 0;
}

std::string GetColor(const std::string& value, const std::string& fallback) {
  return value.empty() ? fallback : value;
}

int32_t LastUsedPage(const MenuDocument& doc) {
  int32_t result = 0;
  for (int s = 288; s >= 0; --s) {
    if (doc.Botoes[s] > 0) {
      result = s / kLinesPerPage + 1;
      if (result <= 12) break;
    }
  }
  return result;
}

}  // namespace tabulo
