#pragma once
// The language area (`Frame4`) the line editor and the group title window share: a text in each of the
// menu's five languages, translated by the designer's service or from the translation memory.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/pages/line_editor.h"
#include "designer/translate/translation_memory.h"
#include "platform/user_prompts.h"

namespace tabulo {

// `Frame4`: five rows of a language name (`Lingua`), a text (`Text3`) and "Auto" (`Command4`), then
// "Translate All" and "Edit language names" (`Check1`). Control arrays share one object name and keep their
// index in the property "Index".
class LanguageFrame {
 public:
  LanguageFrame(QWidget* parent, const char* translate_all_name);

  QGroupBox* Frame4 = nullptr;
  std::array<QComboBox*, kLanguages> Lingua{};
  std::array<QLineEdit*, kLanguages> Text3{};
  std::array<QPushButton*, kLanguages> Command4{};
  QPushButton* TranslateAll = nullptr;
  QCheckBox* Check1 = nullptr;

  LanguageRows Rows() const;
  // `Check1_Click`: the names can be changed only while "Edit language names" is ticked.
  void LockNames();
  // The rows' handlers in `window`: a name edited is stored in `doc` (`Lingua_Change`), "Auto" translates
  // its row and "Translate All" every row (`Command4_Click`, and the "Translate All" button's), telling
  // `prompts` what failed, "Edit language names" unlocks the names, and every text edited goes to
  // `text_changed` with its row (`Text3_Change`).
  void Connect(QWidget* window, MenuDocument& doc, UserPrompts& prompts,
               std::function<void(int)> text_changed);
  // A translation is under way: the translation buttons wait for it.
  bool Translating() const { return static_cast<bool>(queue_); }
  // The rows typed by hand since they were last remembered go into the translation memory as corrections
  // (done as a row is left, and by the window as it closes).
  void KeepHandTranslations();

 private:
  struct Queue;
  // Translates `rows` one after the other: from the memory when it knows the text, else through the
  // designer's service on a worker thread while the window stays in use. A result is shown only when the
  // window still shows what was translated; otherwise the rest is dropped.
  void TranslateRows(std::vector<int> rows);
  void TranslateNext();
  void EndTranslation();
  void ShowTranslating(bool translating);
  void RememberHandTranslation(int row);

  QWidget* window_ = nullptr;
  MenuDocument* doc_ = nullptr;
  UserPrompts* prompts_ = nullptr;
  TranslationMemory memory_{DefaultMemoryPath()};
  std::shared_ptr<Queue> queue_;
  std::array<bool, kLanguages> typed_{};  // a text typed by hand since it was last remembered
};

}  // namespace tabulo
