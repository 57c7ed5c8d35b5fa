// The rules of the line editor and of the group title dialog, without a window.

#include "designer/pages/line_editor.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "designer/catalogue/catalogue_list.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"
#include "designer/pages/group_title.h"
#include "designer/translate/web_translator.h"

namespace tabulo {
namespace {

// Answers from a table by target name; a target missing from it fails as the service's page without
// markers does. Records every request.
class FakeTranslator : public TextTranslator {
 public:
  std::map<std::string, Translation> answers;
  std::vector<std::string> requests;  // "source text|source name|target name"

  Translation Translate(const std::string& text, const std::string& source_name,
                        const std::string& target_name, const std::atomic<bool>*) override {
    requests.push_back(text + "|" + source_name + "|" + target_name);
    auto found = answers.find(target_name);
    if (found == answers.end()) return {Translation::Status::kFailed, "", ""};
    return found->second;
  }
  std::string RefusedNames(const std::string&, const std::string&) const override { return {}; }
};

Translation Ok(const std::string& text) {
  return {Translation::Status::kOk, text, ""};
}

std::unique_ptr<MenuDocument> Menu() {
  auto doc = std::make_unique<MenuDocument>();
  ApplyDefaultSettings(*doc);
  ApplyDefaultLanguageNames(*doc);
  AppendPlu(*doc, "5", "2.50", "Soup");
  AppendPlu(*doc, "12", "7.00", "Fish");
  AppendPlu(*doc, "3", "1.20", "Cake");
  return doc;
}

// Opens the editor on line `line` of `page` as the grid does; returns what the grid shows there.
PageLine OpenLine(MenuDocument& doc, int page, int line) {
  doc.Hand.CurrentLine = line;
  doc.Hand.EditFromPage = true;
  PageLine shown;
  const int s = SlotOf(page, line);
  if (doc.Botoes[s] != 0) {
    auto index = FindPlu(doc, doc.Botoes[s]);
    shown.tag = std::to_string(*index);
    shown.text = doc.PluDescription[*index];
    doc.Hand.EditPluNumber = doc.Botoes[s];
    doc.Hand.EditPluPrice = doc.PluPrice[*index];
  }
  if (doc.LineLayout[s].Kind >= kKindTitle) shown.text = doc.LineLayout[s].Text;
  return shown;
}

LineEditorFields Fields(const LineEditorLoad& load, LineOption option) {
  return {option, load.text1, load.text2, load.languages};
}

// ---- Loading ----

TEST(LineEditorLoad, EachKindOfLine) {
  struct Case {
    int32_t kind;
    bool with_plu;
    LineOption option;
    const char* text1;
    const char* text2;
  };
  const Case cases[] = {
      {kKindUnset, true, LineOption::kPluCode, "12", "7.00"},  // bound by typing on the grid
      {kKindUnset, false, LineOption::kNone, "99", "stale"},
      {kKindPlu, true, LineOption::kPluCode, "12", "7.00"},
      {kKindTitle, false, LineOption::kTitle, "13", ""},  // next free number; no stale price
      {kKindNote, false, LineOption::kNote, "13", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind * 10 + c.with_plu);
    auto doc = Menu();
    const int s = SlotOf(2, 4);
    doc->LineLayout[s].Kind = c.kind;
    doc->LineLayout[s].Text = "Starters";
    if (c.with_plu) doc->Botoes[s] = 12;
    doc->Hand.EditPluNumber = 99;
    doc->Hand.EditPluPrice = "stale";
    doc->Lang(12, 3) = "Pesce";
    doc->Lang(kLangRowLineText + s, 3) = "Antipasti";
    LineEditorLoad load = LoadLineEditor(*doc, 2, OpenLine(*doc, 2, 4));
    EXPECT_EQ(load.option, c.option);
    EXPECT_EQ(load.text1, c.text1);
    EXPECT_EQ(load.text2, c.text2);
    EXPECT_TRUE(load.colours_enabled);
    EXPECT_EQ(load.languages.names[1], "English");
    if (c.kind >= kKindTitle) {
      EXPECT_EQ(doc->Hand.EditPluNumber, kLangRowLineText + s);
      EXPECT_EQ(load.languages.texts[0], "Starters");
      EXPECT_EQ(load.languages.texts[2], "Antipasti");
    } else if (c.with_plu) {
      EXPECT_EQ(load.languages.texts[0], "Fish");
      EXPECT_EQ(load.languages.texts[2], "Pesce");
    }
  }
}

TEST(LineEditorLoad, ColoursOfTheLineAndFromTheCatalogue) {
  auto doc = Menu();
  doc->Botoes[3] = 5;
  doc->LineLayout[3].LineBackColor = "255";
  LineEditorLoad load = LoadLineEditor(*doc, 1, OpenLine(*doc, 1, 3));
  EXPECT_EQ(load.back_color, 255);
  EXPECT_EQ(load.fore_color, std::nullopt) << "no colour of its own: the button keeps its own";

  HandOverCatalogueRow(*doc, 1, 12);
  EXPECT_EQ(doc->Hand.EditPluPrice, "7.00");
  load = LoadLineEditor(*doc, 1, {});
  EXPECT_FALSE(load.colours_enabled);
  EXPECT_EQ(load.option, LineOption::kPluCode);
  EXPECT_EQ(load.languages.texts[0], "Fish");
  EXPECT_EQ(ChooseLineOption(*doc, LineOption::kTitle), LineOption::kPluCode);
  EXPECT_EQ(ChooseLineOption(*doc, LineOption::kNote), LineOption::kPluCode);
  doc->Hand.EditFromPage = true;
  EXPECT_EQ(ChooseLineOption(*doc, LineOption::kNote), LineOption::kNote);
}

// ---- Closing ----

TEST(LineEditorClose, TitleLineBecomesAPluLine) {
  auto doc = Menu();
  const int s = SlotOf(1, 6);
  doc->LineLayout[s].Kind = kKindTitle;
  doc->LineLayout[s].Text = "Pasta";
  doc->Lang(kLangRowLineText + s, 2) = "Pasta EN";
  doc->Lang(13, 2) = "left by a deleted PLU";
  LineEditorLoad load = LoadLineEditor(*doc, 1, OpenLine(*doc, 1, 6));
  ASSERT_EQ(load.text1, "13");
  load.text2 = "8.90";
  auto messages = CloseLineEditor(*doc, 1, Fields(load, LineOption::kPluCode), {"Pasta", ""});
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(doc->NumPlus, 4);
  EXPECT_EQ(doc->PluNumber[3], "13");
  EXPECT_EQ(doc->PluField3[3], "13");
  EXPECT_EQ(doc->PluDescription[3], "Pasta");
  EXPECT_EQ(doc->PluPrice[3], "8.90");
  EXPECT_EQ(doc->Botoes[s], 13);
  EXPECT_EQ(doc->LineLayout[s].Kind, kKindPlu);
  EXPECT_EQ(doc->Lang(13, 1), "Pasta");
  EXPECT_EQ(doc->Lang(13, 2), "Pasta EN") << "the line's translations go with it";
}

TEST(LineEditorClose, PluLineTurnedIntoANote) {
  auto doc = Menu();
  const int s = SlotOf(3, 0);
  doc->Botoes[s] = 12;
  PageLine line = OpenLine(*doc, 3, 0);
  LineEditorLoad load = LoadLineEditor(*doc, 3, line);
  load.languages.texts[0] = "Ask for today's fish";
  CloseLineEditor(*doc, 3, Fields(load, LineOption::kNote), line);
  EXPECT_EQ(doc->PluNumber[1], "0");
  EXPECT_EQ(doc->Botoes[s], 0);
  EXPECT_EQ(doc->LineLayout[s].Kind, kKindNote);
  EXPECT_EQ(doc->LineLayout[s].Text, "Ask for today's fish");
  EXPECT_EQ(doc->Lang(kLangRowLineText + s, 1), "Ask for today's fish");
  CatalogueList list;
  list.Fill(*doc, false);
  for (const CatalogueRow& row : list.Rows()) EXPECT_NE(row.plu, 12);
  EXPECT_EQ(list.Rows().size(), 2u);
}

TEST(LineEditorClose, NothingToCommit) {
  // An empty "Plu Number" on a line without a PLU, and a line left without any option.
  for (LineOption option : {LineOption::kPluCode, LineOption::kNone}) {
    auto doc = Menu();
    doc->LineLayout[2].Kind = kKindNote;
    OpenLine(*doc, 1, 2);
    auto before = std::make_unique<MenuDocument>(*doc);
    LineEditorFields fields;
    fields.option = option;
    fields.text2 = "1.00";
    EXPECT_TRUE(CloseLineEditor(*doc, 1, fields, {"note", ""}).empty());
    EXPECT_TRUE(*doc == *before);
  }
}

TEST(LineEditorClose, RenumberingAndItsRefusals) {
  struct Case {
    const char* typed;
    const char* number_after;
    int32_t botoes_after;
    bool told;
  };
  const Case cases[] = {
      {"12", "12", 12, false},           // unchanged
      {"40", "40", 40, false},           // lines follow the new number
      {"12000", "12000", 12000, false},  // a valid PLU number without translations
      {"", "12", 12, true},              // would leave the entry unused
      {"0", "12", 12, true},             // would delete it
      {"abc", "12", 12, true},
      {"12.5", "12", 12, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    auto doc = Menu();
    doc->Botoes[1] = 12;
    doc->Botoes[SlotOf(5, 7)] = 12;
    doc->ModifierDefs[0].PluCode[0] = 12;
    doc->ModifierDefs[0].Count = 1;
    doc->NumModifierDefs = 1;
    PageLine line = OpenLine(*doc, 1, 1);
    LineEditorLoad load = LoadLineEditor(*doc, 1, line);
    load.text1 = c.typed;
    load.text2 = "9.99";
    auto messages = CloseLineEditor(*doc, 1, Fields(load, LineOption::kPluCode), line);
    EXPECT_EQ(doc->PluNumber[1], c.number_after);
    EXPECT_EQ(doc->PluPrice[1], "9.99") << "the price is stored as typed in every case";
    EXPECT_EQ(doc->Botoes[1], c.botoes_after);
    EXPECT_EQ(doc->Botoes[SlotOf(5, 7)], c.botoes_after);
    EXPECT_EQ(doc->ModifierDefs[0].PluCode[0], c.botoes_after);
    EXPECT_EQ(messages.size(), c.told ? 1u : 0u);
    if (c.told) {
      EXPECT_EQ(messages[0], kPluKeepsNumberMessage);
    }
  }
}

TEST(LineEditorClose, LinesStayWhenAnotherEntryKeepsTheOldNumber) {
  auto doc = Menu();
  AppendPlu(*doc, "12", "1", "Fish again");
  doc->Botoes[0] = 12;
  PageLine line = OpenLine(*doc, 1, 0);
  line.tag = "1";
  LineEditorLoad load = LoadLineEditor(*doc, 1, line);
  load.text1 = "44";
  CloseLineEditor(*doc, 1, Fields(load, LineOption::kPluCode), line);
  EXPECT_EQ(doc->PluNumber[1], "44");
  EXPECT_EQ(doc->Botoes[0], 12) << "entry 3 still carries number 12";
}

TEST(LineEditorClose, NewPluRefusedWithAMessage) {
  auto full = Menu();
  full->NumPlus = kMaxPlus;
  auto bad = Menu();
  struct Case {
    MenuDocument* doc;
    const char* number;
    const char* message;
  };
  for (const Case& c :
       {Case{full.get(), "20", kCatalogueFullMessage}, Case{bad.get(), "x1", kPluNotCreatedMessage}}) {
    SCOPED_TRACE(c.number);
    c.doc->LineLayout[8].Kind = kKindTitle;
    const int32_t before = c.doc->NumPlus;
    LineEditorFields fields;
    fields.option = LineOption::kPluCode;
    fields.text1 = c.number;
    OpenLine(*c.doc, 1, 8);
    auto messages = CloseLineEditor(*c.doc, 1, fields, {"Dessert", ""});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], c.message);
    EXPECT_EQ(c.doc->NumPlus, before);
    EXPECT_EQ(c.doc->Botoes[8], 0);
    EXPECT_EQ(c.doc->LineLayout[8].Kind, kKindTitle);
  }
}

TEST(LineEditorClose, FromTheCatalogue) {
  auto doc = Menu();
  HandOverCatalogueRow(*doc, 2, 3);
  LineEditorLoad load = LoadLineEditor(*doc, 1, {});
  load.text1 = "30";
  load.text2 = "1.50";
  CloseLineEditor(*doc, 1, Fields(load, LineOption::kPluCode), {});
  EXPECT_EQ(doc->PluNumber[2], "30");
  EXPECT_EQ(doc->PluPrice[2], "1.50");

  // A number that names no entry changes nothing, entry 0 least of all.
  doc->Hand.EditPluNumber = 77;
  auto before = std::make_unique<MenuDocument>(*doc);
  CloseLineEditor(*doc, 1, Fields(load, LineOption::kPluCode), {});
  EXPECT_TRUE(*doc == *before);
}

TEST(LineEditorClose, WritesGoToTheLineCurrentWhenClosing) {
  auto doc = Menu();
  doc->LineLayout[SlotOf(1, 4)].Kind = kKindTitle;
  LineEditorLoad load = LoadLineEditor(*doc, 1, OpenLine(*doc, 1, 4));
  load.languages.texts[0] = "Drinks";
  // The user moved to page 2 and opened line 9 there meanwhile.
  doc->Hand.CurrentLine = 9;
  CloseLineEditor(*doc, 2, Fields(load, LineOption::kTitle), {"", ""});
  EXPECT_EQ(doc->LineLayout[SlotOf(2, 9)].Kind, kKindTitle);
  EXPECT_EQ(doc->LineLayout[SlotOf(2, 9)].Text, "Drinks");
  EXPECT_EQ(doc->LineLayout[SlotOf(1, 4)].Text, "");
}

// ---- Typing ----

TEST(LineEditorTyping, WhereEachTextGoes) {
  struct Case {
    LineOption option;
    const char* number;
    int row;
    int lang_row;  // -1: nothing stored
  };
  const int s = SlotOf(2, 3);
  const Case cases[] = {
      {LineOption::kTitle, "5", 2, kLangRowLineText + s},
      {LineOption::kNote, "", 4, kLangRowLineText + s},
      {LineOption::kPluCode, "5", 1, 5},
      {LineOption::kNone, "9999", 3, 9999},
      {LineOption::kPluCode, "10000", 1, -1},  // would fall on the rows of lines
      {LineOption::kPluCode, "0", 1, -1},
      {LineOption::kPluCode, "-3", 1, -1},
      {LineOption::kPluCode, "7.5", 1, -1},
      {LineOption::kPluCode, "seven", 1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.number) + " row " + std::to_string(c.row));
    auto doc = Menu();
    doc->Hand.CurrentLine = 3;
    auto before = std::make_unique<MenuDocument>(*doc);
    LineTextStore store = StoreLineText(*doc, 2, c.option, c.number, c.row, "typed");
    EXPECT_EQ(store.stored, c.lang_row >= 0);
    EXPECT_EQ(store.no_language_row, c.lang_row < 0);
    if (c.lang_row >= 0) {
      EXPECT_EQ(doc->Lang(c.lang_row, c.row + 1), "typed");
      doc->Lang(c.lang_row, c.row + 1).clear();
    }
    EXPECT_TRUE(*doc == *before) << "nothing else written";
  }
}

TEST(LineEditorTyping, MainTextRenamesThePluLive) {
  auto doc = Menu();
  doc->Modifiers[0].Name = "Fish";
  doc->NumModifiers = 1;
  LineTextStore store = StoreLineText(*doc, 1, LineOption::kPluCode, "12", 0, "Grilled fish");
  EXPECT_EQ(store.renamed_plu, 12);
  EXPECT_EQ(doc->PluDescription[1], "Grilled fish");
  EXPECT_EQ(doc->Modifiers[0].Name, "Grilled fish");
  EXPECT_EQ(doc->Lang(12, 1), "Grilled fish");

  // A number of no catalogue entry renames nothing; the look-up must not fall on entry 0.
  store = StoreLineText(*doc, 1, LineOption::kPluCode, "77", 0, "Nobody");
  EXPECT_FALSE(store.renamed_plu);
  EXPECT_EQ(doc->PluDescription[0], "Soup");
  // A blank text stops the rename, as on the grid.
  StoreLineText(*doc, 1, LineOption::kPluCode, "12", 0, "  ");
  EXPECT_EQ(doc->PluDescription[1], "Grilled fish");
}

TEST(LineEditorTyping, NamesAndColours) {
  auto doc = Menu();
  StoreLanguageName(*doc, 4, "Deutsch");
  EXPECT_EQ(doc->Lang(0, 5), "Deutsch");
  StoreLanguageName(*doc, 5, "beyond");
  EXPECT_EQ(doc->Lang(0, 5), "Deutsch");

  doc->Hand.CurrentLine = 2;
  doc->LineLayout[SlotOf(4, 2)].Kind = kKindNote;
  EXPECT_EQ(ShownLineColour(*doc, 4, true), 15724527) << "the note style";
  StoreLineColour(*doc, 4, true, 255);
  StoreLineColour(*doc, 4, false, 65280);
  EXPECT_EQ(doc->LineLayout[SlotOf(4, 2)].LineBackColor, "255");
  EXPECT_EQ(doc->LineLayout[SlotOf(4, 2)].LineForeColor, "65280");
  EXPECT_EQ(ShownLineColour(*doc, 4, true), 255);
}

// ---- Translation ----

TEST(LineEditorTranslation, SourceRowChoice) {
  struct Case {
    std::array<const char*, kLanguages> names;
    std::array<const char*, kLanguages> texts;
    int target;
    std::optional<int> source;
  };
  const Case cases[] = {
      {{"Portugues", "English", "Italiano", "Frances", "Espanol"}, {"Sopa", "Soup", "", "", ""}, 2, 1},
      {{"Portugues", "English", "Italiano", "Frances", "Espanol"}, {"Sopa", "", "", "", ""}, 2, 0},
      {{"Portugues", "English", "Italiano", "Frances", "Espanol"}, {"", "", "", "Soupe", ""}, 0, 3},
      {{"English", "Portugues", "English", "Frances", "Espanol"}, {"", "Sopa", "Soup", "", ""}, 1, 2},
      {{"Portugues", "English", "Italiano", "Frances", "Espanol"}, {"", "Soup", "", "", ""}, 1, std::nullopt},
      {{"Portugues", "english", "Italiano", "Frances", "Espanol"}, {"Sopa", "Soup", "", "", ""}, 3, 0},
      {{"Portugues", "English", "Italiano", "Frances", "Espanol"}, {"", "", "", "", ""}, 3, std::nullopt},
  };
  for (const Case& c : cases) {
    LanguageRows rows;
    for (int i = 0; i < kLanguages; ++i) {
      rows.names[i] = c.names[i];
      rows.texts[i] = c.texts[i];
    }
    EXPECT_EQ(SourceRow(rows, c.target), c.source) << c.texts[0] << "/" << c.texts[1] << " -> " << c.target;
  }
}

TEST(LineEditorTranslation, RowResults) {
  LanguageRows rows;
  rows.names = {"Portugues", "English", "Italiano", "Note!", "Espanol"};
  rows.texts = {"Sopa", "Soup", "old", "", ""};
  FakeTranslator translator;
  translator.answers["Italiano"] = Ok("Zuppa");
  translator.answers["Note!"] = {Translation::Status::kAutoTarget, "", kAutoDetectMessage};
  translator.answers["Espanol"] = Ok("");

  RowTranslation result = TranslateRow(rows, 2, translator);
  EXPECT_EQ(result.text, "Zuppa");
  EXPECT_EQ(result.message, "");
  EXPECT_EQ(translator.requests.back(), "Soup|English|Italiano");
  result = TranslateRow(rows, 3, translator);
  EXPECT_EQ(result.text, "");
  EXPECT_EQ(result.message, kAutoDetectMessage);
  result = TranslateRow(rows, 4, translator);
  EXPECT_EQ(result.text, "") << "an empty answer stores nothing new";
  EXPECT_EQ(result.message, kCouldNotTranslateMessage);

  rows.names[2] = "Deutsch";  // not in the fake's table: the service's page had no result
  result = TranslateRow(rows, 2, translator);
  EXPECT_EQ(result.text, "old") << "a failed translation keeps the row's text";
  EXPECT_EQ(result.message, kCouldNotTranslateMessage);

  LanguageRows empty;
  empty.texts[1] = "only the target has text";
  size_t asked = translator.requests.size();
  result = TranslateRow(empty, 1, translator);
  EXPECT_EQ(result.text, "") << "no source: the row ends empty";
  EXPECT_EQ(translator.requests.size(), asked);
}

// ---- Group titles ----

class GroupTitle : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyDefaultSettings(doc_);
    doc_.Hand.CurrentLine = 5;
  }
  GroupTitleFields Fields(bool visible, const std::string& picture = "") {
    return {"Wines", 255, 65535, visible, picture};
  }
  LineLayoutRecord& Line(int page, int k) { return doc_.LineLayout[SlotOf(page, k)]; }

  MenuDocument doc_;
};

TEST_F(GroupTitle, LoadGivesALineWithoutColoursTheStyleDefaults) {
  struct Case {
    const char* back;
    const char* fore;
    const char* back_after;
    const char* fore_after;
  };
  const Case cases[] = {{"", "", "33023", "0"}, {"12", " ", "33023", "0"}, {"12", "34", "12", "34"}};
  for (const Case& c : cases) {
    Line(2, 5).TitleBackColor = c.back;
    Line(2, 5).TitleForeColor = c.fore;
    doc_.Hand.EditTitleText = "Reds";
    GroupTitleLoad load = LoadGroupTitle(doc_, 2);
    EXPECT_EQ(Line(2, 5).TitleBackColor, c.back_after);
    EXPECT_EQ(Line(2, 5).TitleForeColor, c.fore_after);
    EXPECT_EQ(DecimalText(load.back_color), c.back_after);
    EXPECT_EQ(load.title, "Reds");
    EXPECT_EQ(load.languages.texts[0], "Reds");
  }
}

TEST_F(GroupTitle, CreateStopsAtTheNextTitledLine) {
  Line(1, 9).TitleText = "Whites";
  Line(1, 7).Kind = kKindTitle;
  Line(1, 7).LineBackColor = "1";
  CreateGroupTitle(doc_, 1, Fields(true));
  EXPECT_EQ(Line(1, 5).TitleMark, kTitleMarkStart);
  EXPECT_EQ(Line(1, 5).TitleText, "Wines");
  for (int k = 5; k <= 8; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(Line(1, k).TitleBackColor, "255");
    EXPECT_EQ(Line(1, k).TitleForeColor, "65535");
    EXPECT_EQ(Line(1, k).LineBackColor, k == 7 ? "1" : "255") << "a title line keeps its own colours";
    EXPECT_EQ(Line(1, k).TitleMark, k == 5 ? kTitleMarkStart : 0) << "no picture: no marks";
  }
  EXPECT_EQ(Line(1, 9).TitleBackColor, "");
  EXPECT_EQ(Line(1, 9).LineBackColor, "");
}

TEST_F(GroupTitle, CreateStopsAtThePageEnd) {
  doc_.Hand.CurrentLine = 23;
  CreateGroupTitle(doc_, 3, Fields(true, "wine.jpg"));
  EXPECT_EQ(Line(3, 23).TitleMark, kTitleMarkStart);
  EXPECT_EQ(Line(3, 23).LineBackColor, "255");
  EXPECT_EQ(Line(4, 0).LineBackColor, "");
  EXPECT_EQ(Line(4, 0).TitleMark, 0);
  EXPECT_EQ(GroupLastSlot(doc_, SlotOf(14, 20)), SlotOf(14, 23)) << "never past the last page";
}

TEST_F(GroupTitle, PictureMarksAndTitleColoursHiddenFromTheLeft) {
  Line(1, 8).TitleText = "Next";
  Line(1, 6).TitleMark = kTitleMarkPictureCovered;
  CreateGroupTitle(doc_, 1, Fields(false, "wine.jpg"));
  EXPECT_EQ(Line(1, 5).TitleMark, kTitleMarkStart);
  EXPECT_EQ(Line(1, 6).TitleMark, kTitleMarkPictureCovered);
  EXPECT_EQ(Line(1, 7).TitleMark, kTitleMarkPictureCovered);
  EXPECT_EQ(Line(1, 8).TitleMark, 0);
  EXPECT_EQ(Line(1, 6).TitleBackColor, "") << "not visible on the left page";
  EXPECT_EQ(Line(1, 6).LineBackColor, "255");

  // Created again without a picture: no line stays hidden under a picture that is gone.
  CreateGroupTitle(doc_, 1, Fields(false));
  EXPECT_EQ(Line(1, 6).TitleMark, 0);
  EXPECT_EQ(Line(1, 7).TitleMark, 0);

  StoreGroupColour(doc_, 1, true, 99, false);
  EXPECT_EQ(Line(1, 5).TitleBackColor, "");
  StoreGroupColour(doc_, 1, false, 99, true);
  EXPECT_EQ(Line(1, 5).TitleForeColor, "99");
}

TEST_F(GroupTitle, RemoveClearsTheGroupsColoursAndKeepsTextAndPicture) {
  Line(1, 10).TitleText = "Next";
  CreateGroupTitle(doc_, 1, Fields(true, "wine.jpg"));
  Line(1, 5).TitlePicture = "wine.jpg";
  Line(1, 7).LineForeColor = "777";  // set for the single line in the line editor
  Line(1, 10).LineBackColor = "5";
  RemoveGroupTitle(doc_, 1, "Wines");
  for (int k = 5; k <= 9; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(Line(1, k).TitleBackColor, "");
    EXPECT_EQ(Line(1, k).TitleForeColor, "");
    EXPECT_EQ(Line(1, k).LineBackColor, "");
    EXPECT_EQ(Line(1, k).LineForeColor, "");
    EXPECT_EQ(Line(1, k).TitleMark, 0);
  }
  EXPECT_EQ(Line(1, 5).TitleText, "Wines");
  EXPECT_EQ(Line(1, 5).TitlePicture, "wine.jpg");
  EXPECT_EQ(Line(1, 10).LineBackColor, "5");
}

TEST_F(GroupTitle, TextsAndPictureFollowThePageShown) {
  StoreGroupTitleText(doc_, 1, 0, "Wines");
  StoreGroupTitleText(doc_, 1, 3, "Vins");
  StoreGroupPicture(doc_, 1, "a.jpg");
  EXPECT_EQ(Line(1, 5).TitleText, "Wines");
  EXPECT_EQ(doc_.Lang(kLangRowTitleText + SlotOf(1, 5), 1), "Wines");
  EXPECT_EQ(doc_.Lang(kLangRowTitleText + SlotOf(1, 5), 4), "Vins");
  EXPECT_EQ(Line(1, 5).TitlePicture, "a.jpg");
  StoreGroupTitleText(doc_, 6, 0, "Beers");
  EXPECT_EQ(Line(6, 5).TitleText, "Beers");
  EXPECT_EQ(Line(1, 5).TitleText, "Wines");
}

}  // namespace
}  // namespace tabulo
