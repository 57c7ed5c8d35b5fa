#include "firmloader/xml_scanner.h"

#include <utility>

#include "base/files.h"
#include "base/text_codec.h"

namespace tabulo {
namespace {

// Blanks and line breaks: a catalogue written by hand puts its values on lines of their own.
std::string_view TrimValue(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// The bytes as UTF-8 text. A byte-order mark is no promise: what is not valid UTF-8 after it is read as
// Windows-1252, so no invalid text ever reaches the list or a device.
std::string CatalogueText(const std::string& bytes) {
  std::string_view text = bytes;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (IsValidUtf8(text)) return std::string(text);
  return DecodeWindows1252(text);
}

// The text without "<?...?>", "<!--...-->" and "<!...>": a commented-out program is no program, and a
// declaration before the first element is no key.
std::string WithoutDeclarationsAndComments(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  for (;;) {
    size_t open = text.find("<", at);
    while (open != std::string::npos && open + 1 < text.size() && text[open + 1] != '?' &&
           text[open + 1] != '!') {
      open = text.find("<", open + 1);
    }
    if (open == std::string::npos || open + 1 >= text.size()) break;
    out.append(text, at, open - at);
    std::string_view end = text.compare(open, 4, "<!--") == 0 ? "-->" : text[open + 1] == '?' ? "?>" : ">";
    size_t close = text.find(end, open + 2);
    if (close == std::string::npos) return out;  // unclosed: the rest is part of it
    at = close + end.size();
  }
  out.append(text, at, std::string::npos);
  return out;
}

}  // namespace

std::string XmlValue(std::string_view text, std::string_view path) {
  std::string_view value = text;
  size_t start = 0;
  for (;;) {
    size_t end = path.find('\\', start);
    std::string_view name = path.substr(start, end == std::string_view::npos ? path.npos : end - start);
    if (name.empty()) return {};
    std::string open = "<" + std::string(name) + ">";
    std::string close = "</" + std::string(name) + ">";
    size_t open_at = value.find(open);
    if (open_at == std::string_view::npos) return {};
    size_t inner = open_at + open.size();
    // The closing tag is looked for after the opening one: a stray closing tag before it would otherwise
    // give a negative length.
    size_t close_at = value.find(close, inner);
    if (close_at == std::string_view::npos) return {};
    value = TrimValue(value.substr(inner, close_at - inner));
    if (end == std::string_view::npos) return std::string(value);
    start = end + 1;
  }
}

bool XmlScanner::Load(const std::string& path) {
  std::string bytes;
  bool ok = ReadWholeFile(path, bytes);
  SetText(ok ? std::move(bytes) : std::string());
  return ok;
}

void XmlScanner::SetText(std::string text) {
  text_ = WithoutDeclarationsAndComments(CatalogueText(std::move(text)));
  current_.clear();
  position_ = 0;
  has_current_ = false;
}

std::string XmlScanner::TagFrom(size_t from, size_t& at) const {
  at = text_.find('<', from);
  if (at == std::string::npos) return {};
  size_t end = text_.find('>', at + 1);
  if (end == std::string::npos) return {};
  return text_.substr(at + 1, end - at - 1);
}

std::string XmlScanner::XmlFirstElement() {
  size_t at = 0;
  current_ = TagFrom(0, at);
  has_current_ = !current_.empty();
  position_ = has_current_ ? at : 0;
  return current_;
}

std::string XmlScanner::XmlNextElement() {
  if (!has_current_) return {};
  // The closing tag is looked for from the current element on, not from the start of the text: with a key
  // that appears twice the walk would otherwise go back to the first copy and never end. Each step moves
  // strictly forward, so any text ends the walk.
  size_t close_at = text_.find("</" + current_ + ">", position_);
  size_t at = 0;
  std::string next;
  if (close_at != std::string::npos) next = TagFrom(close_at + current_.size() + 3, at);
  if (next.empty()) {
    current_.clear();
    position_ = 0;
    has_current_ = false;
    return {};
  }
  current_ = next;
  position_ = at;
  return current_;
}

}  // namespace tabulo
