#include "support/xml/parse_xml.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/tests/temp_dir.h"

namespace {
using Elements = std::vector<std::pair<std::string, std::string>>;

// Every element the reader hands out, in order, up to the first empty tag.
Elements ReadAll(std::string_view input) {
  ParseXML reader;
  reader.SetText(input);
  Elements out;
  for (;;) {
    ParseXMLTag tag = reader.GetNextTag();
    if (tag.empty) break;
    out.emplace_back(tag.name, tag.value);
    if (out.size() > 100) break;  // a reader that never ends fails here, not by hanging
  }
  return out;
}

std::string S(const char* bytes, size_t n) { return std::string(bytes, n); }

struct Case {
  const char* what;
  std::string input;
  Elements expected;
};

TEST(ParseXml, Grammar) {
  const std::vector<Case> cases = {
      {"plain element", "<a>x</a>", {{"a", "x"}}},
      {"closing tag in another case", "<a>x</A>", {{"a", "x"}}},
      {"mixed case both ways", "<String>v</sTRING>", {{"String", "v"}}},
      {"two elements, blanks between", " \r\n<a>1</a>\r\n\r\n<b>2</b>\r\n", {{"a", "1"}, {"b", "2"}}},
      {"text before the first tag is skipped", "junk<a>x</a>", {{"a", "x"}}},
      {"no tag at all", "just text", {}},
      {"empty input", "", {}},
      {"input ends inside a name", "<abc", {}},
      {"input ends inside a name after an element", "<a>x</a><b", {{"a", "x"}}},
      {"missing closing tag: rest of input", "<a>xyz", {{"a", "xyz"}}},
      {"empty value", "<a></a>", {{"a", ""}}},
      {"empty name", "<>x</>", {{"", "x"}}},
      {"attribute stays in the name and never closes", "<a k=\"1\">x</a>", {{"a k=\"1\"", "x</a>"}}},
      {"closing tag with a blank does not close", "<a>x</a >y", {{"a", "x</a >y"}}},
      {"declaration takes the rest", "<?xml version=\"1.0\"?><a>x</a>", {{"?xml version=\"1.0\"?", "<a>x</a>"}}},
      {"closing tag where an opening one is expected", "</Type>", {{"/Type", ""}}},
      {"same name nested ends early", "<a><a>x</a></a>", {{"a", "<a>x"}, {"/a", ""}}},
      {"other tags stay raw in the value", "<a><b>1</b><c/></a>", {{"a", "<b>1</b><c/>"}}},
      {"long tag inside the value", "<a>x<verylongtag>y</a>", {{"a", "x<verylongtag>y"}}},
      {"a second < restarts the match", "<a>x<</a>", {{"a", "x<"}}},
      {"> outside a tag is kept", "<a>1>0</a>", {{"a", "1>0"}}},
      {"line breaks inside a value are kept", "<a>\r\n1\n2\r</a>", {{"a", "\r\n1\n2\r"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadAll(c.input), c.expected) << c.what;
}

TEST(ParseXml, NestedItemReadWithASecondReader) {
  const std::string item = "<SearchItem>\n    <Type>0</Type>\n    <String>cats</String>\n</SearchItem>\n\n";
  const Elements outer = ReadAll(item);
  ASSERT_EQ(outer.size(), 1u);
  EXPECT_EQ(outer[0].first, "SearchItem");
  EXPECT_EQ(outer[0].second, "\n    <Type>0</Type>\n    <String>cats</String>\n");
  EXPECT_EQ(ReadAll(outer[0].second), (Elements{{"Type", "0"}, {"String", "cats"}}));
}

TEST(ParseXml, WhichBytesAValueKeeps) {
  const std::vector<Case> cases = {
      {"UTF-8 letters survive", "<a>Z\xC3\xBCrich caf\xC3\xA9</a>", {{"a", "Z\xC3\xBCrich caf\xC3\xA9"}}},
      {"a lone high byte survives", "<a>x\xE9y\xFF\x80</a>", {{"a", "x\xE9y\xFF\x80"}}},
      {"TAB survives", "<a>x\ty</a>", {{"a", "x\ty"}}},
      {"other control bytes are dropped", "<a>\x01x\x1By\x1F\x7F</a>", {{"a", "xy\x7F"}}},
      {"a NUL in the middle is dropped and reading goes on", S("<a>x\0y</a><b>z</b>", 18), {{"a", "xy"}, {"b", "z"}}},
      {"a NUL between elements", S("<a>1</a>\0<b>2</b>", 17), {{"a", "1"}, {"b", "2"}}},
      {"a dropped byte inside the closing tag still closes", "<a>x</\x01" "a>y", {{"a", "x"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadAll(c.input), c.expected) << c.what;
}

TEST(ParseXml, NameLengthLimit) {
  const std::string fits(ParseXML::kMaxNameBytes, 'n');
  EXPECT_EQ(ReadAll("<" + fits + ">v</" + fits + ">"), (Elements{{fits, "v"}}));
  // One byte more is not a tag: the reader goes on after it.
  const std::string tooLong(ParseXML::kMaxNameBytes + 1, 'n');
  EXPECT_EQ(ReadAll("<" + tooLong + ">v</" + tooLong + "><b>2</b>"), (Elements{{"b", "2"}}));
}

TEST(ParseXml, LargeValuesAreWhole) {
  const std::string kilo(5000, 'k');
  EXPECT_EQ(ReadAll("<a>" + kilo + "</a>"), (Elements{{"a", kilo}}));

  // Several megabytes, read in one go (a fixed-step buffer made this quadratic).
  std::string big;
  big.reserve(8u << 20);
  while (big.size() < (8u << 20)) big += "line with <b>markup</b> and \xC3\xBC\r\n";
  const Elements read = ReadAll("<reply>" + big + "</reply><next>1</next>");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].first, "reply");
  EXPECT_TRUE(read[0].second == big);
  EXPECT_EQ(read[1], (std::pair<std::string, std::string>{"next", "1"}));
}

TEST(ParseXml, InputAboveTheCapReadsAsEmpty) {
  std::string huge = "<a>x</a>";
  huge.resize(ParseXML::kMaxInputBytes + 1, ' ');
  EXPECT_TRUE(ReadAll(huge).empty());
  std::string fits = "<a>x</a>";
  fits.resize(ParseXML::kMaxInputBytes, ' ');
  EXPECT_EQ(ReadAll(fits), (Elements{{"a", "x"}}));
}

TEST(ParseXml, SetTextReplacesEarlierInput) {
  ParseXML reader;
  EXPECT_TRUE(reader.GetNextTag().empty);  // no input yet
  reader.SetText("<a>1</a><b>2</b>");
  EXPECT_EQ(reader.GetNextTag().name, "a");
  reader.SetText("<c>3</c>");
  const ParseXMLTag c = reader.GetNextTag();
  EXPECT_FALSE(c.empty);
  EXPECT_EQ(c.name, "c");
  EXPECT_EQ(c.value, "3");
  EXPECT_TRUE(reader.GetNextTag().empty);
  EXPECT_TRUE(reader.GetNextTag().empty);  // stays at the end
}

TEST(ParseXml, GetCharTellsANulFromTheEnd) {
  ParseXML reader;
  reader.SetText(std::string_view("a\0b", 3));
  EXPECT_EQ(reader.GetChar(), 'a');
  EXPECT_EQ(reader.GetChar(), '\0');
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(reader.GetChar(), 'b');
  EXPECT_EQ(reader.GetChar(), '\0');
  EXPECT_TRUE(reader.AtEnd());
}

TEST(ParseXml, OpenFile) {
  TempDir dir;
  const std::string path = dir.File("reply.xml");
  WriteWholeFile(path, S("<a>x\0y</a>\r\n<b>\xC3\xA9</b>", 22));
  ParseXML reader;
  ASSERT_TRUE(reader.OpenFile(path));
  EXPECT_EQ(reader.GetNextTag().value, "xy");
  EXPECT_EQ(reader.GetNextTag().value, "\xC3\xA9");
  EXPECT_TRUE(reader.GetNextTag().empty);

  EXPECT_FALSE(reader.OpenFile(dir.File("missing.xml")));
  EXPECT_TRUE(reader.GetNextTag().empty);
}
}  // namespace
