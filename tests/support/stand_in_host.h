#pragma once
// The main window's side of the secondary windows, for testing a window alone: a page of 24 lines as the
// grid shows them, and a record of what the window asked the designer to do.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "designer/pages/designer_host.h"

namespace tabulo::test {

class StandInHost : public DesignerHost {
 public:
  StandInHost(MenuDocument& doc, UserPrompts& prompts) : doc_(doc), prompts_(prompts) {}

  MenuDocument& Document() override { return doc_; }
  UserPrompts& Prompts() override { return prompts_; }
  UndoHistory& History() override {
    if (!history_) history_ = std::make_unique<UndoHistory>(doc_);
    return *history_;
  }
  void ChangeDone(const std::string& name = {}) override { changes.push_back(name); }
  int CurrentPage() const override { return page; }
  bool BacksShown() const override { return backs_shown; }
  std::string LineText(int line) const override { return texts[line]; }
  std::string LineTag(int line) const override { return tags[line]; }
  void CommitEditedLine() override {}
  void Update_Page() override { ++updates; }
  void Refresh_Page() override { ++refreshes; }
  void SelectListRow(int row) override { selected_rows.push_back(row); }
  void PluRenamed(int32_t plu, const std::string& text) override {
    renames.push_back(std::to_string(plu) + "=" + text);
  }
  std::optional<std::vector<std::string>> PrinterFonts() const override { return printer_fonts; }
  void StopAutosave() override { autosave_held = true; }
  void StartAutosave() override { autosave_held = false; }
  void ShowFailure(const std::string& message) override { failures.push_back(message); }
  void ShowSendResult(const std::string& message) override { send_results.push_back(message); }

  int page = 1;
  bool backs_shown = true;
  std::array<std::string, kLinesPerPage> texts, tags;
  std::optional<std::vector<std::string>> printer_fonts;
  int updates = 0;
  int refreshes = 0;
  std::vector<std::string> changes;
  std::vector<int> selected_rows;
  std::vector<std::string> renames;
  bool autosave_held = false;
  std::vector<std::string> failures;
  std::vector<std::string> send_results;

 private:
  MenuDocument& doc_;
  UserPrompts& prompts_;
  std::unique_ptr<UndoHistory> history_;
};

}  // namespace tabulo::test
