#pragma once
// What was translated before, so a text is translated once: the per-user memory file that every accepted
// translation adds to, and the menu's own texts that already hold a translation of the same source text.
// Corrections typed by hand are kept apart and win over everything the service said.

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "designer/document/menu_document.h"

namespace tabulo {

enum class MemoryOrigin { kService, kHand };

// The memory file: one line an entry, "s" or "h" (service or hand), the two language codes, the source text
// and its translation, separated by tabs, with backslash, tab, CR and LF escaped. Lines are only ever
// appended, each in one write, so two programs adding at once do not tear each other's lines, and a later
// entry replaces an earlier one of the same origin. The file is read again when it changed.
class TranslationMemory {
 public:
  explicit TranslationMemory(std::string path) : path_(std::move(path)) {}

  // The translation remembered for `text`; a hand correction before a service translation.
  std::optional<std::string> Find(const std::string& source_code, const std::string& target_code,
                                  const std::string& text, std::optional<MemoryOrigin> only = std::nullopt);
  // Adds an accepted translation (nothing when the same one is known already). "" or why it was not kept.
  std::string Remember(const std::string& source_code, const std::string& target_code,
                       const std::string& text, const std::string& translation, MemoryOrigin origin);

  const std::string& Path() const { return path_; }

 private:
  using Key = std::tuple<std::string, std::string, std::string>;
  void Refresh();

  std::string path_;
  long long loaded_size_ = -1;
  long long loaded_mtime_ = 0;
  std::map<Key, std::string> service_;
  std::map<Key, std::string> hand_;
};

// "translation-memory.txt" in the maker folder.
std::string DefaultMemoryPath();

// ---- The menu's texts ----

// The texts of every PLU (by number, 1..9999), title and note line and group title that has a main text, in
// every language column, read once: a PLU's main text is found in the catalogue, which is slow one by one.
class MenuTexts {
 public:
  explicit MenuTexts(const MenuDocument& doc);
  // The language rows, PLUs first.
  const std::vector<int>& Rows() const { return rows_; }
  // Column `column` (1..5) of a row as the menu shows it: column 1 is the main text (a PLU's description, a
  // line's text, a group title), the others the row's translations.
  std::string Text(int row, int column) const;

 private:
  const MenuDocument& doc_;
  std::vector<int> rows_;
  std::map<int, std::string> main_;
};

// A translation of `text` the menu holds already: the first row whose `from` column is `text` and whose
// `to` column is not empty.
std::optional<std::string> MenuTranslation(const MenuDocument& doc, int from, int to,
                                           const std::string& text);

// Where a recalled translation came from.
struct Recalled {
  std::string text;
  bool from_hand = false;
};

// The translation of `text` from column `from` (language `from_name`) into column `to` (`to_name`) without
// asking a service: a hand correction in `memory`, else the menu's own, else one the service gave before.
// `use_menu` false leaves the menu's own texts out. Names no language code belongs to skip the memory.
std::optional<Recalled> Recall(const MenuDocument& doc, TranslationMemory* memory, int from, int to,
                               const std::string& from_name, const std::string& to_name,
                               const std::string& text, bool use_menu = true);

// Keeps an accepted translation between two menu language names in `memory` (nothing for names no code
// belongs to, or without a memory).
void RememberTranslation(TranslationMemory* memory, const std::string& from_name, const std::string& to_name,
                         const std::string& text, const std::string& translation, MemoryOrigin origin);

}  // namespace tabulo
