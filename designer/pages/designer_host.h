#pragma once
// What the designer's secondary windows need of the main window: the document and the questions to the
// user, the page shown and what its lines show, the redraws, the undo history, the autosave hold and the
// status bar. The windows hold no page or line of their own; they ask at the moment they write. Free of Qt
// and of the main window's widgets, so a window never reaches into another one and a test can stand in.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/history/undo_history.h"
#include "platform/user_prompts.h"

namespace tabulo {

class DesignerHost {
 public:
  virtual ~DesignerHost() = default;

  virtual MenuDocument& Document() = 0;
  virtual UserPrompts& Prompts() = 0;
  // A window that changes the document makes its change one step with `UndoStep step(host.History(), ...)`
  // or, for what the user types over time, calls ChangeDone afterwards.
  virtual UndoHistory& History() = 0;
  // The document changed outside a step: the changes become a step (named `name`, else after what the user
  // last opened or typed on), and the Edit menu and the title say so.
  virtual void ChangeDone(const std::string& name = {}) = 0;

  // The caption of `Page`.
  virtual int CurrentPage() const = 0;
  // The page-design view is shown (group titles and the back side), not the modifier panel.
  virtual bool BacksShown() const = 0;
  // What line `line` of the page shows (typed text included) and its `Tag`: the catalogue index, "" for no
  // PLU.
  virtual std::string LineText(int line) const = 0;
  virtual std::string LineTag(int line) const = 0;
  // The text typed on the line being edited committed, as leaving the line does.
  virtual void CommitEditedLine() = 0;

  // `Update_Page`: the current page drawn again from the document.
  virtual void Update_Page() = 0;
  // `Refresh_Page`: the lists and the page drawn again (after the catalogue or modifiers changed).
  virtual void Refresh_Page() = 0;
  // Selects a row of `Lista_plus` (-1 for none).
  virtual void SelectListRow(int row) = 0;
  // The lists follow a PLU renamed while it is typed.
  virtual void PluRenamed(int32_t plu, const std::string& text) = 0;
  // The fonts lines can be printed in; nothing when no printer names its own (the system's fonts then).
  virtual std::optional<std::vector<std::string>> PrinterFonts() const { return std::nullopt; }

  // The autosave is held while a window must not see the work copy change under it (a menu transfer).
  virtual void StopAutosave() = 0;
  virtual void StartAutosave() = 0;
  // A failure the user must see whatever window they look at, and the outcome of the last send.
  virtual void ShowFailure(const std::string& message) = 0;
  virtual void ShowSendResult(const std::string& message) = 0;
};

}  // namespace tabulo
