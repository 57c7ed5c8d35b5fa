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

std::unique_ptr<MenuDocument> RestaurantMenu() {
  auto doc = std::make_unique<MenuDocument>();
  MenuDocument& d = *doc;
  ResetDocument(d);
  ApplyDefaultLanguageNames(d);
  struct Dish {
    int number;
    const char* price;
    const char* name;
    const char* english;
  };
  const Dish dishes[] = {
      {101, "4.50", "Sopa de legumes", "Vegetable soup"},
      {102, "6.80", "Caldo verde", "Kale soup"},
      {103, "7.20", "Salada de polvo", "Octopus salad"},
      {104, "5.90", "Œufs brouillés", "Scrambled eggs"},
      {201, "14.50", "Bacalhau à Brás", "Salt cod with eggs"},
      {202, "16.00", "Polvo à lagareiro", "Roast octopus"},
      {203, "18.50", "Bife da vazia", "Sirloin steak"},
      {204, "12.80", "Frango assado", "Roast chicken"},
      {205, "13.40", "Arroz de pato", "Duck rice"},
      {301, "4.20", "Pudim flan", "Caramel custard"},
      {302, "3.80", "Crème brûlée", "Crème brûlée"},
      {303, "2.10", "Pastel de nata", "Custard tart"},
      {401, "1.50", "Água das Pedras", "Sparkling water"},
      {402, "1.20", "Água sem gás", "Still water"},
      {403, "2.80", "Vinho verde (copo)", "Green wine (glass)"},
      {404, "1.00", "Café", "Espresso"},
      {405, "2.50", "Cerveja", "Beer"},
      {303, "2.30", "Bola de Berlim", "Berliner"},
      {501, "0.00", "Maionese", "Mayonnaise"},
      {502, "0.00", "Ketchup", "Ketchup"},
      {503, "0.50", "Molho picante", "Hot sauce"},
  };
  for (const Dish& dish : dishes) {
    const int i = d.NumPlus++;
    d.PluNumber[i] = std::to_string(dish.number);
    d.PluField3[i] = d.PluNumber[i];
    d.PluPrice[i] = dish.price;
    d.PluDescription[i] = dish.name;
    d.Lang(dish.number, 1) = dish.name;
    d.Lang(dish.number, 2) = dish.english;
  }
  // Page 1: starters and mains; page 2: desserts and drinks. A group starts with its title line.
  auto place = [&d](int page, int line, const char* title, std::initializer_list<int> numbers) {
    const int first = SlotOf(page, line);
    LineLayoutRecord& head = d.LineLayout[first];
    head.Kind = kKindTitle;
    head.Text = title;
    head.TitleText = title;
    head.TitleMark = kTitleMarkStart;
    d.Lang(kLangRowLineText + first, 1) = title;
    int s = first + 1;
    for (int number : numbers) {
      d.Botoes[s] = number;
      d.LineLayout[s].Kind = kKindPlu;
      ++s;
    }
  };
  place(1, 0, "Entradas", {101, 102, 103, 104});
  place(1, 6, "Pratos principais", {201, 202, 203, 204, 205});
  place(2, 0, "Sobremesas", {301, 302, 303});
  place(2, 5, "Bebidas", {401, 402, 403, 404, 405});

  ModifierDefRecord& sauces = d.ModifierDefs[0];
  sauces.Name = "Molhos";
  for (int number : {501, 502, 503}) {
    sauces.PluCode[sauces.Count] = number;
    sauces.PluDesc[sauces.Count] = d.PluDescription[18 + sauces.Count];
    ++sauces.Count;
  }
  d.NumModifierDefs = 1;
  ModifierRecord& chicken = d.Modifiers[0];
  chicken.Name = "Frango assado";
  chicken.NumLevels = 1;
  chicken.LevelName[0] = "Molhos";
  chicken.Obrigatorio[0] = 0;
  chicken.Minimo[0] = 0;
  chicken.Maximo[0] = 2;
  d.NumModifiers = 1;
  return doc;
}

}  // namespace tabulo::test
