#include "support/http/http_reply.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ServerAddressTest, ReadsHostAndPort) {
  struct Case {
    const char* text;
    bool ok;
    const char* host;
    int port;
  };
  const Case cases[] = {
      {"update.quillmoor.com", true, "update.quillmoor.com", 80},
      {"127.0.0.1:8123", true, "127.0.0.1", 8123},
      {"localhost:65535", true, "localhost", 65535},
      {"localhost:1", true, "localhost", 1},
      {"", false, "", 0},
      {":80", false, "", 0},
      {"host:", false, "", 0},
      {"host:0", false, "", 0},
      {"host:65536", false, "", 0},
      {"host:123456", false, "", 0},
      {"host:8a", false, "", 0},
      {"host:-1", false, "", 0},
      {"ho st", false, "", 0},
      {"host/path", false, "", 0},
      {"user@host", false, "", 0},
      {"a:b:80", false, "", 0},
      {"host\n:80", false, "", 0},
  };
  for (const Case& c : cases) {
    http::ServerAddress out{"untouched", 7};
    EXPECT_EQ(http::ParseServerAddress(c.text, out), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(out.host, c.host) << c.text;
      EXPECT_EQ(out.port, c.port) << c.text;
    } else {
      EXPECT_EQ(out.host, "untouched") << c.text;
      EXPECT_EQ(out.port, 7) << c.text;
    }
  }
}

TEST(ServerAddressTest, CheckUrlAddsSchemeOnceAndPortUnlessDefault) {
  EXPECT_EQ(http::CheckUrl({"example.org", 80}, "/Update/Update.php"), "http://example.org/Update/Update.php");
  EXPECT_EQ(http::CheckUrl({"127.0.0.1", 8123}, "/Update/Update.php"), "http://127.0.0.1:8123/Update/Update.php");
  EXPECT_EQ(http::CheckUrl({"http://example.org", 80}, "/x"), "http://example.org/x");
}

TEST(StatusTest, OnlyTwoHundredsSucceed) {
  for (uint32_t s : {200u, 201u, 204u, 299u}) EXPECT_TRUE(http::IsSuccessStatus(s)) << s;
  for (uint32_t s : {0u, 100u, 199u, 300u, 302u, 404u, 500u, 503u}) EXPECT_FALSE(http::IsSuccessStatus(s)) << s;
}

TEST(ReplyBodyTest, KeepsBlocksInOrderAndEndsTextAtNul) {
  http::ReplyBody body;
  EXPECT_EQ(body.Text(), "");
  ASSERT_TRUE(body.Append("<a>", 3));
  ASSERT_TRUE(body.Append("", 0));
  ASSERT_TRUE(body.Append("xy</a>", 6));
  EXPECT_EQ(body.Text(), "<a>xy</a>");
  ASSERT_TRUE(body.Append("\0tail", 5));
  EXPECT_EQ(body.Text(), "<a>xy</a>");
}

TEST(ReplyBodyTest, RefusesWhatPassesTheCapAndStaysRefused) {
  const std::string block(64 * 1024, 'x');
  http::ReplyBody exact;
  for (size_t i = 0; i < http::ReplyBody::kMaxBytes / block.size(); ++i) ASSERT_TRUE(exact.Append(block.data(), block.size()));
  EXPECT_FALSE(exact.Refused());
  EXPECT_EQ(exact.Text().size(), http::ReplyBody::kMaxBytes);
  EXPECT_FALSE(exact.Append("y", 1));
  EXPECT_TRUE(exact.Refused());
  EXPECT_EQ(exact.Text(), "");
  EXPECT_FALSE(exact.Append("", 0));

  // A size near the top of size_t must not wrap around the cap check.
  http::ReplyBody huge;
  ASSERT_TRUE(huge.Append("ab", 2));
  EXPECT_FALSE(huge.Append("c", static_cast<size_t>(-1)));
  EXPECT_TRUE(huge.Refused());
}

}  // namespace
