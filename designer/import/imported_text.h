#pragma once
// The text of a catalogue file written by another program.

#include <string>
#include <string_view>

namespace tabulo {

// Text files are read as the project files are (Windows-1252, or UTF-8 behind a byte-order mark), with one
// addition: bytes that are valid UTF-8 and not plain ASCII are taken as UTF-8. Spreadsheet programs save CSV
// as UTF-8 without a mark today, and such bytes are practically never meant as Windows-1252 ("CafÃ©").
std::string DecodeImportedText(std::string bytes);

}  // namespace tabulo
