#include "internet/history/history_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "internet/history/tests/history_test_util.h"

namespace {
using Texts = std::vector<std::string>;

std::string Item(int type, const std::string& text) {
  return "<SearchItem>\r\n    <Type>" + std::to_string(type) + "</Type>\r\n    <String>" + text +
         "</String>\r\n</SearchItem>\r\n\r\n";
}

std::unique_ptr<SearchHistory> Make(const Texts& keywords, const Texts& addresses) {
  auto history = std::make_unique<SearchHistory>();
  for (const auto& k : keywords) history->keywordItems.Append(0, k);
  for (const auto& a : addresses) history->addressItems.Append(1, a);
  return history;
}

TEST(HistoryFormat, ExactBytes) {
  const auto history = Make({"sunset beach", "cats"}, {"http://example.org/a.jpg"});
  EXPECT_EQ(FormatSearchHistory(*history, 10),
            "<SearchItem>\r\n    <Type>0</Type>\r\n    <String>sunset beach</String>\r\n</SearchItem>\r\n\r\n"
            "<SearchItem>\r\n    <Type>0</Type>\r\n    <String>cats</String>\r\n</SearchItem>\r\n\r\n"
            "<SearchItem>\r\n    <Type>1</Type>\r\n    <String>http://example.org/a.jpg</String>\r\n</SearchItem>\r\n\r\n");
}

TEST(HistoryFormat, LimitAppliesToEachList) {
  const auto history = Make({"k1", "k2", "k3"}, {"a1", "a2", "a3"});
  EXPECT_EQ(FormatSearchHistory(*history, 2), Item(0, "k1") + Item(0, "k2") + Item(1, "a1") + Item(1, "a2"));
}

TEST(HistoryFormat, TextsAreWrittenAsTheyAre) {
  // No escaping: markup, ampersands, UTF-8 and TAB go out byte for byte; a line break as CR LF.
  const auto history = Make({"a&b <i>c</i>", "Z\xC3\xBCrich caf\xC3\xA9", "tab\there", "two\nlines"}, {});
  EXPECT_EQ(FormatSearchHistory(*history, 10), Item(0, "a&b <i>c</i>") + Item(0, "Z\xC3\xBCrich caf\xC3\xA9") +
                                                  Item(0, "tab\there") + Item(0, "two\r\nlines"));
}

TEST(HistoryFormat, TextsThatWouldBreakTheirItemAreLeftOut) {
  struct Case {
    const char* text;
    bool breaks;
  };
  const std::vector<Case> cases = {
      {"a</String>b", true},
      {"a</string>", true},
      {"</STRING>", true},
      {"x</SearchItem><SearchItem><Type>1</Type><String>evil", true},
      {"x</searchitem>", true},
      {"</Str\x01ing>", true},  // the reader drops the control byte, so this still closes
      {"</String >", false},
      {"</Strin>", false},
      {"<String>", false},
      {"</Type>", false},
      {"a<b", false},
      {"</String", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BreaksHistoryItem(c.text), c.breaks) << c.text;
    const auto history = Make({"before", c.text, "after"}, {});
    const std::string bytes = FormatSearchHistory(*history, 10);
    if (c.breaks) {
      EXPECT_EQ(bytes, Item(0, "before") + Item(0, "after")) << c.text;
    } else {
      // Everything else reads back as itself.
      const auto back = ParseSearchHistory(bytes);
      ASSERT_NE(back, nullptr);
      EXPECT_EQ(Strings(back->keywordItems), (Texts{"before", c.text, "after"})) << c.text;
    }
  }
  // A left-out text does not take a place within the limit.
  const auto history = Make({"a</String>", "b", "c"}, {});
  EXPECT_EQ(FormatSearchHistory(*history, 2), Item(0, "b") + Item(0, "c"));
}

struct ParseCase {
  const char* what;
  std::string bytes;
  Texts keywords;
  Texts addresses;
};

TEST(HistoryFormat, ParseTable) {
  const std::vector<ParseCase> cases = {
      {"file order kept", Item(0, "k1") + Item(1, "a1") + Item(0, "k2"), {"k1", "k2"}, {"a1"}},
      {"duplicates kept", Item(0, "k") + Item(0, "k"), {"k", "k"}, {}},
      {"type 2 is an address", Item(2, "a"), {}, {"a"}},
      {"negative type is an address", Item(-1, "a"), {}, {"a"}},
      {"names in any case", "<searchitem><TYPE>1</type><string>a</STRING></SEARCHITEM>", {}, {"a"}},
      {"type with blanks and junk", "<SearchItem><Type>  +1x</Type><String>a</String></SearchItem>", {}, {"a"}},
      {"type without digits is 0", "<SearchItem><Type>x1</Type><String>k</String></SearchItem>", {"k"}, {}},
      {"no type child is a keyword", "<SearchItem><String>k</String></SearchItem>", {"k"}, {}},
      {"huge type stays an address", "<SearchItem><Type>99999999999999</Type><String>a</String></SearchItem>", {}, {"a"}},
      {"no string child is left out", "<SearchItem><Type>0</Type></SearchItem>" + Item(0, "k"), {"k"}, {}},
      {"empty string is left out", Item(0, "") + Item(1, "a"), {}, {"a"}},
      {"a declaration takes the rest of the file", "<?xml version=\"1.0\"?>" + Item(0, "k"), {}, {}},
      {"foreign element before items", "<Other>x</Other>\r\n" + Item(0, "k") + "<Other/>" , {"k"}, {}},
      {"other children ignored", "<SearchItem><Note>n</Note><Type>1</Type><String>a</String></SearchItem>", {}, {"a"}},
      {"LF line ends read too", "<SearchItem>\n    <Type>0</Type>\n    <String>k</String>\n</SearchItem>\n", {"k"}, {}},
      {"CR LF inside a text reads as LF", Item(0, "two\r\nlines"), {"two\nlines"}, {}},
      {"UTF-8 and TAB survive", Item(0, "Z\xC3\xBCrich\tcaf\xC3\xA9"), {"Z\xC3\xBCrich\tcaf\xC3\xA9"}, {}},
  };
  for (const ParseCase& c : cases) {
    const auto history = ParseSearchHistory(c.bytes);
    if (c.keywords.empty() && c.addresses.empty()) {
      EXPECT_EQ(history, nullptr) << c.what;
      continue;
    }
    ASSERT_NE(history, nullptr) << c.what;
    EXPECT_EQ(Strings(history->keywordItems), c.keywords) << c.what;
    EXPECT_EQ(Strings(history->addressItems), c.addresses) << c.what;
  }
}

TEST(HistoryFormat, NoItemsIsNoHistory) {
  for (const char* bytes : {"", "\r\n\r\n", "text", "<Other>x</Other>", "<SearchItem>"})
    EXPECT_EQ(ParseSearchHistory(bytes), nullptr) << bytes;
}

TEST(HistoryFormat, TypeIsWrittenAsLoaded) {
  const auto history = ParseSearchHistory(Item(2, "a") + Item(-7, "b"));
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(FormatSearchHistory(*history, 10), Item(2, "a") + Item(-7, "b"));
}
}  // namespace
