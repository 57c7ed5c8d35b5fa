#pragma once
// The line editor window (`Form5`, "Edit Line"). One instance per main window, shown modeless; the rules are
// line_editor.h's, and the window only turns its controls' events into those calls. Every way of closing
// commits.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "designer/document/menu_document.h"
#include "designer/pages/designer_host.h"
#include "designer/pages/key_preview_window.h"
#include "designer/pages/language_frame.h"
#include "designer/pages/line_editor.h"
#include "designer/translate/translation_memory.h"
#include "platform/user_prompts.h"

namespace tabulo {

class LineEditorDialog : public KeyPreviewWindow {
  Q_OBJECT

 public:
  LineEditorDialog(DesignerHost& host, QWidget* owner);
  ~LineEditorDialog() override;

  // Reads the hand-over variables into the controls.
  void Form_Load();
  bool Loaded() const { return loaded_; }

  QRadioButton* Option1 = nullptr;  // "PLU Code"
  QRadioButton* Option2 = nullptr;  // "Title"
  QRadioButton* Option3 = nullptr;  // "Note"
  QGroupBox* Frame1 = nullptr;      // "PLU Code"
  QGroupBox* Frame2 = nullptr;      // "Group title"
  QGroupBox* Frame3 = nullptr;      // "PLU Note"
  QLineEdit* Text1 = nullptr;       // "Plu Number"
  QLineEdit* Text2 = nullptr;       // "Price"
  QLabel* Label1 = nullptr;         // previews
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QPushButton* Command1 = nullptr;  // back colour
  QPushButton* Command2 = nullptr;  // text colour
  QPushButton* Command3 = nullptr;  // "Close Window"
  LanguageFrame Languages;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Form_Unload();
  void Option1_Click();
  void Option2_Click();
  void Option3_Click();
  void ShowOption(LineOption option);
  void Text3_Change(int i);
  void Command1_Click();
  void Command2_Click();
  void ShowColours();
  LineOption SelectedOption() const;
  PageLine CurrentPageLine() const;
  int Page() const;
  void Tell(const std::vector<std::string>& messages);

  MenuDocument& doc_;
  UserPrompts& prompts_;
  DesignerHost& host_;
  std::optional<int32_t> back_color_;  // `Command1`'s colour; nothing: the button's own
  std::optional<int32_t> fore_color_;
  bool loaded_ = false;
  bool loading_ = false;
  std::optional<std::string> warned_number_;  // the "Plu Number" already told to have no language row
};

// Shows the line editor held in `dialog`, creating it on first use as a tool window of `owner`. A window
// that is open already is only brought to the front: it keeps its controls, and its later writes go to the
// line handed over now.
LineEditorDialog* ShowLineEditor(QPointer<LineEditorDialog>& dialog, DesignerHost& host, QWidget* owner);

// Closes the line editor when it is open, committing to the line it was opened on; the main window calls it
// before that line could turn into another (a page change, another line opened).
void CloseOpenLineEditor(LineEditorDialog* dialog);

// A Windows RGB value painted as a button's or label's background (and a label's text colour).
void PaintButton(QPushButton* button, std::optional<int32_t> colour);
void PaintPreview(QLabel* label, std::optional<int32_t> back, std::optional<int32_t> fore);

}  // namespace tabulo
