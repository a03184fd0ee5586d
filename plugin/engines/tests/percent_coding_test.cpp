#include <gtest/gtest.h>

#include "plugin/engines/percent_coding.h"

using namespace engines;

TEST(PercentDecode, OnlyPercentAndTwoHexDigits) {
  struct Case {
    std::string_view in;
    const char* out;  // null: no result
  } cases[] = {
      {"", ""},           {"a%20b", "a b"},   {"%4a%4A", "JJ"},   {"100%", "100%"},
      {"%0", "%0"},       {"%g1", "%g1"},     {"%%41", "%A"},     {"%2541", "%41"},
      {"%00", nullptr},   {"a%00b", nullptr}, {std::string_view("a\0b", 3), nullptr},
      {"%FF", "\xFF"},
  };
  for (const Case& c : cases) {
    const auto got = PercentDecode(c.in);
    if (c.out) {
      ASSERT_TRUE(got.has_value()) << c.in;
      EXPECT_EQ(*got, c.out) << c.in;
    } else {
      EXPECT_FALSE(got.has_value()) << c.in;
    }
  }
}

TEST(PercentEncode, EverythingOutsideTheUnreservedSet) {
  EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(PercentEncode("rock & roll"), "rock%20%26%20roll");
  EXPECT_EQ(PercentEncode("a+b=c?d/e#f%"), "a%2Bb%3Dc%3Fd%2Fe%23f%25");
  EXPECT_EQ(PercentEncode("caf\xC3\xA9"), "caf%C3%A9");
  EXPECT_EQ(PercentEncode(std::string_view("\0\r\n", 3)), "%00%0D%0A");
}

TEST(EncodeSearchText, FromTheStoredText) {
  struct Case {
    const char* stored;
    const char* request;
  } cases[] = {
      {"red%20car", "red%20car"},
      {"rock%20&%20roll", "rock%20%26%20roll"},
      {"100%", "100%25"},
      {"%41", "%2541"},  // only the blank escape is the stored form's own
      {"na\xC3\xAFve", "na%C3%AFve"},
      {"a+b", "a%2Bb"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeSearchText(c.stored), c.request) << c.stored;
}

TEST(EncodeAddressForRequest, RawBlanksAndBytesOnly) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"http://e.com/a/b.jpg?x=1&y=2#f", "http://e.com/a/b.jpg?x=1&y=2#f"},
      {"http://e.com/a b.jpg", "http://e.com/a%20b.jpg"},
      {"http://e.com/caf\xC3\xA9.jpg", "http://e.com/caf%C3%A9.jpg"},
      {"http://e.com/a%20b.jpg", "http://e.com/a%20b.jpg"},  // escapes stay
      {"http://e.com/100%.jpg", "http://e.com/100%25.jpg"},
      {"http://e.com/a\r\nHost: x", "http://e.com/a%0D%0AHost:%20x"},
      {"http://e.com/<a>\"|\\^`{}", "http://e.com/%3Ca%3E%22%7C%5C%5E%60%7B%7D"},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeAddressForRequest(c.in), c.out) << c.in;
}
