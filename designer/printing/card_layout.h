#pragma once
// The printed menu cards: each page's front (page A) and back (page B) drawn in the positions of the
// pre-printed card stock, from the page view, onto a canvas in millimetres. The print job around the pages
// (which pages, when a new sheet starts) is here too, so the dialog and the command line print alike.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/pages/page_view.h"
#include "designer/printing/card_canvas.h"
#include "designer/printing/print_options.h"

namespace tabulo {

inline constexpr double kLinePitch = 6.88;  // millimetres from one line to the next (not 7)
inline constexpr int kPrintedPages = 13;    // "all pages" prints pages 1..13; page 14 only as the current one

struct PrintSettings {
  PrintOption option = PrintOption::kCurrentPage;
  PrintLanguages languages;
  // The main window shows the page-design view (its backs): only then does the current page or "all pages"
  // print the backs too.
  bool backs_shown = true;
};

struct PrintSummary {
  int sheets = 0;  // sheets with anything on them; 0 when nothing was printed
  // Pictures that could not be found or read, once each ("Picture not found: D:\\Fotos\\Wide.PNG"); the
  // job goes on without them.
  std::vector<std::string> warnings;
};

// The whole print job: the current page, or pages 1..13 with a new sheet after each page that used one.
// Sheets are started only when something is drawn on them, so the job never ends on a blank sheet.
PrintSummary PrintCards(MenuDocument& doc, int current_page, const PrintSettings& settings,
                        CardCanvas& canvas);

// One sheet to hold against a terminal: millimetre rulers from the origin of the card positions, the card's
// outline, the outline of every line's key and the text and price columns, all at the current margins.
void PrintCalibrationSheet(const MenuDocument& doc, CardCanvas& canvas);

// The front lines of the pages a job prints that have a text of the designer's but none in the primary print
// language, so they will not print: "Page 2, line 5: Sopa do dia". Empty when printing the designer's texts.
std::vector<std::string> LinesWithoutLanguage(MenuDocument& doc, int current_page,
                                              const PrintSettings& settings);

// One page, its front and/or back as the option says; a new sheet between the two when both are printed.
// Returns true when a header was printed on the last side handled, i.e. that side used a sheet.
// Pictures that are missing or unreadable are added to `warnings` when it is given.
bool PrintPage(MenuDocument& doc, int page, const PrintSettings& settings, CardCanvas& canvas,
               std::vector<std::string>* warnings = nullptr);

// Texts of a line (1..24) in the print languages: `which` 1 the primary, 2 the secondary ("" without one).
std::string FrontLineText(const MenuDocument& doc, const PageView& view, int line, int which,
                          const PrintLanguages& languages);
std::string BackLineText(const MenuDocument& doc, const PageView& view, int line,
                         const PrintLanguages& languages);

// A price as printed: as entered (trimmed) when it holds the currency symbol; otherwise, when it is a number
// above 0, whole with the symbol added (after it for "€", before any other); "" when nothing is printed.
std::string PrintedPrice(const std::string& price, const std::string& currency);

// A text shortened until `fits` it: characters move from its end to the front of the cut-off part up to a
// space, then it is measured again. Returns the kept text and the cut-off part (with its leading space).
template <class Fits>
std::pair<std::string, std::string> ShortenText(const std::string& text, Fits fits);

// The plaque letter printed in the header of a side; `front` false for the back, which carries the letter
// of the previous page's front when the pages are lettered from the last used page.
std::string PrintedPlaque(const MenuDocument& doc, const PageView& view, bool front);

// ---- Implementation of the template ----

namespace detail {
size_t LastCharacterStart(const std::string& text);  // of a UTF-8 text; 0 for ""
}

template <class Fits>
std::pair<std::string, std::string> ShortenText(const std::string& text, Fits fits) {
  std::string kept = text;
  std::string cut;
  while (!kept.empty() && !fits(kept)) {
    const size_t space = kept.rfind(' ');
    if (space == std::string::npos) {
      // A word with no space left to cut at is cut at the last character that fits, so it keeps as much
      // as the room allows instead of vanishing.
      while (!kept.empty() && !fits(kept)) {
        const size_t last = detail::LastCharacterStart(kept);
        cut.insert(0, kept, last);
        kept.erase(last);
      }
      break;
    }
    cut.insert(0, kept, space);
    kept.erase(space);
  }
  return {kept, cut};
}

}  // namespace tabulo
