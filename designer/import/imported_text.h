#pragma once
// The text of a catalogue file written by another program.

#include <string>
#include <string_view>

namespace tabulo {

// The encoding is decided once per file: UTF-16 behind its byte-order mark (a spreadsheet's "Unicode text"),
// UTF-8 behind its mark or when the bytes are valid UTF-8 (spreadsheet programs save CSV so today), else
// Windows-1252, as project files are. NUL characters are dropped whatever the encoding: a terminal takes one
// as the end of a text, and nobody means one in a catalogue.
std::string DecodeImportedText(std::string bytes);

}  // namespace tabulo
