#pragma once
// The undo history of one document. A step is recorded by comparing the document with a copy of it taken
// when the previous step ended (the "recorded" copy), so every operation of the core becomes undoable
// without knowing about the history: a window only marks where a step begins and ends and names it.
//
// A step keeps, for each table it changed, only the changed entries, and only the value the document does
// not hold at the moment: undo and redo both swap those values with the document's. Memory is therefore
// about one copy of what a step changed, plus the one recorded copy of the document.
//
// Use, around every command that may change the document:
//
//   {
//     UndoStep step(history, "Update Prices");  // changes made before it become a step of their own
//     RunTheCommand(doc);                        // any core operation, however many
//   }                                            // the changes become one step "Update Prices"
//
// Steps nest: only the outermost one is recorded, under its own name. Changes made outside any step (typing
// on a page line, a window that writes as the user types) are recorded when the next step begins, when the
// label changes (Label) or before an undo, as one step under the current label.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"

namespace tabulo {

inline constexpr int kMaxUndoSteps = 100;
// Steps, recorded copy and all: the oldest steps are dropped beyond it (the newest step is always kept).
inline constexpr std::size_t kUndoMemoryLimit = std::size_t{64} << 20;
// The name of changes made outside any step while no label was given.
inline constexpr const char* kUntrackedStepName = "Typing";

class UndoHistory {
 public:
  // Starts with no steps, the document as it is now being the oldest state.
  explicit UndoHistory(MenuDocument& doc, std::size_t memory_limit = kUndoMemoryLimit);
  ~UndoHistory();
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;

  // A step named `name` begins (changes not yet recorded become their own step) and ends (what changed
  // since its beginning becomes one step; nothing changed, no step).
  void BeginStep(const std::string& name);
  void EndStep();
  bool InStep() const { return depth_ > 0; }

  // The name under which changes made outside any step are recorded. A new label first records the
  // changes made under the old one, so typing on one line and then on another gives two steps.
  void Label(const std::string& name);
  // Changes not recorded yet become a step under `name` (the current label when ""); false when there were
  // none.
  bool RecordPending(const std::string& name = {});
  // Changes not recorded yet become part of the oldest state of the next undo instead of a step: for what
  // is not an edit (the redraw's own write-backs, the project's new name after a save).
  void Absorb();

  bool CanUndo() const { return !undo_.empty() || Pending(); }
  bool CanRedo() const { return !redo_.empty() && !Pending(); }
  // Names of the steps undo and redo would act on ("" when none).
  std::string UndoName() const;
  std::string RedoName() const;
  // The document back to before the newest step (changes not recorded yet are recorded first, so they are
  // what is undone), or forward again. False when there is nothing to do or a step is open.
  bool Undo();
  bool Redo();

  // Every step dropped; the document as it is now is the oldest state (and the saved one).
  void Clear();
  int UndoCount() const { return static_cast<int>(undo_.size()); }
  int RedoCount() const { return static_cast<int>(redo_.size()); }
  // Bytes held by the history: the recorded copy and every step.
  std::size_t MemoryBytes() const;

  // The document as it is now is what is on disk (after a save or a load); Modified says whether it has
  // changed since, undo and redo included: undoing back to the saved state is not modified.
  void MarkSaved();
  bool Modified() const;

  struct Step;

 private:
  bool Pending() const;
  uint64_t TopId() const;
  void Record(const std::string& name);
  void DropOldSteps();

  MenuDocument& doc_;
  std::unique_ptr<MenuDocument> recorded_;
  std::deque<std::unique_ptr<Step>> undo_;
  std::vector<std::unique_ptr<Step>> redo_;
  std::size_t memory_limit_;
  std::size_t steps_bytes_ = 0;
  std::size_t recorded_bytes_ = 0;
  int depth_ = 0;
  std::string open_name_;
  std::string label_ = kUntrackedStepName;
  // Each state the history can reach is named by the id of the step that led to it; the oldest state by
  // that of the last step dropped (0 at first). A saved state that was dropped is never reached again.
  uint64_t next_id_ = 1;
  uint64_t bottom_id_ = 0;
  uint64_t saved_id_ = 0;
};

// A step for the lifetime of a scope: BeginStep at construction, EndStep at destruction (also when the
// command leaves by an exception). The one way imports, updates and window commands make themselves one
// undo step.
class UndoStep {
 public:
  UndoStep(UndoHistory* history, const std::string& name) : history_(history) {
    if (history_) history_->BeginStep(name);
  }
  UndoStep(UndoHistory& history, const std::string& name) : UndoStep(&history, name) {}
  ~UndoStep() {
    if (history_) history_->EndStep();
  }
  UndoStep(const UndoStep&) = delete;
  UndoStep& operator=(const UndoStep&) = delete;

 private:
  UndoHistory* history_;
};

// Bytes a document holds in memory, strings' own buffers included.
std::size_t DocumentBytes(const MenuDocument& doc);

}  // namespace tabulo
