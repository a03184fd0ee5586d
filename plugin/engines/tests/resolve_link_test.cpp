#include <gtest/gtest.h>

#include "plugin/engines/resolve_link.h"

using namespace engines;

TEST(ResolveLink, Table) {
  struct Case {
    const char* base;
    const char* link;
    const char* expected;  // null: no address
  } cases[] = {
      // The two long-standing examples.
      {"http://host/dir/page.html", "x.jpg", "http://host/dir/x.jpg"},
      {"http://host", "x.jpg", "http://host/x.jpg"},
      // Absolute links, either web scheme, any case.
      {"http://host/dir/", "http://other/a.jpg", "http://other/a.jpg"},
      {"http://host/dir/", "https://other/a.jpg", "https://other/a.jpg"},
      {"http://host/dir/", "HTTPS://other/a.jpg", "HTTPS://other/a.jpg"},
      {"https://host/dir/p", "//cdn.example/x.jpg", "https://cdn.example/x.jpg"},
      {"http://host/dir/p", "//cdn.example", "http://cdn.example"},
      {"http://host/dir/page.html", "/x.jpg", "http://host/x.jpg"},
      {"http://host/dir/page.html?old=1", "?q=2", "http://host/dir/page.html?q=2"},
      {"http://host/dir/page.html?old=1", "", "http://host/dir/page.html?old=1"},
      {"http://host/dir/page.html", "#top", "http://host/dir/page.html#top"},
      {"http://host/a/b/c/page", "../x.jpg", "http://host/a/b/x.jpg"},
      {"http://host/a/b/c/page", "./.././../y/./z.jpg", "http://host/a/y/z.jpg"},
      {"http://host/a/", "../../../../x.jpg", "http://host/x.jpg"},
      {"http://host/a/", "b/..", "http://host/a/"},
      {"http://host/a/page", "x.jpg?w=1#f", "http://host/a/x.jpg?w=1#f"},
      {"http://host:8080/a/page", "x.jpg", "http://host:8080/a/x.jpg"},
      {"http://host/a/page", "http://other/a/../b.jpg", "http://other/b.jpg"},
      {"http://host/a/page", "  x.jpg\n", "http://host/a/x.jpg"},
      {"http://host/a/page", "x\t.jpg", "http://host/a/x.jpg"},
      // The page's own dot segments go as well.
      {"http://host/a/./b/../c", "", "http://host/a/c"},
      {"http://host/a/./b/page", "x.jpg", "http://host/a/b/x.jpg"},
      // Other schemes give no address.
      {"http://host/a/page", "javascript:void(0)", nullptr},
      {"http://host/a/page", "mailto:a@b.c", nullptr},
      {"http://host/a/page", "data:image/png;base64,AAAA", nullptr},
      {"http://host/a/page", "ftp://host/x.jpg", nullptr},
      {"http://host/a/page", "http:x.jpg", nullptr},
      {"http://host/a/page", "http:///x.jpg", nullptr},
      {"http://host/a/page", "///x.jpg", nullptr},
      {"http://host/a/page", "http://bad host/x.jpg", nullptr},
      {"http:// /a/page", "x.jpg", nullptr},
      // A colon after a slash is no scheme.
      {"http://host/a/page", "x/y:z.jpg", "http://host/a/x/y:z.jpg"},
      // A relative link needs a web page to stand on.
      {"file:///c:/pics/index.html", "x.jpg", nullptr},
      {"not an address", "x.jpg", nullptr},
      {"not an address", "https://ok/x.jpg", "https://ok/x.jpg"},
  };
  for (const Case& c : cases) {
    const auto got = ResolveLink(c.base, c.link);
    if (c.expected) {
      ASSERT_TRUE(got.has_value()) << c.base << " + " << c.link;
      EXPECT_EQ(*got, c.expected) << c.base << " + " << c.link;
    } else {
      EXPECT_FALSE(got.has_value()) << c.base << " + " << c.link << " gave " << got.value_or("");
    }
  }
}

// Plain paths are appended to the page's directory or origin without being
// split; a blank around the link sends the same link through the full rules,
// which must agree.
TEST(ResolveLink, PlainPathsAgreeWithTheFullRules) {
  const char* bases[] = {
      "http://host/dir/page.html", "HTTP://Host:81/a/b/", "https://host", "http://host?q=1#f",
      "http://host/a/./b/../c/p", "http://host/.hidden/p",  "http://host/a/..",  "http://host/dir/page.html?x#y",
  };
  const char* links[] = {
      "x.jpg", "sub/x.jpg", "/abs/x.jpg", "/", "x", "a.b/c.d", "x/.y", "x/..y", "x%20y.jpg", "x y.jpg",
      "x/", "./x", "../x", "x/./y", "x/../y", "/./x", "x.", "x/.", "x/..", ".x", "x:y", "x?q", "x#f", "//h/x",
  };
  for (const char* b : bases) {
    const LinkBase base(b);
    for (const char* l : links) {
      const auto plain = base.Resolve(l);
      const auto full = base.Resolve(std::string(" ") + l + "\n");
      EXPECT_EQ(plain, full) << b << " + " << l;
    }
  }
  EXPECT_EQ(ResolveLink("http://host/.hidden/p", "x.jpg"), "http://host/.hidden/x.jpg");
  EXPECT_EQ(ResolveLink("http://host/a/..", "x.jpg"), "http://host/x.jpg");
}

TEST(ResolveLink, ResolveIntoAppendsOrLeavesTheBufferAlone) {
  const LinkBase base("http://host/dir/");
  std::string out = "kept|";
  EXPECT_TRUE(base.ResolveInto("a.jpg", out));
  EXPECT_TRUE(base.ResolveInto("../b.jpg?x", out));
  EXPECT_FALSE(base.ResolveInto("javascript:void(0)", out));
  EXPECT_EQ(out, "kept|http://host/dir/a.jpghttp://host/b.jpg?x");
  const LinkBase file("file:///c:/pics/");
  EXPECT_FALSE(file.ResolveInto("a.jpg", out));
  EXPECT_FALSE(file.ResolveInto("/a.jpg", out));
  EXPECT_EQ(out, "kept|http://host/dir/a.jpghttp://host/b.jpg?x");
}
