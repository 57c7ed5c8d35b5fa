#pragma once
// Pages laid out from a menu spreadsheet in one step: one row per dish in menu order (PLUCODE, DESCRIPTION,
// PRICE, optionally CATEGORY and one column per language of the menu, named as the menu names it). The
// catalogue is brought up to date as "Update prices and names..." does (PLUs matched by number), then each
// category becomes a title line followed by its dishes, page after page. A plan says where everything lands
// before anything changes; applying it changes the document all at once or not at all.

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/import/catalogue_update.h"

namespace tabulo {

inline constexpr const char* kCategoryHeader = "CATEGORY";
inline constexpr const char* kLayOutPagesCaption = "Lay out pages from a spreadsheet...";
inline constexpr const char* kLayOutPagesStepName = "Lay out pages";

// The last page the project files keep whole, and the lines of the page after it that they keep.
inline constexpr int kLastWholePage = 13;
inline constexpr int kKeptLinesOfLastPage = 1;

struct PageFillOptions {
  int start_page = 0;    // 1..14; 0 for the first page with nothing on it (page 1 with `replace`)
  bool replace = false;  // pages in use from the start page on are emptied and laid out again
};

// A category as it lands: a run of rows of the file under one title.
struct FilledCategory {
  std::string name;  // "" for dishes before the first category: they get no title
  int dishes = 0;
  int first_page = 0;  // pages it lands on; beyond those that are kept when it does not fit
  int last_page = 0;
  bool fits = true;
};

struct FilledLine {
  int slot = 0;
  int category = 0;  // index into `categories`
  int dish = -1;     // index into `dishes`; -1 for the category's title line
};

struct FilledDish {
  int number = 0;
  std::array<std::string, kLanguages> texts;  // by language column 1..5; "" leaves the text as it is
};

struct TitleStyle {
  std::string back, fore;  // colour overrides of the title line; "" for the style's default
};

struct PageFillPlan {
  bool ok = false;    // the plan can be applied
  std::string error;  // why not (the rest of the plan says as much as was found); nothing changes
  std::string file;
  UpdatePlan catalogue;  // the catalogue's update by PLU number
  std::vector<FilledDish> dishes;
  std::vector<FilledCategory> categories;
  std::vector<FilledLine> lines;                      // every line laid out, in page order
  std::vector<int> pages;                             // pages that get lines, ascending
  std::vector<int> emptied;                           // pages in use emptied first (with `replace`)
  std::array<TitleStyle, kPageEntries> title_styles;  // by page
  int lines_needed = 0;     // lines from the first laid out to the last, page ends left free included
  int lines_available = 0;  // lines of the pages the layout may use
  std::vector<std::string> ignored_columns;  // header cells naming no column read
  // Dishes laid out that also stay on a page kept: the terminals know a PLU by its first line only.
  std::vector<std::pair<int, int>> also_on_kept_pages;  // PLU number, page
};

// True when a page holds a PLU, a title or a note on any line.
bool PageInUse(const MenuDocument& doc, int page);

// Where the file's dishes would land. Nothing is changed.
PageFillPlan PlanPageFill(const MenuDocument& doc, const std::string& path, const PageFillOptions& options);

// Page by page, the categories placed ("Page 3: Starters (8), Soups (12)"), what does not fit, the columns
// not read, the catalogue's changes counted and the rows skipped with why.
std::string DescribePageFill(const PageFillPlan& plan);
// "300 dishes in 20 categories laid out on 14 pages (1 to 14)."
std::string PageFillSummary(const PageFillPlan& plan);

// Applies a plan made for this document: all of it, or nothing with the reason in `error`.
bool ApplyPageFill(MenuDocument& doc, const PageFillPlan& plan, std::string& error);

}  // namespace tabulo
