// CP932 conversion and cutting never split a double-byte character.
#include "platform/text.h"

#include <gtest/gtest.h>

using namespace nypr::platform;

TEST(Cp932Text, RoundTripsJapaneseAndHalfWidthKana) {
  const std::string utf8 = "ヘッドが開いています！ｷﾞｬｯﾌﾟ 1144～1183";
  std::string sjis = cp932FromUtf8(utf8);
  EXPECT_EQ(sjis.substr(0, 2), "\x83\x77");  // ヘ
  EXPECT_EQ(utf8FromCp932(sjis), utf8);
  // The wave dash of head resistance ranges is CP932's full-width tilde 0x8160.
  EXPECT_NE(cp932FromUtf8("～").find("\x81\x60"), std::string::npos);
}

TEST(Cp932Text, UnmappableAndInvalidInputBecomesQuestionMarks) {
  EXPECT_EQ(cp932FromUtf8("a\xF0\x9F\x98\x80z"), "a?z");
  EXPECT_EQ(utf8FromCp932("a\xFFz"), "a?z");
  EXPECT_EQ(utf8FromCp932(std::string("a\x81", 2)), "a?");  // lead byte cut off at the end
}

TEST(Cp932Text, CopyCutsAtCharacterBoundaryAndTerminates) {
  std::string sjis = cp932FromUtf8("aヘッド");  // 1 + 3 x 2 bytes
  char buf[5];
  EXPECT_EQ(copyCp932(sjis, buf, sizeof buf), 3u);  // "a" + one character, not half of the next
  EXPECT_EQ(std::string(buf), sjis.substr(0, 3));
  char one[1] = {'x'};
  EXPECT_EQ(copyCp932(sjis, one, 1), 0u);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(copyCp932(sjis, nullptr, 10), 0u);
  // A lone lead byte at the end is copied as a single byte, never read past the text.
  char tail[8];
  EXPECT_EQ(copyCp932(std::string("ab\x83", 3), tail, sizeof tail), 3u);
}
