#pragma once
// Where the designer finds its user guide: installed with the programs (PREFIX/share/doc/tabulo-designer,
// the programs being in PREFIX/lib/tabulo), else in the source tree the program was built from.

#include <string>

namespace tabulo {

inline constexpr const char* kUserGuideName = "user-guide.md";

// The guide's file; "" when neither place holds it.
std::string UserGuideFile();

// The message telling that the guide could not be shown, and where it was looked for.
std::string UserGuideMissingMessage();

}  // namespace tabulo
