#pragma once
// The rules of the line editor ("Edit Line"): what loading, typing, the colour buttons, the translation
// buttons and closing do to the document. The dialog keeps no state beyond its controls, so every operation
// takes the control values it needs and the current page, and computes the line slot from that page and
// `CurrentLine` at the moment it writes: paging on the main window, or opening another line while the
// dialog is open, sends the later writes to that line. The language area is shared with the group title
// dialog.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/translate/translator.h"

namespace tabulo {

inline constexpr const char* kNoLanguageRowMessage =
    "The texts of a PLU are kept in the languages only when \"Plu Number\" is a whole number from 1 to "
    "9999; these texts were not stored.";
inline constexpr const char* kPluKeepsNumberMessage =
    "\"Plu Number\" must be a whole number above 0: the PLU keeps its number.";
inline constexpr const char* kPluNotCreatedMessage =
    "\"Plu Number\" must be a whole number above 0: no PLU was created.";

// ---- The language area (`Frame4`) ----

// The names each `Lingua` box offers.
inline constexpr std::array<const char*, 7> kLanguageChoices = {"English", "Portugues", "Espanol", "Italiano",
                                                                "Frances", "Deutsch",   "Note!"};

struct LanguageRows {
  std::array<std::string, kLanguages> names;  // `Lingua`(i)
  std::array<std::string, kLanguages> texts;  // `Text3`(i)
};

// The row "Auto" translates row `target` from: the first other row named exactly "English" with a text, else
// the first other row with a text; nothing when every other row is empty.
std::optional<int> SourceRow(const LanguageRows& rows, int target);

struct RowTranslation {
  std::string text;     // what `Text3`(row) shows afterwards
  std::string message;  // what to tell the user; "" for nothing
};

// "Auto" on row `row` through the service. Without a source row the row ends empty. A failed translation
// never becomes the row's text: the row keeps what it had and the message says why. "Translate All" is
// "Auto" on rows 1..4 in order, each result shown before the next, so a later row may take an earlier
// result as its source; row 0 is never translated.
RowTranslation TranslateRow(const LanguageRows& rows, int row, TextTranslator& translator);

// `Lingua_Change` / `Lingua_Click`: a language name belongs to the whole menu.
void StoreLanguageName(MenuDocument& doc, int row, const std::string& name);

// ---- The line editor ----

enum class LineOption { kNone, kPluCode, kTitle, kNote };

// What the main window's grid shows on the edited line.
struct PageLine {
  std::string text;  // `Linhas`(k) text
  std::string tag;   // catalogue index of the PLU shown, "" for none
};

// The number in "Plu Number" when it is a whole number above 0.
std::optional<int32_t> PluNumberOf(const std::string& text);
// The language row of a PLU: its number, when that is within 1..9999.
std::optional<int> LanguageRowOfPlu(int32_t number);

// The catalogue entry the editor edits: the PLU on the line, or the catalogue PLU handed over; nothing for a
// line without a PLU.
std::optional<int> EditedPlu(const MenuDocument& doc, const PageLine& line);
// The catalogue entry other than `edited` that already has the number typed in "Plu Number"; a PLU number
// names one dish, so such a number is refused.
std::optional<int> PluNumberTakenBy(const MenuDocument& doc, const std::string& text1,
                                    std::optional<int> edited);
// What the user is told when "Plu Number" names another dish.
std::string PluNumberInUseMessage(const MenuDocument& doc, int taken_by, bool creating);

// The double click on a catalogue row: the hand-over for the line editor opened from the catalogue.
void HandOverCatalogueRow(MenuDocument& doc, int row, int32_t plu_number);

// What `Form_Load` puts into the controls.
struct LineEditorLoad {
  std::string text1;  // "Plu Number"
  std::string text2;  // "Price"
  LineOption option = LineOption::kNone;
  std::optional<int32_t> back_color;  // `Command1`; nothing keeps the button's own colour
  std::optional<int32_t> fore_color;  // `Command2`
  bool colours_enabled = false;
  LanguageRows languages;
};

// Loads the dialog for `CurrentLine` of `page` (or the catalogue PLU handed over); a title or note line
// makes `EditPluNumber` its language row.
LineEditorLoad LoadLineEditor(MenuDocument& doc, int page, const PageLine& line);

// A click on an option: the option that ends up selected. A PLU opened from the catalogue can only be one.
LineOption ChooseLineOption(const MenuDocument& doc, LineOption wanted);

struct LineTextStore {
  bool stored = false;                 // the text went into a language row
  bool no_language_row = false;        // a PLU whose number has no language row: nothing stored
  std::optional<int32_t> renamed_plu;  // the PLU renamed live: the catalogue and modifier lists follow
};

// `Text3_Change`(row): the text into the language row of the title or note line, or of the PLU numbered by
// `text1`; row 0 of a PLU renames it as typing on the grid does.
LineTextStore StoreLineText(MenuDocument& doc, int page, LineOption option, const std::string& text1, int row,
                            const std::string& text);

// The colour a colour button starts the picker at when the line has no colour of its own: the one the page
// shows it in.
int32_t ShownLineColour(const MenuDocument& doc, int page, bool back);
// `Command1_Click` / `Command2_Click`: the chosen colour of the line, stored at once.
void StoreLineColour(MenuDocument& doc, int page, bool back, int32_t colour);

// The controls closing reads.
struct LineEditorFields {
  LineOption option = LineOption::kNone;
  std::string text1;
  std::string text2;
  LanguageRows languages;
};

// `Form_Unload`: the kind, number and price committed for the line now current (or the catalogue PLU).
// Returns what to tell the user.
std::vector<std::string> CloseLineEditor(MenuDocument& doc, int page, const LineEditorFields& fields,
                                         const PageLine& line);

}  // namespace tabulo
