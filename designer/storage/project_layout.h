#pragma once
// Names and sizes shared by the project writer and reader.

#include <string>

namespace tabulo {

inline constexpr const char* kPluDataFile = "_pludata.txt";
inline constexpr const char* kModifiersFile = "_modifiers.txt";
inline constexpr const char* kModifierDefinitionsFile = "_modifiers_definitions.txt";
inline constexpr const char* kBotoesFile = "_botoes.txt";
inline constexpr const char* kPrinterFile = "_printer.txt";
inline constexpr const char* kLayoutFile = "_Layout.txt";
inline constexpr const char* kLanguagesFile = "_Languages.txt";
inline constexpr const char* kPagesVersionFile = "_PagesVersion.txt";
// The journal of a save: present only while a save of the project is being completed.
inline constexpr const char* kJournalFile = ".journal";

inline std::string PageDescriptionFile(int page) {
  return "_Page_Description_" + std::to_string(page) + ".txt";
}
inline std::string PagePriceFile(int page) {
  return "_Page_Price_" + std::to_string(page) + ".txt";
}

// The layout file stores slots 0..312 only; the rest of page 14 is not kept.
inline constexpr int kLayoutSlots = 313;
inline constexpr int kLayoutFieldLines = 9;
inline constexpr int kPrinterLines = 69;

}  // namespace tabulo
