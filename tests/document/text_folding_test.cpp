#include "designer/document/text_folding.h"

#include <gtest/gtest.h>

#include "base/text_codec.h"

namespace tabulo {
namespace {

TEST(FoldedText, CaseAccentsAndLigaturesOfEveryWindows1252LetterDoNotCount) {
  EXPECT_EQ(FoldedText("Água Crème BRÛLÉE Ñandú"), "agua creme brulee nandu");
  EXPECT_EQ(FoldedText("Œufs Cœur Æble Straße Ĳs Þorn"), "oeufs coeur aeble strasse ijs thorn");
  EXPECT_EQ(FoldedText("Šljivovica Žganci Ÿ Łódź Ørret ƒ"), "sljivovica zganci y lodz orret f");
  EXPECT_EQ(FoldedText("ΣΑΛΑΤΑ Борщ"), "σαλατα борщ") << "Greek and Cyrillic capitals lowered";
  EXPECT_EQ(FoldedText("1 × 2 ÷ 3 € 🍕"), "1 × 2 ÷ 3 € 🍕") << "signs and other scripts kept";
  EXPECT_EQ(FoldedText("bad \xc3 tail \xff"), "bad \xc3 tail \xff") << "broken UTF-8 passes as it came";

  // Every letter a project file can hold (its Windows-1252 bytes, as the reader decodes them) folds to
  // ASCII, so a search typed without accents finds all of them.
  std::string letters = "\x83\x8a\x8c\x8e\x9a\x9c\x9e\x9f";  // ƒ Š Œ Ž š œ ž Ÿ
  for (int byte = 0xC0; byte <= 0xFF; ++byte) {
    if (byte != 0xD7 && byte != 0xF7) letters.push_back(static_cast<char>(byte));  // but × ÷
  }
  for (char byte : letters) {
    const std::string letter = DecodeWindows1252(std::string(1, byte));
    const std::string folded = FoldedText(letter);
    for (char c : folded) EXPECT_TRUE(c >= 'a' && c <= 'z') << letter << " folds to " << folded;
  }
  EXPECT_TRUE(ContainsFolded("Sopa de Tomate à Portuguesa", "TOMATE A PORT"));
  EXPECT_FALSE(ContainsFolded("Sopa", "sopas"));
}

}  // namespace
}  // namespace tabulo
