#pragma once
// The menu document: the whole menu the designer edits, as fixed-capacity tables addressed by integer
// indices. One value is owned by the program and handed by reference to every window and operation.

#include <cstdint>
#include <string>

#include "designer/document/checked_table.h"

namespace tabulo {

inline constexpr int kMaxPlus = 10000;                     // catalogue indices 0..9999
inline constexpr int kPages = 14;                          // page numbers 1..14
inline constexpr int kLinesPerPage = 24;                   // line index 0..23
inline constexpr int kPageSlots = kPages * kLinesPerPage;  // slots 0..335 are lines
inline constexpr int kLineSlots = kPageSlots + 1;          // entry 336 is a spare the page shift reads
inline constexpr int kPageEntries = kPages + 1;            // per-page tables, entry 0 unused
inline constexpr int kLanguages = 5;                       // language columns 1..5
inline constexpr int kLangCols = kLanguages + 1;
inline constexpr int kLangRows = 11337;
inline constexpr int kLangRowLineText = 10000;   // + slot: texts of title and note lines
inline constexpr int kLangRowTitleText = 11000;  // + slot: group title texts
inline constexpr int kMaxTranslatedPlu = 9999;   // PLU numbers with a translation row
inline constexpr int kMaxModifiers = 101;
inline constexpr int kMaxLevels = 11;
inline constexpr int kMaxModifierDefs = 101;
inline constexpr int kMaxMembers = 101;
inline constexpr int kStyleEntries = 4;  // styles 0..2, entry 3 unused

// Line kinds (`Kind`).
inline constexpr int32_t kKindUnset = 0;
inline constexpr int32_t kKindPlu = 1;
inline constexpr int32_t kKindTitle = 2;
inline constexpr int32_t kKindNote = 3;

// Colour styles.
inline constexpr int kStyleText = 0;
inline constexpr int kStyleTitle = 1;
inline constexpr int kStyleNote = 2;

// `TitleMark` values.
inline constexpr int32_t kTitleMarkStart = 4;
inline constexpr int32_t kTitleMarkPictureCovered = 5;

// Slot of line `line` (0..23) of page `page` (1..14).
constexpr int SlotOf(int page, int line) {
  return (page - 1) * kLinesPerPage + line;
}

struct LineLayoutRecord {
  std::string Text;  // text of a title or note line
  int32_t Kind = kKindUnset;
  std::string LineBackColor;  // "" = style default
  std::string LineForeColor;
  int32_t Reserved = 0;        // always 0; the layout file carries a line for it
  std::string TitleText;       // group title on the back side
  std::string TitleBackColor;  // "" = white
  std::string TitleForeColor;  // "" = black
  std::string TitlePicture;    // full path, or a bare name relative to ProjectFolder
  int32_t TitleMark = 0;

  bool operator==(const LineLayoutRecord&) const = default;
};

struct ModifierRecord {
  std::string Name;  // description of the PLU the modifier belongs to
  int32_t NumLevels = 0;
  CheckedTable<std::string, kMaxLevels> LevelName;  // definition offered at the level
  CheckedTable<int32_t, kMaxLevels> Obrigatorio;    // 1 = a choice is mandatory
  CheckedTable<int32_t, kMaxLevels> Minimo;
  CheckedTable<int32_t, kMaxLevels> Maximo;
  CheckedTable<int32_t, kMaxLevels> Default;  // bit i = member i chosen by default

  bool operator==(const ModifierRecord&) const = default;
};

struct ModifierDefRecord {
  std::string Name;
  CheckedTable<int32_t, kMaxMembers> PluCode;      // PLU numbers of the members
  CheckedTable<std::string, kMaxMembers> PluDesc;  // their descriptions when added
  int32_t Count = 0;

  bool operator==(const ModifierDefRecord&) const = default;
};

// Values through which the main window hands a selection to a dialog it opens.
struct HandOver {
  int32_t CurrentLine = 0;    // line index 0..23 of the line acted on
  bool EditFromPage = false;  // line editor opened from a page line (else from the catalogue list)
  int16_t EditListIndex = 0;  // list index in the catalogue list
  int32_t EditPluNumber = 0;  // PLU number, or 10000 + slot for a title or note line
  std::string EditPluPrice;
  std::string EditTitleText;
  int32_t BackgroundSide = 1;  // 1 = front side, 2 = back side

  bool operator==(const HandOver&) const = default;
};

struct MenuDocument {
  // PLU catalogue: parallel tables by catalogue index; entries 0..NumPlus-1 are in use.
  CheckedTable<std::string, kMaxPlus> PluNumber;  // "0" = deleted, "" = not in use
  CheckedTable<std::string, kMaxPlus> PluField2;
  CheckedTable<std::string, kMaxPlus> PluField3;
  CheckedTable<std::string, kMaxPlus> PluPrice;
  CheckedTable<std::string, kMaxPlus> PluDescription;
  int32_t NumPlus = 0;

  // Lines, by slot.
  CheckedTable<int32_t, kLineSlots> Botoes;  // PLU number shown on the line, 0 = none
  CheckedTable<LineLayoutRecord, kLineSlots> LineLayout;

  // Language table: row 0 names, 1..9999 PLU numbers, 10000 + slot line texts, 11000 + slot group titles.
  CheckedGrid<std::string, kLangRows, kLangCols> Lang;

  // Page backgrounds, by page number 1..14.
  CheckedTable<std::string, kPageEntries> PageColorA;
  CheckedTable<std::string, kPageEntries> PageColorB;
  CheckedTable<std::string, kPageEntries> PagePictureA;
  CheckedTable<std::string, kPageEntries> PagePictureB;

  // Display and print settings.
  float MarginXDescr = 47;
  float MarginXPrice = 165;
  float MarginY = 59;
  std::string Currency = "\u20ac";
  std::string FontName = "Arial";
  CheckedTable<std::string, kStyleEntries> StyleBackColor;
  CheckedTable<std::string, kStyleEntries> StyleForeColor;
  std::string DefaultPageColor = "15724527";
  int32_t PrintLines = 1;
  std::string PagesVersion = "0";  // "0" lettered from the last used page, "1" fixed lettering

  CheckedTable<ModifierRecord, kMaxModifiers> Modifiers;
  int32_t NumModifiers = 0;
  CheckedTable<ModifierDefRecord, kMaxModifierDefs> ModifierDefs;
  int32_t NumModifierDefs = 0;

  // Project location: every project file is ProjectBase + a suffix; ProjectFolder ends in a separator.
  std::string ProjectBase;
  std::string ProjectFolder;
  // The project file the menu was loaded from or last saved as, "" when it has none yet (Save then asks).
  // Unlike ProjectBase, which the work copy borrows, it names what the user works on.
  std::string ProjectPath;

  HandOver Hand;

  MenuDocument();

  bool operator==(const MenuDocument&) const = default;
};

// The default settings of a project that does not give its own.
void ApplyDefaultSettings(MenuDocument& doc);
inline const char* const kDefaultLanguageNames[kLanguages] = {"Portugues", "English", "Italiano", "Frances",
                                                              "Espanol"};
void ApplyDefaultLanguageNames(MenuDocument& doc);

// The document part of File > New: an empty menu with fixed lettering. Settings are kept.
void ResetDocument(MenuDocument& doc);

// `value` when it is not "", else `fallback`: a colour override resolved against its style default.
std::string GetColor(const std::string& value, const std::string& fallback);

// Page of the highest PLU line on pages 1..12 (13 when the only PLU line at or below slot 288 is slot 288);
// 0 when there is none. Lines of page 13 past its first and of page 14 never count.
int32_t LastUsedPage(const MenuDocument& doc);

}  // namespace tabulo
