#include "base/text_codec.h"

#include <gtest/gtest.h>

namespace tabulo {
namespace {

TEST(TextCodec, Windows1252RoundTrip) {
  std::string text = "Caf\xc3\xa9 \xe2\x82\xac 5 \xe2\x80\x9cok\xe2\x80\x9d \xc5\xbd";
  std::string bytes;
  ASSERT_TRUE(EncodeWindows1252(text, bytes));
  EXPECT_EQ(bytes, "Caf\xe9 \x80 5 \x93ok\x94 \x8e");
  EXPECT_EQ(DecodeWindows1252(bytes), text);
  for (int b = 0; b < 256; ++b) {  // every byte survives decoding and encoding again
    std::string one(1, static_cast<char>(b));
    ASSERT_TRUE(EncodeWindows1252(DecodeWindows1252(one), bytes)) << b;
    EXPECT_EQ(bytes, one) << b;
  }
}

TEST(TextCodec, FilesFallBackToUtf8WithAMark) {
  std::string cyrillic = "\xd0\x91\xd0\xbe\xd1\x80\xd1\x89";
  EXPECT_EQ(EncodeFileText("plain"), "plain");
  std::string bytes = EncodeFileText("Soup\r\n" + cyrillic + "\r\n");
  EXPECT_EQ(bytes, "\xEF\xBB\xBFSoup\r\n" + cyrillic + "\r\n");
  EXPECT_EQ(DecodeFileText(bytes), "Soup\r\n" + cyrillic + "\r\n");
  EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF\xff"), "\xef\xbf\xbd") << "broken UTF-8 becomes U+FFFD";
  EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF\xe2\x82"), "\xef\xbf\xbd\xef\xbf\xbd");
}

TEST(TextCodec, SplitsEveryKindOfLineEnd) {
  using Lines = std::vector<std::string_view>;
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("a"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\r\n"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("\r\n\r\n"), (Lines{"", ""}));
  EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
}

}  // namespace
}  // namespace tabulo
