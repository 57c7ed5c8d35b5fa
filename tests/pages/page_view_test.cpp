#include "designer/pages/page_view.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "designer/document/catalogue_lookup.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

// Pictures "exist" when they are in the set, so the loading rule can be followed without files.
PictureProbe Existing(std::set<std::string> paths) {
  return [paths](const std::string& path) { return paths.count(path) > 0; };
}

std::unique_ptr<MenuDocument> Document() {
  auto doc = std::make_unique<MenuDocument>();
  doc->ProjectFolder = "/menus/";
  return doc;
}

TEST(PageView, EmptyPageColourIsPaleYellowAndWrittenBack) {
  auto doc = Document();
  doc->PageColorB[3] = "255";
  PageView view = BuildPageView(*doc, 3);
  EXPECT_EQ(view.front.back_color, kPageDefaultColor);
  EXPECT_EQ(doc->PageColorA[3], "14745599") << "the default is saved with the page";
  EXPECT_EQ(view.back.back_color, 255);
  EXPECT_EQ(doc->PageColorA[4], "") << "only the page drawn";
}

TEST(PageView, ColourTextThatIsNoNumberDrawsWithTheDefault) {
  auto doc = Document();
  doc->PageColorA[1] = "blue";
  doc->PageColorB[1] = "99999999";
  doc->LineLayout[0].Kind = kKindPlu;
  doc->LineLayout[0].LineBackColor = "red";
  doc->LineLayout[0].LineForeColor = "255";
  doc->LineLayout[1].Kind = kKindTitle;
  doc->StyleBackColor[kStyleTitle] = "dark";
  doc->LineLayout[2].TitleBackColor = "x";
  doc->LineLayout[2].TitleForeColor = "65280";
  PageView view = BuildPageView(*doc, 1);
  EXPECT_EQ(view.front.back_color, kPageDefaultColor);
  EXPECT_EQ(view.back.back_color, kPageDefaultColor) << "out of the RGB range";
  EXPECT_EQ(doc->PageColorA[1], "blue") << "a colour that is set is not replaced";
  ASSERT_TRUE(view.lines[0].style);
  EXPECT_EQ(view.lines[0].style->back_color, 33023) << "falls back to the text style";
  EXPECT_EQ(view.lines[0].style->fore_color, 255);
  ASSERT_TRUE(view.lines[1].style);
  EXPECT_EQ(view.lines[1].style->back_color, 0) << "a broken style colour falls back to the built-in one";
  EXPECT_EQ(view.lines[2].title_back_color, kWhite);
  EXPECT_EQ(view.lines[2].title_fore_color, 65280);
}

TEST(PageView, LineStylesByKind) {
  auto doc = Document();
  AppendPlu(*doc, "7", "2.50", "Soup");
  doc->StyleBackColor[kStyleNote] = "123";
  struct Case {
    int32_t kind;
    int32_t botoes;
    std::string text;
    std::string expected_text;
    std::string expected_price;
    std::optional<int> font_size;
  };
  const Case cases[] = {
      {kKindUnset, 0, "left over", "", "", kFontSizeText},
      {kKindPlu, 7, "", "Soup", "2.50", kFontSizeText},
      {kKindTitle, 7, "Starters", "Starters", "2.50", kFontSizeTitle},  // a title on a PLU line
      {kKindNote, 0, "Spicy", "Spicy", "", kFontSizeNote},
      {9, 7, "odd", "Soup", "2.50", std::nullopt},  // unknown kind: the style shown is kept
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    doc->LineLayout[k].Kind = cases[k].kind;
    doc->LineLayout[k].Text = cases[k].text;
    doc->Botoes[k] = cases[k].botoes;
  }
  PageView view = BuildPageView(*doc, 1);
  for (size_t k = 0; k < std::size(cases); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(view.lines[k].text, cases[k].expected_text);
    EXPECT_EQ(view.lines[k].price, cases[k].expected_price);
    EXPECT_EQ(view.lines[k].style.has_value(), cases[k].font_size.has_value());
    if (cases[k].font_size) {
      EXPECT_EQ(view.lines[k].style->font_size, *cases[k].font_size);
    }
  }
  EXPECT_EQ(view.lines[3].style->back_color, 123);
  EXPECT_EQ(view.lines[2].tag, "0") << "a title line still knows its PLU";
}

TEST(PageView, TheLastCatalogueEntryOfANumberIsShown) {
  auto doc = Document();
  AppendPlu(*doc, "4", "1", "First four");
  AppendPlu(*doc, "0", "9", "Deleted");
  AppendPlu(*doc, "4", "2", "Second four");
  AppendPlu(*doc, "4.5", "3", "Not a whole number");
  doc->Botoes[SlotOf(2, 5)] = 4;
  doc->Botoes[SlotOf(2, 6)] = 99;
  PageView view = BuildPageView(*doc, 2);
  EXPECT_EQ(view.lines[5].text, "Second four");
  EXPECT_EQ(view.lines[5].price, "2");
  EXPECT_EQ(view.lines[5].tag, "2");
  EXPECT_EQ(view.lines[6].text, "") << "a number no entry has";
  EXPECT_EQ(view.lines[6].tag, "");
}

TEST(PageView, PlaqueLetters) {
  struct Case {
    std::string scheme;
    int last_used_slot;  // -1 for no PLU line
    int page;
    std::optional<std::string> letter;
  };
  const Case cases[] = {
      {"0", SlotOf(5, 3), 1, "H"}, {"0", SlotOf(5, 3), 5, "L"}, {"0", SlotOf(5, 3), 6, " "},
      {"0", SlotOf(5, 3), 7, ""},  {"0", -1, 1, " "},           {"0", -1, 2, ""},
      {"0", 288, 1, ""},           {"0", 288, 2, "A"},          {"0", 288, 13, ""},
      {"1", -1, 1, "D"},           {"1", -1, 9, "L"},           {"1", -1, 10, "A"},
      {"1", -1, 12, "C"},          {"1", -1, 13, ""},           {"1", -1, 14, ""},
      {"2", -1, 3, std::nullopt},  {"2", -1, 13, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scheme + " slot " + std::to_string(c.last_used_slot) + " page " + std::to_string(c.page));
    auto doc = Document();
    doc->PagesVersion = c.scheme;
    if (c.last_used_slot >= 0) doc->Botoes[c.last_used_slot] = 1;
    EXPECT_EQ(BuildPageView(*doc, c.page).plaque, c.letter);
  }
}

TEST(PageView, GroupPictureCellsStretchOverTheirGroup) {
  struct Case {
    int start;                 // line of the group title with the picture
    std::vector<int> covered;  // lines marked as covered by it
    int height_twips;
    std::string tag;
  };
  const Case cases[] = {
      {3, {4, 5}, 360 * 3 + 375, "27.52"},  // through the first line after the group
      {22, {23}, 360 + 375, "13.76"},       // the walk stops at the page's last line
      {23, {}, 375, "6.88"},                // a group on the last line covers its own line only
      {10, {}, 360 + 375, "13.76"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    auto doc = Document();
    const int page = 14;  // the last line of page 14 borders the spare slot
    doc->LineLayout[SlotOf(page, c.start)].TitleMark = kTitleMarkStart;
    doc->LineLayout[SlotOf(page, c.start)].TitlePicture = "group.png";
    doc->LineLayout[SlotOf(page, c.start)].TitleText = "Desserts";
    doc->LineLayout[kLineSlots - 1].TitleMark = kTitleMarkPictureCovered;
    for (int k : c.covered) doc->LineLayout[SlotOf(page, k)].TitleMark = kTitleMarkPictureCovered;
    PageView view = BuildPageView(*doc, page, Existing({"/menus/group.png"}));
    const LineView& cell = view.lines[c.start];
    EXPECT_EQ(cell.cell_height_twips, c.height_twips);
    EXPECT_EQ(cell.cell_tag, c.tag);
    EXPECT_TRUE(cell.cell_visible);
    EXPECT_EQ(cell.cell_picture, "/menus/group.png");
    EXPECT_EQ(cell.title_text, "Desserts");
    for (int k : c.covered) EXPECT_FALSE(view.lines[k].cell_visible) << k;
  }
}

TEST(PageView, GroupWithoutPictureKeepsItsCell) {
  auto doc = Document();
  doc->LineLayout[2].TitleMark = kTitleMarkStart;
  doc->LineLayout[2].TitlePicture = "  ";
  doc->LineLayout[2].TitleText = "  ";
  doc->LineLayout[3].TitleMark = kTitleMarkPictureCovered;
  PageView view = BuildPageView(*doc, 1);
  EXPECT_EQ(view.lines[2].cell_height_twips, kCellHeightTwips);
  EXPECT_EQ(view.lines[2].cell_tag, "0");
  EXPECT_EQ(view.lines[2].title_text, "") << "a blank title shows nothing";
  EXPECT_FALSE(view.lines[3].cell_visible);
}

TEST(PageView, PictureLoadingRule) {
  struct Case {
    std::string stored;
    std::set<std::string> existing;
    std::string shown;
    std::string stored_after;
  };
  const Case cases[] = {
      {"back.png", {"/menus/back.png"}, "/menus/back.png", "back.png"},
      {"pics\\back.png", {"/menus/pics/back.png"}, "/menus/pics/back.png", "pics\\back.png"},
      {"/elsewhere/back.png", {"/elsewhere/back.png"}, "/elsewhere/back.png", "/elsewhere/back.png"},
      // Found elsewhere than named: stored as found, relative below the project folder.
      {"/menus/pics/back.png", {"/menus/pics/back.png"}, "/menus/pics/back.png", "pics/back.png"},
      {"C:\\old place\\back.png", {"/menus/back.png"}, "/menus/back.png", "back.png"},
      {"/old/menu/pics/back.png",
       {"/menus/pics/back.png", "/menus/back.png"},
       "/menus/pics/back.png",
       "pics/back.png"},
      {"pics/back.png", {"/menus/back.png"}, "/menus/back.png", "back.png"},
      // Found nowhere: the path stays, so the picture shows again once it is back.
      {"back.png", {}, "", "back.png"},
      {"/gone/back.png", {}, "", "/gone/back.png"},
      {"pics/back.png", {}, "", "pics/back.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    auto doc = Document();
    doc->PagePictureA[2] = c.stored;
    PageView view = BuildPageView(*doc, 2, Existing(c.existing));
    EXPECT_EQ(view.front.picture, c.shown);
    EXPECT_EQ(doc->PagePictureA[2], c.stored_after);
    EXPECT_EQ(view.back.picture, "");
  }
}

TEST(PageView, ReadableFilesAreShownByDefault) {
  test::TempFolder folder;
  test::WriteFile(folder / "front.png", "not really a picture");
  auto doc = Document();
  doc->ProjectFolder = folder.Path() + "/";
  doc->PagePictureA[1] = "front.png";
  doc->PagePictureB[1] = "missing.png";
  PageView view = BuildPageView(*doc, 1);
  EXPECT_EQ(view.front.picture, folder / "front.png");
  EXPECT_EQ(view.back.picture, "");
}

TEST(PageView, FullMenuPage) {
  auto doc = test::FullMenu();
  PageView view = BuildPageView(*doc, 2, Existing({}));
  EXPECT_EQ(view.lines[1].text, "Dish 26, with sauce");
  EXPECT_EQ(view.lines[1].tag, "25");
  EXPECT_EQ(view.lines[0].text, "Title 24");
  EXPECT_EQ(view.lines[0].title_text, "Group 24");
  EXPECT_EQ(view.lines[0].cell_tag, "61.92") << "the group covers lines 1..7, the cell runs through line 8";
  EXPECT_EQ(view.lines[7].text, "Note 31");
  EXPECT_EQ(view.front.back_color, 2000);
  EXPECT_EQ(view.font_name, "Arial");
}

}  // namespace
}  // namespace tabulo
