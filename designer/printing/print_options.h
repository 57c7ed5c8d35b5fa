#pragma once
// The choices of a print run: which sides of which pages, in which languages, and the rules of the print
// dialog that edit them (the language boxes and the margin boxes).

#include <array>
#include <optional>
#include <string>

#include "designer/document/menu_document.h"

namespace tabulo {

// The four print options of the dialog, numbered as its option buttons.
enum class PrintOption { kCurrentPage = 1, kAllPages = 2, kAllFronts = 3, kAllBacks = 4 };

inline constexpr const char* kInsertPagesA = "Please insert pages type 'PAGE A' on the printer";
inline constexpr const char* kInsertPagesB = "Please insert pages type 'PAGE B' on the printer";

// The message to show before the option prints, or nothing.
std::optional<std::string> InsertPagesMessage(PrintOption option);

// Print languages as language indices 0..4 (column L + 1 of `Lang`; 0 is the designer's own texts).
struct PrintLanguages {
  int primary = 0;
  std::optional<int> secondary;
  int count = 1;  // checked boxes; 0 when none is checked

  bool operator==(const PrintLanguages&) const = default;
};

// The five language check boxes: checked state and bold font. The bold checked box is the primary language.
struct LanguageBoxes {
  std::array<bool, kLanguages> checked{};
  std::array<bool, kLanguages> bold{};

  // As the dialog opens: box 0 checked and bold.
  static LanguageBoxes Initial();
  bool operator==(const LanguageBoxes&) const = default;
};

// The rule of a click on box `k`, whose checked state has already changed: at most two boxes stay checked,
// the first one checked is bold, and a single checked box is always bold.
void ClickLanguageBox(LanguageBoxes& boxes, int k);

// The print languages the boxes select. With no box checked the designer's own texts are printed, as one
// language (count 0 tells the caller that nothing was checked).
PrintLanguages LanguagesOf(const LanguageBoxes& boxes);

// Print languages from numbers 1..5 as the command line gives them ("1" or "2,1"): the first is the primary.
// Nothing when the list is not one or two distinct numbers 1..5.
std::optional<PrintLanguages> ParsePrintLanguages(const std::string& list);

// A margin box edited: its number becomes the margin. Text that is not a number (an empty box while the
// user retypes, a stray letter) keeps the last valid value, so a half-typed margin never moves the print.
// Returns true when the margin changed.
bool SetMarginFromText(float& margin, const std::string& text);
// A margin as the box shows it ("47", "47.5").
std::string MarginText(float margin);

}  // namespace tabulo
