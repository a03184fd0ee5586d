// The portable rules of a download: content classes, the error mapping,
// address checks, file names, body bounds and the statistics.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin/include/fetchpix.h"
#include "plugin/net/address.h"
#include "plugin/net/body_limits.h"
#include "plugin/net/content_type.h"
#include "plugin/net/download_stats.h"
#include "plugin/net/error_map.h"

namespace net {
namespace {

TEST(ClassifyTest, TypesUpToTheirFirstSemicolon) {
  const struct {
    const char* type;
    ContentClass expected;
  } cases[] = {
      {"image/jpeg", ContentClass::Image},
      {"image/jpeg; charset=x", ContentClass::Image},
      {"image/gif", ContentClass::Image},
      {"image/png", ContentClass::Image},
      {"image/jpg", ContentClass::Image},
      {"image/bmp", ContentClass::Image},
      {"image/png;", ContentClass::Image},
      {"text/html", ContentClass::Page},
      {"text/html; charset=UTF-8", ContentClass::Page},
      {"text/htm", ContentClass::Page},
      {"text/plain", ContentClass::Page},
      // Compared as sent: case and blanks before the semicolon matter.
      {"Image/JPEG", ContentClass::Unusable},
      {"image/jpeg ; q=1", ContentClass::Unusable},
      {" image/jpeg", ContentClass::Unusable},
      {"image/webp", ContentClass::Unusable},
      {"image/jpegx", ContentClass::Unusable},
      {"image/jpe", ContentClass::Unusable},
      {"application/octet-stream", ContentClass::Unusable},
      {"", ContentClass::Unusable},
      {";image/jpeg", ContentClass::Unusable},
  };
  for (const auto& c : cases) EXPECT_EQ(Classify(c.type), c.expected) << '"' << c.type << '"';
}

TEST(ErrorMapTest, HttpStatuses) {
  const struct {
    uint32_t status, code;
  } cases[] = {{200, SUCCESS}, {404, URLUNAVAILABLE}, {503, SERVERBUSY}, {201, 0}, {206, 0},
               {301, 0},       {403, 0},            {500, 0},          {0, 0}};
  for (const auto& c : cases) EXPECT_EQ(MapHttpStatus(c.status), c.code) << c.status;
}

TEST(ErrorMapTest, WinInetErrors) {
  const struct {
    uint32_t error, code;
  } cases[] = {
      {12002, CONNECTIONREFUSED},  // time-out
      {12030, CONNECTIONREFUSED},  // what Wine reports for a time-out
      {12029, CONNECTIONREFUSED},  // cannot connect
      {12007, URLNOTRESOLVED},     {12012, NOCONNECTION}, {12159, NOCONNECTION}, {12163, NOCONNECTION},
      {12006, 0},                  {12152, 0},            {6, 0},                {0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(MapInternetError(c.error), c.code) << c.error;
}

TEST(AddressTest, SchemeOfAddress) {
  const struct {
    const char* address;
    Scheme expected;
  } cases[] = {
      {"http://example.com/a.jpg", Scheme::Http},
      {"HTTP://EXAMPLE.COM/", Scheme::Http},
      {"https://example.com/a.jpg", Scheme::Https},
      {"HttpS://x", Scheme::Https},
      {"ftp://example.com/a.jpg", Scheme::Other},
      {"file:///c:/a.jpg", Scheme::Other},
      {"httpx://example.com", Scheme::Other},
      {"http:/example.com", Scheme::Other},
      {"http://", Scheme::Other},
      {"https://", Scheme::Other},
      {"example.com/a.jpg", Scheme::Other},
      {"", Scheme::Other},
      // Would reach the server as extra header lines or split the request line.
      {"http://example.com/a.jpg\r\nX-Injected: 1", Scheme::Other},
      {"http://example.com/a\n.jpg", Scheme::Other},
      {"http://example.com/a b.jpg", Scheme::Other},
      {"http://example.com/a\x7f.jpg", Scheme::Other},
  };
  for (const auto& c : cases) EXPECT_EQ(SchemeOf(c.address), c.expected) << '"' << c.address << '"';
}

TEST(AddressTest, FileNameIsTheTextAfterTheLastSlashOrBackslash) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {"/images/photo.jpg", "photo.jpg"},
      {"/cgi/get?id=5", "get?id=5"},
      {"/a/b\\c.png", "c.png"},
      {"/a\\b/c.png", "c.png"},
      {"/show?u=x/y.jpg", "y.jpg"},  // query included: its slashes count too
      {"/dir/", ""},
      {"/", ""},
      {"plain.gif", "plain.gif"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileNameFromPath(c.path), c.name) << '"' << c.path << '"';
}

TEST(ContentLengthTest, ParsesOnlyWholeDecimalNumbers) {
  const struct {
    const char* text;
    std::optional<uint64_t> value;
  } cases[] = {
      {"0", 0u},
      {"1234", 1234u},
      {"  77\t", 77u},
      {"4294967396", 4294967396ull},  // past 4 GiB: must not wrap to 100
      {"18446744073709551615", 18446744073709551615ull},
      {"18446744073709551616", std::nullopt},
      {"99999999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"-5", std::nullopt},
      {"+5", std::nullopt},
      {"12abc", std::nullopt},
      {"1 2", std::nullopt},
      {"0x10", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseContentLength(c.text), c.value) << '"' << c.text << '"';
}

std::vector<uint8_t> Bytes(size_t n, uint8_t fill = 0xAB) { return std::vector<uint8_t>(n, fill); }

TEST(BodyCollectorTest, CollectsBlocksUntilTheEmptyRead) {
  BodyCollector body(100, std::nullopt);
  const auto a = Bytes(40, 1), b = Bytes(60, 2);
  EXPECT_EQ(body.Add(a.data(), a.size()), BodyStatus::Reading);
  EXPECT_EQ(body.Add(b.data(), b.size()), BodyStatus::Reading);  // exactly the cap is allowed
  EXPECT_EQ(body.Add(nullptr, 0), BodyStatus::Complete);
  const std::vector<uint8_t> all = body.Take();
  ASSERT_EQ(all.size(), 100u);
  EXPECT_EQ(all[39], 1);
  EXPECT_EQ(all[40], 2);
}

TEST(BodyCollectorTest, BoundsAndAnnouncedLengths) {
  const struct {
    const char* name;
    uint64_t cap;
    std::optional<uint64_t> announced;
    std::vector<size_t> blocks;  // 0 ends the body
    BodyStatus expected;
  } cases[] = {
      {"announced over the cap: refused before reading", 100, 101, {}, BodyStatus::TooLarge},
      {"announced past 4 GiB (wraps to 100 in 32 bits)", 1000, 4294967396ull, {}, BodyStatus::TooLarge},
      {"endless body passes the cap", 100, std::nullopt, {64, 64}, BodyStatus::TooLarge},
      {"one byte over the cap", 100, std::nullopt, {100, 1}, BodyStatus::TooLarge},
      {"shorter than announced", 100, 50, {20, 0}, BodyStatus::Short},
      {"empty but announced", 100, 1, {0}, BodyStatus::Short},
      {"as announced", 100, 50, {30, 20, 0}, BodyStatus::Complete},
      {"announced zero", 100, 0, {0}, BodyStatus::Complete},
      {"no length, ends within the cap", 100, std::nullopt, {10, 0}, BodyStatus::Complete},
  };
  for (const auto& c : cases) {
    BodyCollector body(c.cap, c.announced);
    for (size_t n : c.blocks) {
      const auto block = Bytes(n);
      body.Add(block.data(), n);
    }
    EXPECT_EQ(body.status(), c.expected) << c.name;
    if (c.expected != BodyStatus::Complete) {
      EXPECT_EQ(body.received(), 0u) << c.name << ": a refused body keeps nothing";
      const auto more = Bytes(1);
      EXPECT_EQ(body.Add(more.data(), 1), c.expected) << c.name << ": the verdict stays";
    }
  }
}

TEST(BodyCapsTest, PagesHaveTheirOwnCap) {
  const BodyCaps caps;
  EXPECT_EQ(caps.For(ContentClass::Image), 64ull << 20);
  EXPECT_EQ(caps.For(ContentClass::Page), 8ull << 20);
  // An unknown type may still be the picture a single-image address serves.
  EXPECT_EQ(caps.For(ContentClass::Unusable), 64ull << 20);
}

TEST(DownloadStatsTest, AverageAndDownloadsWithinABudget) {
  DownloadStats stats;
  EXPECT_EQ(stats.AverageMilliseconds(), 0.0);
  EXPECT_EQ(stats.DownloadsWithin(60000, 10), 10u) << "nothing known yet: no division by zero";
  stats.Add(1000, 0);
  EXPECT_EQ(stats.DownloadsWithin(60000, 10), 10u) << "instant downloads";
  stats.Add(3000, 16000);
  EXPECT_DOUBLE_EQ(stats.AverageMilliseconds(), 8000.0);
  EXPECT_EQ(stats.DownloadsWithin(60000, 10), 7u);  // 7.5 rounds down
  stats.Add(0, 200000);
  EXPECT_EQ(stats.count(), 3u);
  EXPECT_EQ(stats.DownloadsWithin(60000, 10), 0u);
}

TEST(DownloadStatsTest, ByteSumPassesFourGiB) {
  DownloadStats stats;
  for (int i = 0; i < 80; ++i) stats.Add(64ull << 20, 10);
  EXPECT_EQ(stats.bytes(), 80ull * (64ull << 20));
}

}  // namespace
}  // namespace net
