#pragma once
// The text form of project files: Windows-1252 with CR LF line ends, as the original tool wrote them. Text
// that Windows-1252 cannot hold (Cyrillic, Greek, CJK translations) is written as UTF-8 behind a byte-order
// mark instead, so that nothing typed is ever lost; the reader honours the mark.

#include <string>
#include <string_view>
#include <vector>

namespace tabulo {

// UTF-8 text to Windows-1252 bytes; nothing when a character has no Windows-1252 byte.
bool EncodeWindows1252(std::string_view utf8, std::string& out);
// Windows-1252 bytes to UTF-8 (the five unassigned bytes map to the control characters of the same value).
std::string DecodeWindows1252(std::string_view bytes);

// The bytes of a file holding `utf8`: Windows-1252 when it can hold the text, else a byte-order mark and
// UTF-8.
std::string EncodeFileText(std::string_view utf8);
// The same, turning `text` into its bytes without a copy in the common case of plain ASCII.
void EncodeFileTextInPlace(std::string& text);
// The text of a file's bytes: UTF-8 behind a byte-order mark (invalid sequences become U+FFFD), else
// Windows-1252.
std::string DecodeFileText(std::string_view bytes);
// The same, turning `bytes` into their text without a copy when they are ASCII or valid UTF-8.
void DecodeFileTextInPlace(std::string& bytes);

// True when `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);
// Appends the UTF-8 form of one character.
void AppendUtf8(std::string& out, char32_t c);

// True when the text holds a CR or an LF.
bool HasLineBreak(std::string_view text);

// Lines ended by CR LF, LF or CR. A final line end does not start another line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Joins lines, each followed by CR LF. A line break inside a value is written as a space: the files hold
// one value per line, and a break would shift every value after it.
class LineWriter {
 public:
  void Line(std::string_view text) {
    size_t start = text_.size();
    text_.append(text);
    if (HasLineBreak(text)) {
      for (size_t i = start; i < text_.size(); ++i) {
        if (text_[i] == '\r' || text_[i] == '\n') text_[i] = ' ';
      }
    }
    text_.append("\r\n");
  }
  const std::string& Text() const { return text_; }
  std::string& Text() { return text_; }
  void Reserve(size_t bytes) { text_.reserve(bytes); }

 private:
  std::string text_;
};

}  // namespace tabulo
