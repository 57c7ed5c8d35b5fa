#include "designer/printing/card_layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "designer/document/catalogue_lookup.h"
#include "designer/printing/recording_canvas.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using Kind = CanvasCall::Kind;
using ::testing::ElementsAre;

constexpr double kTol = 1e-9;
// Fixed metrics of the recording canvas.
double Row(double points) {
  return RecordingCanvas::kRowHeight * points;
}
double Width(const std::string& text, double points) {
  return static_cast<double>(text.size()) * RecordingCanvas::kCharWidth * points;
}
double LineTop(int line) {
  return 59 + (line - 1) * 6.88;
}

// A menu with default margins (47, 165, 59) and fixed lettering, filled line by line.
class Card : public ::testing::Test {
 protected:
  Card() : doc_(std::make_unique<MenuDocument>()) {
    ResetDocument(*doc_);
    ApplyDefaultLanguageNames(*doc_);
  }

  MenuDocument& Doc() { return *doc_; }

  // A PLU line with its translation in language column 2.
  void Plu(int page, int line, int number, const std::string& text, const std::string& price,
           const std::string& english = "") {
    AppendPlu(*doc_, std::to_string(number), price, text);
    const int s = SlotOf(page, line - 1);
    doc_->Botoes[s] = number;
    doc_->LineLayout[s].Kind = kKindPlu;
    doc_->Lang(number, 2) = english;
  }
  void Titled(int page, int line, int32_t kind, const std::string& text, const std::string& english = "") {
    const int s = SlotOf(page, line - 1);
    doc_->LineLayout[s].Kind = kind;
    doc_->LineLayout[s].Text = text;
    doc_->Lang(kLangRowLineText + s, 2) = english;
  }
  void Group(int page, int line, const std::string& title, const std::string& back, const std::string& fore) {
    LineLayoutRecord& layout = doc_->LineLayout[SlotOf(page, line - 1)];
    layout.TitleText = title;
    layout.TitleBackColor = back;
    layout.TitleForeColor = fore;
  }

  RecordingCanvas Print(PrintOption option, int page = 1, PrintLanguages languages = {}, bool backs = true) {
    RecordingCanvas canvas;
    canvas.pictures = pictures_;
    PrintSettings settings;
    settings.option = option;
    settings.languages = languages;
    settings.backs_shown = backs;
    summary_ = PrintCards(*doc_, page, settings, canvas);
    return canvas;
  }

  static PrintLanguages TwoLanguages() {
    PrintLanguages languages;
    languages.primary = 0;
    languages.secondary = 1;
    languages.count = 2;
    return languages;
  }

  std::unique_ptr<MenuDocument> doc_;
  PrintSummary summary_;
  std::map<std::string, PictureSize> pictures_;  // the pictures the canvas can read
};

void ExpectText(const CanvasCall& call, double x, double y, const std::string& text, double points,
                int32_t color) {
  EXPECT_EQ(call.kind, Kind::kText);
  EXPECT_EQ(call.text, text);
  EXPECT_NEAR(call.x, x, kTol) << text;
  EXPECT_NEAR(call.y, y, kTol) << text;
  EXPECT_EQ(call.points, points) << text;
  EXPECT_EQ(call.color, color) << text;
}

void ExpectBox(const CanvasCall& call, double x1, double y1, double x2, double y2, int32_t color) {
  EXPECT_EQ(call.kind, Kind::kBox);
  EXPECT_NEAR(call.x, x1, kTol);
  EXPECT_NEAR(call.y, y1, kTol);
  EXPECT_NEAR(call.x2, x2, kTol);
  EXPECT_NEAR(call.y2, y2, kTol);
  EXPECT_EQ(call.color, color);
}

TEST_F(Card, FrontInOneLanguageEveryElementInPlace) {
  Plu(1, 1, 12, "Soup", "2.50");
  Titled(1, 3, kKindTitle, "Mains");
  Titled(1, 5, kKindNote, "Ask us");
  Doc().FontName = "Liberation Sans";
  RecordingCanvas canvas = Print(PrintOption::kCurrentPage, 1, {}, false);
  const auto& c = canvas.calls;
  ASSERT_EQ(c.size(), 10u);

  // Header: the letter centred in its circle at (20, 20), in the menu's font at 22 points.
  ExpectText(c[0], 20 - Width("D", 22) / 2, 20 - Row(22) / 2, "D          Page A / Plaque K418B", 22, 0);
  EXPECT_EQ(c[0].face, "Liberation Sans");
  EXPECT_EQ(c[1].kind, Kind::kCircle);
  EXPECT_EQ(c[1].x, 20);
  EXPECT_EQ(c[1].y, 20);
  EXPECT_EQ(c[1].radius, 10);
  EXPECT_EQ(c[1].color, 0);
  // The panel over the card area, in the page colour an empty colour stands for.
  ExpectBox(c[2], 25, 49, 189, 231, kPageDefaultColor);
  // Line 1: the bar 2 mm inside the card, the text and the price centred on the bar, in the line's size.
  ExpectBox(c[3], 27, LineTop(1), 189, LineTop(1) + 5, 33023);
  ExpectText(c[4], 47, LineTop(1) + 2.5 - Row(13) / 2, "Soup", 13, 0);
  ExpectText(c[5], 165, LineTop(1) + 2.5 - Row(13) / 2, "2.50\u20ac", 13, 0);
  // Line 3, a title: 14 points, white on black; no price.
  ExpectBox(c[6], 27, LineTop(3), 189, LineTop(3) + 5, 0);
  ExpectText(c[7], 47, LineTop(3) + 2.5 - Row(14) / 2, "Mains", 14, 16777215);
  // Line 5, a note at 9 points.
  ExpectBox(c[8], 27, LineTop(5), 189, LineTop(5) + 5, 15724527);
  ExpectText(c[9], 47, LineTop(5) + 2.5 - Row(9) / 2, "Ask us", 9, 0);
  EXPECT_EQ(summary_.sheets, 1);
}

TEST_F(Card, WithoutPrintLinesNoPanelNoPictureNoBars) {
  Plu(1, 1, 12, "Soup", "2.50");
  Doc().PrintLines = 0;
  RecordingCanvas canvas = Print(PrintOption::kCurrentPage, 1, {}, false);
  EXPECT_TRUE(canvas.Calls(Kind::kBox).empty());
  EXPECT_THAT(canvas.Texts(), ElementsAre("D          Page A / Plaque K418B", "Soup", "2.50\u20ac"));
}

TEST_F(Card, MarginsMoveTheCardButNotTheHeader) {
  Plu(1, 2, 12, "Soup", "2.50");
  Doc().MarginXDescr = 40;
  Doc().MarginXPrice = 150;
  Doc().MarginY = 30;
  RecordingCanvas canvas = Print(PrintOption::kCurrentPage, 1, {}, false);
  auto boxes = canvas.Calls(Kind::kBox);
  ASSERT_EQ(boxes.size(), 2u);
  ExpectBox(boxes[0], 18, 20, 182, 202, kPageDefaultColor);
  ExpectBox(boxes[1], 20, 30 + 6.88, 182, 30 + 6.88 + 5, 33023);
  auto texts = canvas.Calls(Kind::kText);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_NEAR(texts[0].x, 20 - Width("D", 22) / 2, kTol);
  EXPECT_NEAR(texts[1].x, 40, kTol);
  EXPECT_NEAR(texts[2].x, 150, kTol);
  EXPECT_NEAR(texts[2].y, 30 + 6.88 + 2.5 - Row(13) / 2, kTol);
}

TEST_F(Card, TwoLanguagesBesideAnEmptyAndAFilledLine) {
  const std::string long_english =
      "Soup of the day with bread and butter from the village bakery and a glass of house wine";
  Plu(1, 1, 12, "Sopa do dia", "2.50", long_english);  // line 2 is empty: the second text goes below
  Plu(1, 3, 13, "Bife", "9",
      "Steak grilled on charcoal with fries, green salad and three sauces of your choice from the kitchen");
  Plu(1, 4, 14, "Agua", "1", "Agua");     // the same text in both languages: one text
  Plu(1, 24, 15, "Cafe", "1", "Coffee");  // the last line has no next line: below, as before an empty one
  RecordingCanvas canvas = Print(PrintOption::kCurrentPage, 1, TwoLanguages(), false);
  auto texts = canvas.Calls(Kind::kText);
  ASSERT_EQ(texts.size(), 13u);

  // Line 1: the first text as in one language; the second at 8 points one pitch lower, cut at a space so
  // that it fits 120 mm, the rest on the next text row without the space.
  ExpectText(texts[1], 47, LineTop(1) + 2.5 - Row(13) / 2, "Sopa do dia", 13, 0);
  const double second_top = LineTop(1) + 6.88 - Row(8) / 2;
  EXPECT_EQ(texts[2].points, 8);
  EXPECT_NEAR(texts[2].y, second_top, kTol);
  EXPECT_LE(Width(texts[2].text, 8), 120);
  EXPECT_EQ(texts[2].text, "Soup of the day with bread and butter from the village bakery and a glass");
  ExpectText(texts[3], 47, second_top + Row(8), "of house wine", 8, 0);
  ExpectText(texts[4], 165, LineTop(1) + 2.5 - Row(13) / 2, "2.50\u20ac", 13, 0);

  // Line 3: both texts share the line, 9 and 7 points; the second is cut at the price margin and the
  // cut-off part is dropped.
  ExpectText(texts[5], 47, LineTop(3) + 1.5 - Row(9) / 2, "Bife", 9, 0);
  EXPECT_EQ(texts[6].points, 7);
  EXPECT_NEAR(texts[6].y, LineTop(3) + 4 - Row(7) / 2, kTol);
  EXPECT_EQ(texts[6].text,
            "Steak grilled on charcoal with fries, green salad and three sauces of your choice");
  EXPECT_LE(47 + Width(texts[6].text, 7), 165);
  EXPECT_GT(47 + Width(texts[6].text + " from", 7), 165);
  // The price keeps the line's own size.
  ExpectText(texts[7], 165, LineTop(3) + 2.5 - Row(13) / 2, "9\u20ac", 13, 0);

  // Line 4: equal texts print once, as in one language.
  ExpectText(texts[8], 47, LineTop(4) + 2.5 - Row(13) / 2, "Agua", 13, 0);
  ExpectText(texts[9], 165, LineTop(4) + 2.5 - Row(13) / 2, "1\u20ac", 13, 0);

  // Line 24.
  ExpectText(texts[10], 47, LineTop(24) + 2.5 - Row(13) / 2, "Cafe", 13, 0);
  ExpectText(texts[11], 47, LineTop(24) + 6.88 - Row(8) / 2, "Coffee", 8, 0);
  ExpectText(texts[12], 165, LineTop(24) + 2.5 - Row(13) / 2, "1\u20ac", 13, 0);
}

TEST_F(Card, SecondaryLanguageAlone) {
  // The secondary language of a title line comes from its line-text row; a PLU's from its number's row.
  Titled(1, 1, kKindTitle, "Pratos", "Dishes");
  Plu(1, 2, 12, "Sopa", "2", "Soup");
  PrintLanguages english;
  english.primary = 1;
  english.count = 1;
  RecordingCanvas canvas = Print(PrintOption::kCurrentPage, 1, english, false);
  EXPECT_THAT(canvas.Texts(), ElementsAre("D          Page A / Plaque K418B", "Dishes", "Soup", "2\u20ac"));
}

TEST_F(Card, NoLanguageCheckedPrintsTheDesignersTextsAsOneLanguage) {
  Plu(1, 1, 12, "Sopa", "2", "Soup");
  LanguageBoxes none;
  RecordingCanvas canvas = Print(PrintOption::kCurrentPage, 1, LanguagesOf(none), false);
  auto texts = canvas.Calls(Kind::kText);
  ASSERT_EQ(texts.size(), 3u);
  ExpectText(texts[1], 47, LineTop(1) + 2.5 - Row(13) / 2, "Sopa", 13, 0);
}

TEST(CardTexts, PluNumbersBeyondTheTranslationRowsHaveNoTranslation) {
  auto doc = std::make_unique<MenuDocument>();
  AppendPlu(*doc, "10005", "1", "Big number");
  doc->Botoes[0] = 10005;
  doc->Lang(10005, 2) = "a line text row";
  PageView view = BuildPageView(*doc, 1);
  PrintLanguages english;
  english.primary = 1;
  EXPECT_EQ(FrontLineText(*doc, view, 1, 1, english), "");
  EXPECT_EQ(FrontLineText(*doc, view, 1, 1, PrintLanguages{}), "Big number");
  EXPECT_EQ(FrontLineText(*doc, view, 1, 2, PrintLanguages{}), "");  // no secondary language
}

TEST(CardTexts, PricesArePrintedWholeWithTheirSymbol) {
  const std::string euro = "\u20ac";
  EXPECT_EQ(PrintedPrice("12.50", euro), "12.50\u20ac");
  EXPECT_EQ(PrintedPrice("12.50", "$"), "$12.50");
  EXPECT_EQ(PrintedPrice("12.50", "CHF"), "CHF12.50");
  EXPECT_EQ(PrintedPrice("1234.50", euro), "1234.50\u20ac");
  EXPECT_EQ(PrintedPrice("99999.99", euro), "99999.99\u20ac");
  EXPECT_EQ(PrintedPrice("1234.50", "$"), "$1234.50");
  EXPECT_EQ(PrintedPrice("1250", "CHF"), "CHF1250");
  EXPECT_EQ(PrintedPrice(" 7.5 ", "CHF"), "CHF7.5");
  EXPECT_EQ(PrintedPrice("0", euro), "");
  EXPECT_EQ(PrintedPrice("0.00", "$"), "");
  EXPECT_EQ(PrintedPrice("ask", euro), "");
  EXPECT_EQ(PrintedPrice("  ", euro), "");
  EXPECT_EQ(PrintedPrice("", euro), "");
  // Already holding the symbol: as entered, trimmed, whatever its value; letters compared without case.
  EXPECT_EQ(PrintedPrice(" 3,50 \u20ac ", euro), "3,50 \u20ac");
  EXPECT_EQ(PrintedPrice("\u20ac 0", euro), "\u20ac 0");
  EXPECT_EQ(PrintedPrice("12 eur", "EUR"), "12 eur");
}

TEST(CardTexts, ShorteningCutsAtSpacesOrInsideAWordWithoutOne) {
  auto within = [](size_t limit) {
    return [limit](const std::string& text) { return text.size() <= limit; };
  };
  EXPECT_EQ(ShortenText("one two three", within(9)),
            std::make_pair(std::string("one two"), std::string(" three")));
  EXPECT_EQ(ShortenText("one two", within(20)), std::make_pair(std::string("one two"), std::string()));
  EXPECT_EQ(ShortenText("abcdefgh", within(3)), std::make_pair(std::string("abc"), std::string("defgh")));
  // The last word left too long is cut inside it; characters are never split.
  EXPECT_EQ(ShortenText("ab cdefgh", within(1)), std::make_pair(std::string("a"), std::string("b cdefgh")));
  auto [kept, rest] = ShortenText("\u00e9\u00e9\u00e9", within(4));
  EXPECT_EQ(kept, "\u00e9\u00e9");
  EXPECT_EQ(rest, "\u00e9");
}

TEST_F(Card, AWordWithoutSpaceKeepsAllItsCharactersAcrossTheCut) {
  Plu(1, 1, 12, "Sopa", "", std::string(100, 'x'));
  RecordingCanvas canvas = Print(PrintOption::kCurrentPage, 1, TwoLanguages(), false);
  auto texts = canvas.Texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[2], std::string(75, 'x'));  // 120 mm at 1.6 mm a character
  EXPECT_EQ(texts[3], std::string(25, 'x'));
}

TEST_F(Card, PlaqueLettersOfFrontsAndBacks) {
  // Lettering from the last used page (5): fronts H..L, each back the letter of the previous front.
  Doc().PagesVersion = "0";
  for (int page = 1; page <= 5; ++page) Plu(page, 1, page, "Dish", "1");
  const char* fronts[] = {"H", "I", "J", "K", "L", " ", "", "", "", "", "", ""};
  const char* backs[] = {"G", "H", "I", "J", "K", "L", " ", "", "", "", "", ""};
  for (int page = 1; page <= 12; ++page) {
    PageView view = BuildPageView(Doc(), page);
    EXPECT_EQ(PrintedPlaque(Doc(), view, true), fronts[page - 1]) << page;
    EXPECT_EQ(PrintedPlaque(Doc(), view, false), backs[page - 1]) << page;
  }
  // Fixed lettering: the same letter on both sides; page 13 has none.
  Doc().PagesVersion = "1";
  for (auto [page, letter] : {std::pair{1, "D"}, {9, "L"}, {10, "A"}, {12, "C"}, {13, ""}}) {
    PageView view = BuildPageView(Doc(), page);
    EXPECT_EQ(PrintedPlaque(Doc(), view, true), letter);
    EXPECT_EQ(PrintedPlaque(Doc(), view, false), letter);
  }
  // The headers of page 3 as printed.
  Doc().PagesVersion = "0";
  Group(3, 2, "Desserts", "255", "");
  RecordingCanvas canvas = Print(PrintOption::kCurrentPage, 3);
  auto texts = canvas.Texts();
  EXPECT_EQ(texts.front(), "J          Page A / Plaque K418B");
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "I          Page B / Plaque K418A"), 1);
}

TEST_F(Card, BackBarsJoinWhenColoursMatchAndTitlesPrintAtTheLineTop) {
  Plu(1, 1, 12, "Soup", "1");
  Group(1, 2, "Starters", "255", "16777215");
  Group(1, 3, "", "255", "16777215");
  Group(1, 4, "", "255", "");
  Group(1, 5, "Mains", "65280", "");
  Group(1, 6, "Plain", "", "");  // white: no bar, black text
  Group(1, 24, "", "255", "");   // the last line has nothing to join
  RecordingCanvas canvas = Print(PrintOption::kAllBacks);
  auto boxes = canvas.Calls(Kind::kBox);
  ASSERT_EQ(boxes.size(), 6u);
  ExpectBox(boxes[0], 25, 49, 189, 231, kPageDefaultColor);  // the back's panel
  ExpectBox(boxes[1], 25, LineTop(2), 189, LineTop(2) + 7, 255);
  ExpectBox(boxes[2], 25, LineTop(3), 189, LineTop(3) + 7, 255);
  ExpectBox(boxes[3], 25, LineTop(4), 189, LineTop(4) + 5, 255);
  ExpectBox(boxes[4], 25, LineTop(5), 189, LineTop(5) + 5, 65280);
  ExpectBox(boxes[5], 25, LineTop(24), 189, LineTop(24) + 5, 255);
  auto texts = canvas.Calls(Kind::kText);
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0].text, "D          Page B / Plaque K418A");
  ExpectText(texts[1], 47, LineTop(2), "Starters", 25, 16777215);
  ExpectText(texts[2], 47, LineTop(5), "Mains", 25, 0);
  ExpectText(texts[3], 47, LineTop(6), "Plain", 25, 0);
}

TEST_F(Card, BackImagesFillTheirBoxWithoutDistortion) {
  test::TempFolder folder;
  test::WriteFile(folder / "wide.png", "x");
  test::WriteFile(folder / "tall.png", "x");
  Doc().ProjectFolder = folder.Path() + "/";
  Plu(1, 1, 12, "Soup", "1");
  // A group with a picture on line 3 covering lines 4 and 5: its cell reaches line 6, 4 pitches high.
  LineLayoutRecord& wide = Doc().LineLayout[SlotOf(1, 2)];
  wide.TitleMark = kTitleMarkStart;
  wide.TitlePicture = "wide.png";
  Doc().LineLayout[SlotOf(1, 3)].TitleMark = kTitleMarkPictureCovered;
  Doc().LineLayout[SlotOf(1, 4)].TitleMark = kTitleMarkPictureCovered;
  // A one-line group on line 10.
  LineLayoutRecord& tall = Doc().LineLayout[SlotOf(1, 9)];
  tall.TitleMark = kTitleMarkStart;
  tall.TitlePicture = folder / "tall.png";

  RecordingCanvas canvas;
  canvas.pictures[folder / "wide.png"] = {328, 20};
  canvas.pictures[folder / "tall.png"] = {82, 100};
  PrintSettings settings;
  settings.option = PrintOption::kAllBacks;
  PrintCards(Doc(), 1, settings, canvas);
  auto images = canvas.Calls(Kind::kStretch);
  ASSERT_EQ(images.size(), 2u);

  const double wide_box = 6.88 * 4 - 1.8;
  EXPECT_EQ(images[0].text, folder / "wide.png");
  EXPECT_NEAR(images[0].target.x, 25, kTol);
  EXPECT_NEAR(images[0].target.y, LineTop(3), kTol);
  EXPECT_NEAR(images[0].target.width, 164, kTol);
  EXPECT_NEAR(images[0].target.height, wide_box, kTol);
  // Wider in proportion than the box: the whole height, the right part lost.
  EXPECT_NEAR(images[0].source.height, 20, kTol);
  EXPECT_NEAR(images[0].source.width, 20 * 164 / wide_box, kTol);
  EXPECT_NEAR(images[0].source.width / images[0].source.height, 164 / wide_box, kTol);

  const double tall_box = 6.88 * 2 - 1.8;  // a group on one line stretches through the next
  EXPECT_NEAR(images[1].target.y, LineTop(10), kTol);
  EXPECT_NEAR(images[1].target.height, tall_box, kTol);
  // Taller in proportion: the whole width, the bottom part lost.
  EXPECT_NEAR(images[1].source.width, 82, kTol);
  EXPECT_NEAR(images[1].source.height, 82 * tall_box / 164, kTol);
  EXPECT_EQ(images[1].source.x, 0);
  EXPECT_EQ(images[1].source.y, 0);
}

TEST_F(Card, PagePicturesAtNaturalSizeOnTheCardCorner) {
  test::TempFolder folder;
  test::WriteFile(folder / "front.png", "x");
  Doc().ProjectFolder = folder.Path() + "/";
  Doc().PagePictureA[1] = "front.png";
  Doc().PageColorA[1] = "123";
  Plu(1, 1, 12, "Soup", "1");
  pictures_[folder / "front.png"] = {100, 100};
  RecordingCanvas canvas = Print(PrintOption::kAllFronts);
  auto pictures = canvas.Calls(Kind::kPicture);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].text, folder / "front.png");
  EXPECT_EQ(pictures[0].x, 25);
  EXPECT_EQ(pictures[0].y, 49);
  ExpectBox(canvas.Calls(Kind::kBox)[0], 25, 49, 189, 231, 123);
}

TEST_F(Card, EmptyFrontsUseNoSheet) {
  Plu(1, 1, 11, "One", "1");
  Titled(2, 4, kKindTitle, "   ");  // blank text is no text
  Plu(3, 1, 13, "Three", "1");
  Plu(14, 1, 14, "Fourteen", "1");  // page 14 is printed only as the current page

  RecordingCanvas fronts = Print(PrintOption::kAllFronts);
  EXPECT_EQ(summary_.sheets, 2);
  EXPECT_EQ(fronts.Calls(Kind::kNewPage).size(), 1u);
  EXPECT_EQ(fronts.calls.back().kind, Kind::kText);  // the job does not end on a blank sheet

  // All pages: the fronts of pages 1 and 3 and the back of page 3, the only back with content; no sheet
  // carries a header alone.
  Group(3, 2, "Desserts", "255", "");
  RecordingCanvas all = Print(PrintOption::kAllPages);
  EXPECT_EQ(summary_.sheets, 3);
  EXPECT_EQ(all.Calls(Kind::kNewPage).size(), 2u);
  std::vector<std::string> headers;
  for (const std::string& text : all.Texts()) {
    if (text.find("Plaque") != std::string::npos) headers.push_back(text);
  }
  EXPECT_THAT(headers, ElementsAre("D          Page A / Plaque K418B", "F          Page A / Plaque K418B",
                                   "F          Page B / Plaque K418A"));
  // Backs only: page 3's.
  Print(PrintOption::kAllBacks);
  EXPECT_EQ(summary_.sheets, 1);

  // The current page without the page-design view: its front only.
  Print(PrintOption::kCurrentPage, 14, {}, false);
  EXPECT_EQ(summary_.sheets, 1);
  // An empty page prints nothing at all.
  RecordingCanvas empty = Print(PrintOption::kCurrentPage, 2);
  EXPECT_TRUE(empty.calls.empty());
  EXPECT_EQ(summary_.sheets, 0);
}

TEST_F(Card, ABackWithGroupsOfItsOwnGetsAHeaderAndItsOwnSheet) {
  // Page 2 has no front text but a group title on its back: its back is not drawn onto page 3's sheet.
  Plu(1, 1, 11, "One", "1");
  Group(2, 1, "Desserts", "255", "");
  Plu(3, 1, 13, "Three", "1");
  RecordingCanvas all = Print(PrintOption::kAllPages);
  EXPECT_EQ(summary_.sheets, 3);
  std::vector<std::string> page_texts;
  for (const CanvasCall& call : all.calls) {
    if (call.kind == Kind::kNewPage) page_texts.push_back("|");
    if (call.kind == Kind::kText) page_texts.push_back(call.text.substr(0, 20));
  }
  EXPECT_THAT(page_texts, ElementsAre("D          Page A / ", "One", "1\u20ac", "|", "E          Page B / ",
                                      "Desserts", "|", "F          Page A / ", "Three", "1\u20ac"));
}

TEST_F(Card, LongTextsEndBeforeThePriceAndTheCardEdgeSmallerThenCut) {
  const std::string long_name =
      "Grilled sea bass with lemon butter, capers and new potatoes of the season from the market, served "
      "with a green salad";
  Plu(1, 1, 12, "Fillet of sea bass with lemon butter and capers", "1234.50");  // only set smaller
  Plu(1, 3, 13, long_name, "12.50");  // far too wide: the smallest size, then cut
  Plu(1, 4, 14, "Cafe", "1", "Coffee");
  Plu(1, 5, 15, long_name, "2", "Sea bass");  // in two languages: shares its line, line 6 being filled
  Plu(1, 6, 16, "Agua", "1", "Water");
  Titled(1, 7, kKindTitle, long_name + long_name);  // no price: up to the card's edge
  Doc().Currency = "CHF";
  RecordingCanvas one = Print(PrintOption::kCurrentPage, 1, {}, false);
  auto texts = one.Calls(Kind::kText);
  ASSERT_EQ(texts.size(), 12u);
  auto right = [](const CanvasCall& call) {
    RecordingCanvas metrics;
    metrics.SetFont("", call.points);
    return call.x + metrics.TextWidth(call.text);
  };

  ExpectText(texts[1], 47, LineTop(1) + 2.5 - Row(12) / 2, "Fillet of sea bass with lemon butter and capers",
             12,
             0);  // half a point at a time until it fits, still centred on the bar
  // The price whole, set smaller to end on the card.
  ExpectText(texts[2], 165, LineTop(1) + 2.5 - Row(12) / 2, "CHF1234.50", 12, 0);

  EXPECT_EQ(texts[3].points, 6);
  EXPECT_EQ(texts[3].text,
            "Grilled sea bass with lemon butter, capers and new potatoes of the season from the market, "
            "serv\u2026");
  EXPECT_LE(right(texts[3]), 163);
  EXPECT_EQ(texts[4].text, "CHF12.50");
  // The title without a price runs on to 2 mm before the card's edge (189 mm), no further.
  EXPECT_EQ(texts[11].points, 6);
  EXPECT_LE(right(texts[11]), 187);
  EXPECT_GT(right(texts[11]), 180);
  for (const CanvasCall& text : texts) EXPECT_LE(right(text), 189) << text.text;

  // Two languages: the first text of a shared line is cut before the price as well.
  RecordingCanvas two = Print(PrintOption::kCurrentPage, 1, TwoLanguages(), false);
  int long_texts = 0;
  for (const CanvasCall& text : two.Calls(Kind::kText)) {
    if (text.text.rfind("Grilled", 0) != 0 || text.y > LineTop(7)) continue;
    EXPECT_LE(right(text), 163) << text.text;
    ++long_texts;
  }
  EXPECT_EQ(long_texts, 2);
}

TEST_F(Card, PicturesFromWindowsAreFoundAndMissingOnesNamed) {
  test::TempFolder folder;
  std::filesystem::create_directories(folder / "Fotos");
  test::WriteFile(folder / "wide.png", "x");
  test::WriteFile(folder / "Fotos/group.jpg", "x");
  test::WriteFile(folder / "back.png", "x");
  Doc().ProjectFolder = folder.Path() + "/";
  Doc().PagePictureA[1] = "D:\\Fotos\\Wide.PNG";  // moved from Windows, stored as wide.png
  Doc().PagePictureB[1] = "BACK.png";
  LineLayoutRecord& group = Doc().LineLayout[SlotOf(1, 2)];
  group.TitleMark = kTitleMarkStart;
  group.TitlePicture = "Fotos\\Group.JPG";  // relative to the project folder
  LineLayoutRecord& lost = Doc().LineLayout[SlotOf(1, 9)];
  lost.TitleMark = kTitleMarkStart;
  lost.TitlePicture = "C:\\Menus\\gone.png";
  Plu(1, 1, 12, "Soup", "1");
  pictures_[folder / "wide.png"] = {100, 100};
  pictures_[folder / "Fotos/group.jpg"] = {328, 20};
  // back.png is found but cannot be read.

  RecordingCanvas canvas = Print(PrintOption::kCurrentPage);
  auto pictures = canvas.Calls(Kind::kPicture);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].text, folder / "wide.png");
  auto groups = canvas.Calls(Kind::kStretch);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].text, folder / "Fotos/group.jpg");
  EXPECT_THAT(summary_.warnings, ElementsAre("Picture cannot be read: " + folder / "back.png",
                                             "Picture not found: C:\\Menus\\gone.png"));
  EXPECT_EQ(summary_.sheets, 2);  // the job went on
}

TEST_F(Card, LinesWithoutTheChosenLanguageAreListed) {
  Plu(1, 1, 12, "Sopa", "2", "Soup");
  Plu(1, 2, 13, "Bife", "9");  // no English
  Titled(2, 4, kKindTitle, "Sobremesas");
  Titled(2, 5, kKindTitle, "Vinhos", "Wines");
  PrintSettings settings;
  settings.option = PrintOption::kAllPages;
  settings.languages.primary = 1;
  EXPECT_THAT(LinesWithoutLanguage(Doc(), 1, settings),
              ElementsAre("Page 1, line 2: Bife", "Page 2, line 4: Sobremesas"));
  settings.option = PrintOption::kCurrentPage;
  EXPECT_THAT(LinesWithoutLanguage(Doc(), 2, settings), ElementsAre("Page 2, line 4: Sobremesas"));
  settings.languages.primary = 0;  // the designer's own texts: nothing is missing
  EXPECT_TRUE(LinesWithoutLanguage(Doc(), 1, settings).empty());
}

TEST_F(Card, CalibrationSheetOutlinesTheCardAndItsKeysAtTheMargins) {
  Doc().MarginXDescr = 40;
  Doc().MarginXPrice = 150;
  Doc().MarginY = 30;
  RecordingCanvas canvas;
  PrintCalibrationSheet(Doc(), canvas);
  auto boxes = canvas.Calls(Kind::kBox);
  auto has_box = [&](double x1, double y1, double x2, double y2) {
    return std::any_of(boxes.begin(), boxes.end(), [&](const CanvasCall& b) {
      return std::abs(b.x - x1) < 1e-6 && std::abs(b.y - y1) < 1e-6 && std::abs(b.x2 - x2) < 1e-6 &&
             std::abs(b.y2 - y2) < 1e-6;
    });
  };
  // The card from (18, 20) to (182, 202): its four edges.
  EXPECT_TRUE(has_box(18, 20, 182, 20.2));
  EXPECT_TRUE(has_box(18, 201.8, 182, 202));
  EXPECT_TRUE(has_box(18, 20, 18.2, 202));
  EXPECT_TRUE(has_box(181.8, 20, 182, 202));
  // Every key where its bar prints: line 1 at y 30, line 24 at 30 + 23 pitches.
  EXPECT_TRUE(has_box(20, 30, 182, 30.2));
  EXPECT_TRUE(has_box(20, 30 + 23 * 6.88 + 5 - 0.2, 182, 30 + 23 * 6.88 + 5));
  // The text and price columns.
  EXPECT_TRUE(has_box(40, 20, 40.2, 202));
  EXPECT_TRUE(has_box(150, 20, 150.2, 202));
  // Rulers: a tick every millimetre, numbered every 10 at its own position.
  EXPECT_TRUE(has_box(37, 0, 37.2, 2));
  EXPECT_TRUE(has_box(0, 50, 10 - 5, 50.2));
  auto texts = canvas.Calls(Kind::kText);
  auto label = std::find_if(texts.begin(), texts.end(), [](const CanvasCall& t) { return t.text == "120"; });
  ASSERT_NE(label, texts.end());
  EXPECT_NEAR(label->x, 120.5, kTol);
  EXPECT_EQ(canvas.Calls(Kind::kNewPage).size(), 0u);
}

}  // namespace
}  // namespace tabulo
