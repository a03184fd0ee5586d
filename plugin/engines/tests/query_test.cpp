#include <gtest/gtest.h>

#include <string>

#include "plugin/engines/query.h"

using namespace engines;

namespace {
std::string Flat(const QueryParameters& q) {
  std::string out;
  for (const auto& [name, value] : q) out += "[" + name + "=" + value + "]";
  return out;
}
}  // namespace

TEST(ParseQuery, Table) {
  struct Case {
    const char* link;
    const char* params;
  } cases[] = {
      {"", ""},
      {"/no/query", ""},
      {"/x?a=1&b=2", "[a=1][b=2]"},
      {"/x?a=1&&b", "[a=1][b=]"},
      {"/x?a=&=v", "[a=][=v]"},
      {"/x?a=1?b=2&c", "[a=1][b=2][c=]"},  // several "?" start several runs
      {"?only=1", "[only=1]"},
      {"/x?q=a=b", "[q=a=b]"},
      // Decoded twice: the link once, each value again. Names only once.
      {"/imgres?imgurl=http%253A%252F%252Fe.com%252Fa%2520b.jpg&w=640",
       "[imgurl=http://e.com/a b.jpg][w=640]"},
      {"/x?n%2541me=v", "[n%41me=v]"},
      {"/x?a=1%262&b=3", "[a=1][2=][b=3]"},  // an escaped "&" splits after the first pass
      // Only "%" and two hexadecimal digits is an escape.
      {"/x?p=100%&q=%0&r=%zz&s=%4", "[p=100%][q=%0][r=%zz][s=%4]"},
      {"/x?p=%4a%4A", "[p=JJ]"},
      // A pair that decodes to a NUL byte is left out; the others stay.
      {"/x?a=%00&b=2", "[b=2]"},
      {"/x?a=%2500&b=2", "[b=2]"},
      {"/x?n%00=1&b=2", "[b=2]"},
  };
  for (const Case& c : cases) EXPECT_EQ(Flat(ParseQuery(c.link)), c.params) << c.link;
}

TEST(ParseQuery, ParameterTakesTheFirstExactName) {
  const QueryParameters q = ParseQuery("/x?w=1&W=2&w=3&width=4");
  ASSERT_NE(Parameter(q, "w"), nullptr);
  EXPECT_EQ(*Parameter(q, "w"), "1");
  EXPECT_EQ(*Parameter(q, "W"), "2");
  EXPECT_EQ(Parameter(q, "wid"), nullptr);
  EXPECT_EQ(Parameter(q, "h"), nullptr);
}

// The reader must answer exactly what the list would, including a first
// pair left out for a NUL that lets a later pair of the same name answer,
// and it must forget the previous link on each Read.
TEST(QueryReader, AnswersAsTheParameterList) {
  const char* links[] = {
      "", "/x?a=1&b=2", "/x?a=1&&b", "/x?a=&=v", "/x?a=1?b=2&c", "/x?q=a=b",
      "/imgres?imgurl=http%253A%252F%252Fe.com%252Fa%2520b.jpg&w=640", "/x?n%2541me=v&nAme=2",
      "/x?a=1%262&b=3", "/x?p=100%&q=%0&r=%zz&s=%4", "/x?a=%00&a=2", "/x?a=%2500&b=2&a=%2541",
      "/x?n%00=1&n=2", "/x?w=1&W=2&w=3&width=4",
  };
  const char* names[] = {"a", "b", "c", "q", "imgurl", "w", "W", "width", "nAme", "n%41me", "n", "p", "r", "s", "2", "",
                         "x"};
  QueryReader reader;
  for (const char* link : links) {
    reader.Read(link);
    const QueryParameters list = ParseQuery(link);
    for (const char* name : names) {
      const std::string* expected = Parameter(list, name);
      const std::optional<std::string> got = reader.Value(name);
      ASSERT_EQ(got.has_value(), expected != nullptr) << link << " " << name;
      if (expected) {
        EXPECT_EQ(*got, *expected) << link << " " << name;
      }
    }
  }
}

TEST(ToNumber, Table) {
  struct Case {
    const char* text;
    uint32_t value;
  } cases[] = {
      {"", 0},           {"0", 0},          {"640", 640},       {"640px", 640},
      {"-5", 0},         {"+5", 0},         {" 5", 0},          {"007", 7},
      {"4294967295", 4294967295u},          {"4294967296", 4294967295u},
      {"99999999999999999999999", 4294967295u},                 {"429496729x", 429496729u},
  };
  for (const Case& c : cases) EXPECT_EQ(ToNumber(c.text), c.value) << c.text;
}
