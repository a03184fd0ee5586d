#include "ui/settings/page_fields.h"

#include <gtest/gtest.h>

#include <limits>

#include "ui/settings/page_choices.h"

namespace {

struct FilterCase {
  const char* text;
  const char* digits;
  bool removed;
};

TEST(PageFields, NonDigitsAreRemovedAndReported) {
  const FilterCase cases[] = {
      {"", "", false}, {"123", "123", false}, {"12a", "12", true}, {"-5", "5", true}, {" 1 0 ", "10", true},
      {"abc", "", true}, {"1.5", "15", true}, {"\xC3\xA9" "7", "7", true},
  };
  for (const auto& c : cases) {
    bool removed = false;
    EXPECT_EQ(KeepDigits(c.text, removed), c.digits) << c.text;
    EXPECT_EQ(removed, c.removed) << c.text;
  }
}

TEST(PageFields, TheMegapixelBoxKeepsBothDecimalPoints) {
  const struct {
    const char* text;
    char separator;
    const char* kept;
    bool removed;
  } cases[] = {
      {"0.300", '.', "0.300", false}, {"0,300", ',', "0,300", false}, {"0.300", ',', "0.300", false},
      {"0,3", '.', "03", true},       {"1a,5", ',', "1,5", true},      {"x", ',', "", true},
  };
  for (const auto& c : cases) {
    bool removed = false;
    EXPECT_EQ(KeepDecimal(c.text, c.separator, removed), c.kept) << c.text;
    EXPECT_EQ(removed, c.removed) << c.text;
  }
}

TEST(PageFields, MegapixelsParseWithEitherPointInIntegers) {
  const struct {
    const char* text;
    char separator;
    uint32_t pixels;
  } cases[] = {
      {"", ',', 300000},
      {"0.6", '.', 600000},
      {"0,6", ',', 600000},
      {"0.300", ',', 300000},  // "." typed under a "," locale still means the point
      {"0300", ',', 300000000},
      {"1", '.', 1000000},
      {"2,5", ',', 2500000},
      {"0.0000019", '.', 1},  // beyond six decimals is truncated
      {".", '.', 0},
      {"1.2.3", '.', 1200000},  // a second point ends the number
      {"4294", '.', 4294000000u},
      {"4295", '.', std::numeric_limits<uint32_t>::max()},
      {"99999999999999999999999", '.', std::numeric_limits<uint32_t>::max()},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseMegapixels(c.text, c.separator), c.pixels) << c.text;
}

TEST(PageFields, MegapixelsShowThreeDecimalsWithTheLocaleSeparator) {
  EXPECT_EQ(FormatMegapixels(300000, ','), "0,300");
  EXPECT_EQ(FormatMegapixels(300000, '.'), "0.300");
  EXPECT_EQ(FormatMegapixels(2500000, '.'), "2.500");
  EXPECT_EQ(FormatMegapixels(1234, '.'), "0.001");
  EXPECT_EQ(FormatMegapixels(std::numeric_limits<uint32_t>::max(), '.'), "4294.967");
  // What is shown parses back to the same thousandths.
  for (uint32_t p : {0u, 300000u, 600000u, 1000000u, 4294967000u})
    EXPECT_EQ(ParseMegapixels(FormatMegapixels(p, ','), ','), p);
}

TEST(PageFields, NumbersAndTheirEmptyDefaults) {
  EXPECT_EQ(ParseUnsigned("", 640), 640u);
  EXPECT_EQ(ParseUnsigned("0", 640), 0u);
  EXPECT_EQ(ParseUnsigned("1920", 640), 1920u);
  EXPECT_EQ(ParseUnsigned("4294967295", 0), 4294967295u);
  EXPECT_EQ(ParseUnsigned("4294967296000", 0), 4294967295u);

  const struct {
    const char* text;
    int32_t history;
    int32_t cache;
  } cases[] = {
      {"", 10, 5000000},        {"0", 1, 5000000},          {"1", 1, 5000000},
      {"4", 4, 5000000},        {"5", 5, 5000000},          {"50", 50, 50000000},
      {"1000", 1000, 1000000000}, {"1001", 1000, 1001000000}, {"2147", 1000, 2147000000},
      {"2148", 1000, 2147000000}, {"4000", 1000, 2147000000},
      {"99999999999999999999", 1000, 2147000000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseHistorySize(c.text), c.history) << c.text;
    EXPECT_EQ(ParseCacheSize(c.text), c.cache) << c.text;
  }
}

TEST(PageFields, StoredValuesAreShownWithinTheSpinRanges) {
  EXPECT_EQ(CacheMegabytesShown(50000000), 50);
  EXPECT_EQ(CacheMegabytesShown(-1294967296), 5);  // a hostile registry value
  EXPECT_EQ(CacheMegabytesShown(0), 5);
  EXPECT_EQ(CacheMegabytesShown(std::numeric_limits<int32_t>::max()), 2147);
  EXPECT_EQ(HistorySizeShown(0), 1);
  EXPECT_EQ(HistorySizeShown(-7), 1);
  EXPECT_EQ(HistorySizeShown(5000), 1000);
  EXPECT_EQ(HistorySizeShown(10), 10);
}

TEST(PageFields, SearchTextIsCutAtACharacterBoundary) {
  const std::string ascii(1500, 'a');
  EXPECT_EQ(TruncateUtf8(ascii, kMaxSearchTextBytes).size(), 1023u);
  EXPECT_EQ(TruncateUtf8("short", kMaxSearchTextBytes), "short");
  // 1022 ASCII bytes, then a two-byte letter that would end at byte 1024.
  const std::string cut = std::string(1022, 'a') + "\xC3\xA9" + "b";
  EXPECT_EQ(TruncateUtf8(cut, kMaxSearchTextBytes), std::string(1022, 'a'));
  EXPECT_EQ(TruncateUtf8("\xE2\x82\xAC", 2), "");
}

TEST(PageChoices, HelpContextsAndItemValues) {
  EXPECT_EQ(HelpContextForPage("Source"), 3);
  EXPECT_EQ(HelpContextForPage("Internet"), 5);
  EXPECT_EQ(HelpContextForPage("Wallpaper"), 6);
  EXPECT_EQ(HelpContextForPage("Misc."), 7);
  EXPECT_EQ(HelpContextForPage("Support"), 0);
  EXPECT_EQ(HelpContextForPage(nullptr), 0);
  EXPECT_EQ(IndexOfChoice(kOrientationChoices, 0), 2);
  EXPECT_EQ(IndexOfChoice(kPopupPositionChoices, 1), 5);
  EXPECT_EQ(IndexOfChoice(kFilterChoices, 7), -1);
}

}  // namespace
