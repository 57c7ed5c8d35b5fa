#pragma once
// What an import read and what it tells the user. Entries are staged apart from the document, which an
// import replaces only after the whole file was read and checked: a bad file never costs the user the menu
// they had.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/storage/catalogue_line.h"
#include "designer/storage/project_files.h"

namespace tabulo {

// Reasons a line or row is not imported.
inline constexpr const char* kSkipFewerCsvFields = "fewer than three fields";
inline constexpr const char* kSkipFewerFields = "fewer than six comma-separated fields";
inline constexpr const char* kSkipCatalogueFull = "beyond the 10000 PLUs the catalogue holds";
inline constexpr const char* kSkipEmpty = "empty";
// A comma in any value but the last of an interchange line would move every field after it.
std::string SkipCommaIn(const std::string& column);

struct SkippedLine {
  enum class Unit { Line, Row };
  std::string file;  // file name as the user knows it, without its folder
  Unit unit = Unit::Line;
  int number = 0;  // 1-based line of a text file, or row of a sheet as the spreadsheet numbers it
  std::string reason;
  bool imported = false;  // a remark on a row imported all the same, not a skip
};

// Entries read from a text, which the catalogue keeps (behind a pointer, so that moving the catalogue keeps
// the entries' fields valid). Nothing is copied until the entries are stored.
struct StagedCatalogue {
  std::shared_ptr<const std::string> text;
  std::vector<CatalogueEntry> entries;
  std::vector<SkippedLine> skipped;
  // When a reader was asked for columns beyond the three of a catalogue: their values, one vector per entry
  // ("" where the file lacks the column), and the header cells that named no column read.
  std::vector<std::vector<std::string>> extras;
  std::vector<std::string> other_headers;
};

// Entries whose values are not pieces of one text (unquoted, normalised): kept in one text of their own.
class StagedBuilder {
 public:
  void Add(std::string_view number, std::string_view description, std::string_view price);
  size_t Count() const { return spans_.size(); }
  // The entries, with `skipped` handed on.
  StagedCatalogue Finish(std::vector<SkippedLine> skipped);

 private:
  std::string text_;
  std::vector<std::array<std::pair<size_t, size_t>, 3>> spans_;
};

// Stages the lines of a text file one by one: empty lines and lines beyond the catalogue's capacity are
// skipped (empty lines at the end silently); `read` fills the entry of any other line and gives nullptr, or
// gives why the line is skipped.
using LineReader = std::function<const char*(std::string_view line, CatalogueEntry& entry)>;
StagedCatalogue StageTextLines(std::string text, const std::string& file_name, const LineReader& read);

// Starts the new menu an import fills. The main window passes its New (which also empties the work
// folder); without one the document is reset alone.
using NewMenu = std::function<void(MenuDocument&)>;

struct ImportResult {
  bool ok = false;   // the document now holds the imported catalogue; false leaves it as it was
  int imported = 0;  // catalogue entries stored
  int families = 0;  // of them, back-office families
  int products = 0;  // and back-office products
  std::vector<SkippedLine> skipped;
  std::string message;  // what the designer shows when the import ends, and the command line prints
};

// Replaces the document by a new menu whose catalogue is `entries` (at most the catalogue's capacity).
void StoreCatalogue(MenuDocument& doc, const std::vector<CatalogueEntry>& entries, const NewMenu& new_menu);

// "3 PLUs imported, 2 lines skipped:" (and ", 1 remark" for rows imported all the same) and one line per
// file and reason naming the lines. `detail` follows
// the count when not empty (" (2 families, 1 product)").
std::string ImportedMessage(int imported, const std::string& detail, const std::vector<SkippedLine>& skipped);
// "2 rows skipped, 1 remark:" and the lines naming them; "" when there are none.
std::string SkippedReport(const std::vector<SkippedLine>& skipped);
// " 2 families with COMANDO 0 left out (fami.xls, rows 3, 5-6)." for the family rows the back office marks as
// not for the terminals (`rows` of sheet `file`); "" when there are none.
std::string LeftOutFamiliesText(const std::string& file, const std::vector<int>& rows);
// The message of an import that found nothing to import; the menu stays as it was.
std::string NothingImportedMessage(const std::string& file, const std::vector<SkippedLine>& skipped);
// The message of a file that cannot be read at all.
std::string CannotOpenMessage(const std::string& path);

}  // namespace tabulo
