#include "tests/support/sample_menu.h"

#include <string>

namespace tabulo::test {

std::unique_ptr<MenuDocument> FullMenu() {
  auto doc = std::make_unique<MenuDocument>();
  MenuDocument& d = *doc;
  ResetDocument(d);
  for (int i = 0; i < kMaxPlus; ++i) {
    std::string number = std::to_string(i + 1);
    d.PluNumber[i] = number;
    d.PluField2[i] = "";
    d.PluField3[i] = number;
    d.PluPrice[i] = std::to_string(1 + i % 40) + "." + std::to_string(i % 10) + "0";
    d.PluDescription[i] = "Dish " + number + ", with sauce";
  }
  d.NumPlus = kMaxPlus;
  for (int s = 0; s < kPageSlots; ++s) {
    LineLayoutRecord& line = d.LineLayout[s];
    int k = s % kLinesPerPage;
    if (k % 8 == 0) {
      line.Kind = kKindTitle;
      line.Text = "Title " + std::to_string(s);
      line.TitleText = "Group " + std::to_string(s);
      line.TitleMark = kTitleMarkStart;
      line.TitleBackColor = "255";
      line.TitleForeColor = "16777215";
      line.TitlePicture = "group" + std::to_string(s) + ".jpg";
      d.Lang(kLangRowLineText + s, 2) = "Title EN " + std::to_string(s);
    } else if (k % 8 == 7) {
      line.Kind = kKindNote;
      line.Text = "Note " + std::to_string(s);
      line.LineBackColor = "65280";
      line.TitleMark = kTitleMarkPictureCovered;
    } else {
      line.Kind = kKindPlu;
      d.Botoes[s] = s + 1;
      line.TitleMark = kTitleMarkPictureCovered;
    }
  }
  for (int row = 1; row < kLangRows; ++row) {
    for (int col = 1; col <= kLanguages; ++col) {
      std::string text = "Text " + std::to_string(row) + "/" + std::to_string(col);
      if (col == 4 && row % 100 == 0)
        text = "\xd0\x91\xd0\xbe\xd1\x80\xd1\x89 " + std::to_string(row);  // Cyrillic
      d.Lang(row, col) = text;
    }
  }
  for (int col = 1; col <= kLanguages; ++col) d.Lang(0, col) = kDefaultLanguageNames[col - 1];
  for (int p = 1; p <= kPages; ++p) {
    d.PageColorA[p] = std::to_string(1000 * p);
    d.PageColorB[p] = std::to_string(2000 * p);
    d.PagePictureA[p] = "front" + std::to_string(p) + ".png";
    d.PagePictureB[p] = p % 2 ? "/pictures/back.png" : "";
  }
  for (int m = 0; m < 100; ++m) {
    ModifierDefRecord& def = d.ModifierDefs[m];
    def.Name = "Definition " + std::to_string(m);
    def.Count = 10;
    for (int j = 0; j < def.Count; ++j) {
      def.PluCode[j] = 1 + (m * 10 + j) % kMaxPlus;
      def.PluDesc[j] = d.PluDescription[def.PluCode[j] - 1];
    }
    ModifierRecord& mod = d.Modifiers[m];
    mod.Name = d.PluDescription[m];
    mod.NumLevels = 3;
    for (int l = 0; l < mod.NumLevels; ++l) {
      mod.LevelName[l] = "Definition " + std::to_string((m + l) % 100);
      mod.Obrigatorio[l] = l == 0;
      mod.Minimo[l] = l;
      mod.Maximo[l] = l + 1;
      mod.Default[l] = l == 2 ? 5 : 0;
    }
  }
  d.NumModifiers = 100;
  d.NumModifierDefs = 100;
  return doc;
}

}  // namespace tabulo::test
