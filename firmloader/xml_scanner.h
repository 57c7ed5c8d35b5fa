#pragma once
// The reader of the program catalogue "Conf.xml": a small text scanner, not an XML parser. The catalogue is
// a flat run of elements with no root; each element's tag is a program key and its children hold the
// program's values. The scanner finds tags by plain text search, so it reads whatever the download server
// sends without ever failing, and a malformed catalogue gives empty values or a short list. An XML
// declaration, comments and a document type, which editors and servers add, are passed over.

#include <cstddef>
#include <string>
#include <string_view>

namespace tabulo {

// The value at `path` in `text`: the path is tag names separated by "\". For each name the text between the
// first "<name>" and the first "</name>" after it is taken, trimmed, and searched for the next name; a
// missing tag (or an empty name) makes the value "".
std::string XmlValue(std::string_view text, std::string_view path);

// Walks the top-level elements of a catalogue, first to last.
class XmlScanner {
 public:
  // Loads a whole file; false (and an empty text) when it cannot be read.
  bool Load(const std::string& path);
  // Takes a catalogue's bytes: UTF-8 (behind a byte-order mark or not) when they are UTF-8, else
  // Windows-1252, the text the original tool wrote; held as UTF-8 without the declaration and comments.
  void SetText(std::string text);
  const std::string& Text() const { return text_; }

  // The tag name between the first "<" and the first ">" after it; "" when there is none.
  std::string XmlFirstElement();
  // The tag name of the element after the current one's closing tag; "" at the end, and the walk starts
  // again from the beginning.
  std::string XmlNextElement();
  // XmlValue over the loaded text.
  std::string Value(std::string_view path) const { return XmlValue(text_, path); }

 private:
  // The name between the "<" at or after `from` and the ">" after it; sets `at` to the "<".
  std::string TagFrom(size_t from, size_t& at) const;

  std::string text_;
  std::string current_;       // name of the element the walk stands on
  size_t position_ = 0;       // where its opening tag starts
  bool has_current_ = false;  // false at the start and after the end of the walk
};

}  // namespace tabulo
