#include "support/text/ascii.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

TEST(Ascii, LowerFoldsOnlyAsciiCapitals) {
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const char expected = (b >= 'A' && b <= 'Z') ? static_cast<char>(b + 32) : c;
    EXPECT_EQ(AsciiLower(c), expected) << b;
  }
  // UTF-8 "Ä" and Latin-1 "Ä" stay as they are; so do the bytes next to the letters.
  EXPECT_EQ(ToLowerAscii("Foto \xC3\x84 \xC4 @[`{ A.BMP"), "foto \xC3\x84 \xC4 @[`{ a.bmp");
  EXPECT_EQ(ToLowerAscii(""), "");
  EXPECT_EQ(ToLowerAscii(std::string("A\0B", 3)), std::string("a\0b", 3));
}

TEST(Ascii, ComparisonsIgnoreAsciiCaseOnly) {
  struct Case {
    const char* text;
    const char* other;
    bool equals, startsWith, endsWith;
  } cases[] = {
      {"Photo.JPG", "photo.jpg", true, true, true},
      {"Photo.JPG", ".jpg", false, false, true},
      {"Photo.JPG", "PHOTO", false, true, false},
      {"", "", true, true, true},
      {"abc", "", false, true, true},
      {"ab", "abc", false, false, false},
      {"\xC3\x84", "\xC3\xA4", false, false, false},  // "Ä" is not "ä": not ASCII
      {"\xC4", "\xE4", false, false, false},          // nor in Latin-1
      {"@", "`", false, false, false},                // 0x40 and 0x60 differ by the case bit only
      {"[", "{", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.other);
    EXPECT_EQ(EqualsIgnoreCaseAscii(c.text, c.other), c.equals);
    EXPECT_EQ(StartsWithIgnoreCaseAscii(c.text, c.other), c.startsWith);
    EXPECT_EQ(EndsWithIgnoreCaseAscii(c.text, c.other), c.endsWith);
  }
}

TEST(Ascii, FindIgnoringCase) {
  constexpr std::string_view set = ".tga.bmp.JPG.jpeg";
  EXPECT_EQ(FindIgnoreCaseAscii(set, ".jpg"), 8u);
  EXPECT_EQ(FindIgnoreCaseAscii(set, ".JPEG"), 12u);
  EXPECT_EQ(FindIgnoreCaseAscii(set, ".jp"), 8u);
  EXPECT_EQ(FindIgnoreCaseAscii(set, ".tga", 1), std::string_view::npos);
  EXPECT_EQ(FindIgnoreCaseAscii(set, ".bmp", 4), 4u);
  EXPECT_EQ(FindIgnoreCaseAscii(set, ""), std::string_view::npos);
  EXPECT_EQ(FindIgnoreCaseAscii(set, ".png"), std::string_view::npos);
  EXPECT_EQ(FindIgnoreCaseAscii(set, "g", set.size()), std::string_view::npos);
  EXPECT_EQ(FindIgnoreCaseAscii(set, "g", set.size() + 5), std::string_view::npos);
  EXPECT_EQ(FindIgnoreCaseAscii("ab", "abc"), std::string_view::npos);
  static_assert(FindIgnoreCaseAscii("xXy", "xy") == 1);
}

// The helpers do not follow the C locale, which may fold more than ASCII.
TEST(Ascii, SameResultInAnyLocale) {
  const char* locales[] = {"C", "de_DE.ISO-8859-1", "tr_TR.UTF-8", "C.UTF-8"};
  for (const char* name : locales) {
    if (!std::setlocale(LC_ALL, name)) continue;
    SCOPED_TRACE(name);
    EXPECT_EQ(ToLowerAscii("I\xC4\xD6"), "i\xC4\xD6");
    EXPECT_TRUE(EqualsIgnoreCaseAscii("FILE.BMP", "file.bmp"));
    EXPECT_FALSE(EqualsIgnoreCaseAscii("\xC4", "\xE4"));
  }
  std::setlocale(LC_ALL, "C");
}

}  // namespace
