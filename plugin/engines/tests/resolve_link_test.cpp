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
