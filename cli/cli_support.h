#pragma once
// What every `tabulo` command shares: exit codes, errors on standard error, reading a project.

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/link/kestrel_api.h"
#include "designer/link/transfer_estimate.h"
#include "designer/storage/project_files.h"
#include "platform/user_prompts.h"

namespace tabulo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1;  // the command ran and found something to report
inline constexpr int kExitError = 2;     // bad usage, missing input, failed output

// A text from a project, a file, a translation reply, a firmware catalogue or a base station, as it may be
// written to a terminal: control characters (C0, DEL and C1) and bytes that are not UTF-8 are shown as
// "\xNN" (C1 characters as "\u0080".."\u009f"), so that no escape sequence in such a text reaches the
// terminal. With `keep_line_breaks` a "\n" stays a line break (messages of several lines).
std::string Shown(std::string_view text, bool keep_line_breaks = false);

// Prints "tabulo: MESSAGE" on standard error, MESSAGE shown safely, and returns kExitError.
int Fail(const std::string& message);

// A project read as the designer's Load reads it, or nothing (after an error) when the project file is
// missing.
struct LoadedProject {
  std::unique_ptr<MenuDocument> doc;
  ReadReport report;
};
bool LoadProjectFile(const std::string& path, LoadedProject& loaded);

// Options of the form --name or --name VALUE, and the positional arguments left.
class Options {
 public:
  Options(const std::vector<std::string>& args, const std::vector<std::string>& with_value);
  bool Has(const std::string& name) const;
  std::string Value(const std::string& name, const std::string& fallback = "") const;
  const std::vector<std::string>& Positional() const { return positional_; }
  const std::string& Error() const { return error_; }

 private:
  std::vector<std::pair<std::string, std::string>> named_;
  std::vector<std::string> positional_;
  std::string error_;
};

// Questions asked on a terminal: a message waits for Enter, a yes/no question takes "y" or "yes" for yes and
// "n" or "no" for no (asking again on anything else, a few times), an input box reads a line. At the end of
// the input every message goes on and every question is answered no or cancelled, and InputEnded() says so,
// so that a procedure driven by a script can give up instead of going round on "no". Input that never says
// yes or no is taken as its end. There are no file boxes or colour pickers on the command line: they are
// cancelled.
class TerminalPrompts : public UserPrompts {
 public:
  TerminalPrompts(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

  std::optional<std::string> OpenFileName(const std::string&, const std::string&) override { return {}; }
  std::optional<std::string> SaveFileName(const std::string&, const std::string&) override { return {}; }
  void Message(const std::string& text, const std::string& title = {}) override;
  bool YesNo(const std::string& text, const std::string& title = {}) override;
  std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                   const std::string& default_text) override;
  std::optional<int32_t> Colour(int32_t) override { return {}; }

  // No more answers can come.
  bool InputEnded() const { return ended_; }

 private:
  std::optional<std::string> Line();

  std::istream& in_;
  std::ostream& out_;
  bool ended_ = false;
};

// How far a transfer has come, on standard error rewritten in place, only when standard error is a terminal
// (a script's log gets no lines of progress). With `interrupt_stops`, an interrupt (Ctrl+C) while it lives
// stops the transfer before its end, so that the base keeps what it had.
class TerminalTransferProgress : public TransferProgress {
 public:
  explicit TerminalTransferProgress(bool interrupt_stops);
  ~TerminalTransferProgress() override;
  bool Transferred(long long done, long long total) override;
  bool Interrupted() const;

 private:
  bool on_terminal_;
  bool handles_interrupt_;
  bool shown_ = false;
  TransferEstimate estimate_;
  void (*previous_interrupt_)(int) = nullptr;
};

}  // namespace tabulo::cli
