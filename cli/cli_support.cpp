#include "cli/cli_support.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <filesystem>
#include <iostream>

#include "designer/document/numbers.h"

namespace tabulo::cli {

namespace {

volatile std::sig_atomic_t transfer_interrupted = 0;
void OnTransferInterrupt(int) {
  transfer_interrupted = 1;
}

}  // namespace

TerminalTransferProgress::TerminalTransferProgress(bool interrupt_stops)
    : on_terminal_(::isatty(STDERR_FILENO) == 1), handles_interrupt_(interrupt_stops) {
  transfer_interrupted = 0;
  if (handles_interrupt_) previous_interrupt_ = std::signal(SIGINT, OnTransferInterrupt);
}

TerminalTransferProgress::~TerminalTransferProgress() {
  if (handles_interrupt_) std::signal(SIGINT, previous_interrupt_ == SIG_ERR ? SIG_DFL : previous_interrupt_);
  if (shown_) std::cerr << std::endl;
}

bool TerminalTransferProgress::Interrupted() const {
  return transfer_interrupted != 0;
}

bool TerminalTransferProgress::Transferred(long long done, long long total) {
  if (on_terminal_) {
    estimate_.Update(done, total);
    // Spaces behind it wipe what a longer line before left.
    std::cerr << "\r" << estimate_.Text() << "          " << std::flush;
    shown_ = true;
  }
  return !Interrupted();
}

std::string Shown(std::string_view text, bool keep_line_breaks) {
  static constexpr char kHex[] = "0123456789abcdef";
  auto hex = [](unsigned char byte) { return std::string{'\\', 'x', kHex[byte >> 4], kHex[byte & 15]}; };
  std::string shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      const bool control = byte < 0x20 || byte == 0x7f;
      shown += control && !(keep_line_breaks && byte == '\n') ? hex(byte) : std::string(1, text[i]);
      ++i;
      continue;
    }
    // The length of a well-formed UTF-8 sequence starting here, 0 when it is not one.
    size_t length = byte >= 0xc2 && byte <= 0xdf   ? 2
                    : byte >= 0xe0 && byte <= 0xef ? 3
                    : byte >= 0xf0 && byte <= 0xf4 ? 4
                                                   : 0;
    if (length == 0 || i + length > text.size()) {
      shown += hex(byte);
      ++i;
      continue;
    }
    const auto second = static_cast<unsigned char>(text[i + 1]);
    bool valid = true;
    for (size_t k = 1; k < length; ++k)
      valid = valid && (static_cast<unsigned char>(text[i + k]) & 0xc0) == 0x80;
    // Overlong forms, surrogates and code points beyond U+10FFFF.
    if ((byte == 0xe0 && second < 0xa0) || (byte == 0xed && second >= 0xa0) ||
        (byte == 0xf0 && second < 0x90) || (byte == 0xf4 && second >= 0x90)) {
      valid = false;
    }
    if (!valid) {
      shown += hex(byte);
      ++i;
      continue;
    }
    if (byte == 0xc2 && second < 0xa0) {  // U+0080..U+009F: C1 controls, CSI among them
      shown += std::string("\\u00") + kHex[second >> 4] + kHex[second & 15];
    } else {
      shown.append(text.substr(i, length));
    }
    i += length;
  }
  return shown;
}

int Fail(const std::string& message) {
  std::cerr << "tabulo: " << Shown(message, true) << "\n";
  return kExitError;
}

bool LoadProjectFile(const std::string& path, LoadedProject& loaded) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    Fail("cannot open project " + path + ": no such file");
    return false;
  }
  loaded.doc = std::make_unique<MenuDocument>();
  loaded.report = LoadProject(*loaded.doc, path);
  return true;
}

Options::Options(const std::vector<std::string>& args, const std::vector<std::string>& with_value) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0 && !(arg.size() == 2 && arg[0] == '-' && arg[1] != '-')) {
      positional_.push_back(arg);
      continue;
    }
    if (std::find(with_value.begin(), with_value.end(), arg) != with_value.end()) {
      if (i + 1 >= args.size()) {
        error_ = arg + " needs a value";
        return;
      }
      named_.emplace_back(arg, args[++i]);
    } else {
      named_.emplace_back(arg, "");
    }
  }
}

bool Options::Has(const std::string& name) const {
  return std::any_of(named_.begin(), named_.end(), [&](const auto& entry) { return entry.first == name; });
}

std::string Options::Value(const std::string& name, const std::string& fallback) const {
  for (const auto& [key, value] : named_) {
    if (key == name) return value;
  }
  return fallback;
}

std::optional<std::string> TerminalPrompts::Line() {
  std::string line;
  if (ended_ || !std::getline(in_, line)) {
    ended_ = true;
    out_ << "\n";
    return std::nullopt;
  }
  return line;
}

void TerminalPrompts::Message(const std::string& text, const std::string& /*title*/) {
  out_ << Shown(text, true) << " [Enter] " << std::flush;
  Line();
}

bool TerminalPrompts::YesNo(const std::string& text, const std::string& /*title*/) {
  // Enough for a person who mistyped; a script that feeds something else for ever is not answering.
  constexpr int kMostTries = 5;
  for (int tries = 0; tries < kMostTries; ++tries) {
    out_ << Shown(text, true) << " [y/n] " << std::flush;
    std::optional<std::string> line = Line();
    if (!line) return false;
    std::string answer(Trim(*line));
    for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (answer == "y" || answer == "yes") return true;
    if (answer == "n" || answer == "no") return false;
  }
  ended_ = true;
  out_ << "\n";
  return false;
}

std::optional<std::string> TerminalPrompts::Input(const std::string& prompt, const std::string& /*title*/,
                                                  const std::string& default_text) {
  out_ << Shown(prompt, true) << (default_text.empty() ? "" : " [" + Shown(default_text) + "]") << " "
       << std::flush;
  std::optional<std::string> line = Line();
  if (line && line->empty()) return default_text;
  return line;
}

}  // namespace tabulo::cli
