#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/engines/extract_links.h"

using namespace engines;

namespace {

std::string Flat(const CandidateList& cs) {
  std::string out;
  for (const Candidate& c : cs) {
    out.append("[").append(c.imageUrl);
    if (!c.pageUrl.empty()) out.append(" | ").append(c.pageUrl);
    if (c.width || c.height) out += " " + std::to_string(c.width) + "x" + std::to_string(c.height);
    out += "]";
  }
  return out;
}

std::string Handed(std::string_view page, std::string_view address) {
  std::string flat;
  ForEachGalleryCandidate(page, address, [&](const Candidate& c) {
    flat.append("[").append(c.imageUrl);
    if (!c.pageUrl.empty()) flat.append(" | ").append(c.pageUrl);
    flat += "]";
  });
  return flat;
}

struct PageCase {
  const char* name;
  const char* page;
  const char* candidates;
};

void Check(uint32_t engine, const std::vector<PageCase>& cases) {
  for (const PageCase& c : cases)
    EXPECT_EQ(Flat(ExtractCandidates(engine, c.page, "http://unused/")), c.candidates) << engine << ": " << c.name;
}

}  // namespace

TEST(ExtractCandidates, Google) {
  Check(1, {
      {"escaped twice, size from w and h",
       "<a href=\"/imgres?imgurl=http%253A%252F%252Fe.com%252Fa.jpg&amp;imgrefurl=x&amp;h=480&amp;w=640\">"
       "<img src=t1></a>",
       "[http://e.com/a.jpg 640x480]"},
      {"the same link twice gives one result",
       "<a href=/imgres?imgurl=http://e.com/a.jpg&w=1&h=2></a><a href=/imgres?imgurl=http://e.com/a.jpg&w=3&h=4></a>",
       "[http://e.com/a.jpg 1x2]"},
      {"prefix in the wrong case, mid-text, or absolute",
       "<a href=/IMGRES?imgurl=http://e.com/1.jpg></a>"
       "<a href=/x/imgres?imgurl=http://e.com/2.jpg></a>"
       "<a href=http://images.google.com/imgres?imgurl=http://e.com/3.jpg></a>"
       "<a href=/imgres?imgurl=http://e.com/4.jpg></a>",
       "[http://e.com/4.jpg]"},
      {"no image address, or not a web address",
       "<a href=/imgres?imgurl=></a><a href=/imgres?imgurl=javascript:alert(1)></a>"
       "<a href=/imgres?imgurl=http%2500x></a><a href=\"/imgres?imgurl=HTTPS://e.com/5.jpg&w=99999999999\"></a>",
       "[HTTPS://e.com/5.jpg 4294967295x0]"},
      {"single-quoted, in any tag case, among unclosed tags",
       "<p><IMG src=x><A HREF='/imgres?imgurl=http://e.com/6.jpg&amp;w=10&amp;h=20'><p>",
       "[http://e.com/6.jpg 10x20]"},
      {"a commented-out link", "<!-- <a href=/imgres?imgurl=http://e.com/7.jpg> -->", ""},
  });
}

TEST(ExtractCandidates, Ask) {
  Check(2, {
      {"absolute prefix, no size",
       "<a href=\"http://images.ask.com/fr?q=red&amp;imagesrc=http%3A%2F%2Fe.com%2Fa.jpg&amp;w=640\">x</a>"
       "<a href=\"http://images.ask.com/fr?q=red&imagesrc=http://e.com/a.jpg\">same</a>",
       "[http://e.com/a.jpg]"},
      {"relative or other-host links do not pass",
       "<a href=/fr?q=r&imagesrc=http://e.com/1.jpg></a><a href=http://IMAGES.ask.com/fr?q=r&imagesrc=http://e.com/2.jpg>"
       "<a href=https://images.ask.com/fr?q=r&imagesrc=http://e.com/3.jpg>",
       ""},
  });
}

TEST(ExtractCandidates, YahooTakesTheSchemeFromRurl) {
  const std::string view = "http://images.search.yahoo.com/search/images/view?";
  Check(3, {
      {"scheme of rurl, then :// and imgurl",
       ("<a href=\"" + view + "back=1&w=800&h=600&imgurl=e.com%2Fa.jpg&rurl=https%3A%2F%2Fsite.org%2Fpage\"></a>").c_str(),
       "[https://e.com/a.jpg 800x600]"},
      {"without rurl no result, and the address stays free for a later link",
       ("<a href=" + view + "imgurl=e.com/b.jpg></a><a href=" + view + "imgurl=e.com/b.jpg&rurl=http://s/></a>").c_str(),
       "[http://e.com/b.jpg]"},
      {"rurl without a colon gives nothing",
       ("<a href=" + view + "imgurl=e.com/c.jpg&rurl=site.org></a>").c_str(), ""},
      {"rurl of another scheme gives nothing",
       ("<a href=" + view + "imgurl=e.com/c.jpg&rurl=javascript:x></a>").c_str(), ""},
      {"duplicates by the raw imgurl",
       ("<a href=" + view + "imgurl=e.com/d.jpg&rurl=http://a></a><a href=" + view +
        "imgurl=e.com/d.jpg&rurl=https://b></a>").c_str(),
       "[http://e.com/d.jpg]"},
      {"the prefix in mid-text does not pass",
       ("<a href=x" + view + "imgurl=e.com/e.jpg&rurl=http://a></a>").c_str(), ""},
  });
}

TEST(ExtractCandidates, Lycos) {
  Check(5, {
      {"relative prefix with width and height",
       "<a href=\"image.php?image_url=http%3A%2F%2Fe.com%2Fa.jpg&amp;image_width=1024&amp;image_height=768\">"
       "<a href=\"image.php?image_url=http://e.com/b.jpg&image_width=12px\">",
       "[http://e.com/a.jpg 1024x768][http://e.com/b.jpg 12x0]"},
      {"a link written absolute does not pass",
       "<a href=http://search.lycos.com/image.php?image_url=http://e.com/1.jpg>"
       "<a href=/image.php?image_url=http://e.com/2.jpg><a href=Image.php?image_url=http://e.com/3.jpg>",
       ""},
  });
}

TEST(ExtractCandidates, UnknownEnginesGiveNothing) {
  EXPECT_TRUE(ExtractCandidates(0, "<a href=/imgres?imgurl=http://e.com/a.jpg>", "http://x/").empty());
  EXPECT_TRUE(ExtractCandidates(4, "<a href=image.php?image_url=http://e.com/a.jpg>", "http://x/").empty());
}

TEST(ExtractGalleryCandidates, LinksAroundImagesThenLoneImages) {
  const PageCase cases[] = {
      {"an A around an IMG gives two addresses, a lone IMG one",
       "<a href=big/1.jpg><img src=thumb/1.jpg></a> <img src=/lone.png>",
       "[http://g.org/pics/big/1.jpg | http://g.org/pics/thumb/1.jpg][http://g.org/lone.png]"},
      {"an A without an IMG gives nothing; its IMG-less link is not seen",
       "<a href=text.html>words</a><img src=text.html>", "[http://g.org/pics/text.html]"},
      {"each address once",
       "<a href=1.jpg><img src=t.jpg></a><a href=1.jpg><img src=u.jpg></a><a href=2.jpg><img src=t.jpg></a>"
       "<img src=u.jpg><img src=u.jpg>",
       "[http://g.org/pics/1.jpg | http://g.org/pics/t.jpg][http://g.org/pics/2.jpg][http://g.org/pics/u.jpg]"},
      {"a script link leaves its image to stand alone",
       "<a href=\"javascript:show(1)\"><img src=\"p1.jpg\"></a><img src=\"data:image/gif;base64,R0lG\">",
       "[http://g.org/pics/p1.jpg]"},
      {"unclosed A elements each find the IMG they hold",
       "<a href=a.jpg><a href=b.jpg><p><img src=c.jpg>",
       "[http://g.org/pics/a.jpg | http://g.org/pics/c.jpg][http://g.org/pics/b.jpg]"},
      {"absolute and scheme-relative links, references decoded",
       "<a href=\"https://cdn.net/x.jpg?a=1&amp;b=2\"><img src=//cdn.net/t.jpg></a>",
       "[https://cdn.net/x.jpg?a=1&b=2 | http://cdn.net/t.jpg]"},
      {"when the outer A is dropped the next A round the same IMG takes it",
       "<a href=javascript:x><a href=b.jpg><img src=c.jpg>",
       "[http://g.org/pics/b.jpg | http://g.org/pics/c.jpg]"},
      {"A elements round one IMG: a repeated link is dropped, the source goes once",
       "<a href=a.jpg><a href=a.jpg><a href=b.jpg><img src=c.jpg>",
       "[http://g.org/pics/a.jpg | http://g.org/pics/c.jpg][http://g.org/pics/b.jpg]"},
      {"a link seen as a source drops its A, and the A's IMG is no longer new",
       "<a href=a.jpg><img src=b.jpg></a><a href=b.jpg><img src=a.jpg></a>",
       "[http://g.org/pics/a.jpg | http://g.org/pics/b.jpg]"},
      {"a link that does not resolve hides nothing",
       "<a href=\"javascript:x\"><img src=\"javascript:x\"></a><img src=ok.jpg>", "[http://g.org/pics/ok.jpg]"},
      {"blanks, dots, queries and fragments go by the full rules",
       "<a href=' ./x/../big.jpg '><img src='t.jpg?s=1#f'></a><img src=\"/up/../y.png\">",
       "[http://g.org/pics/big.jpg | http://g.org/pics/t.jpg?s=1#f][http://g.org/y.png]"},
      {"sources written with and without references are the same text",
       "<img src=\"a&amp;b.jpg\"><img src=\"a&b.jpg\"><a href=\"a&#38;b.jpg\"><img src=c.jpg></a>",
       "[http://g.org/pics/a&b.jpg | http://g.org/pics/c.jpg]"},
  };
  for (const PageCase& c : cases) {
    EXPECT_EQ(Flat(ExtractGalleryCandidates(c.page, "http://g.org/pics/index.html")), c.candidates) << c.name;
    EXPECT_EQ(Handed(c.page, "http://g.org/pics/index.html"), c.candidates) << c.name;
  }
}

// Tens of thousands of distinct links share the duplicate filter's buckets by
// chance; only real repeats may be dropped.
TEST(ExtractGalleryCandidates, ManyLinksAFewRepeated) {
  constexpr size_t kImages = 60000;
  std::string page;
  for (size_t i = 0; i < kImages; ++i) page += "<img src=" + std::to_string(i) + ".jpg>";
  for (size_t i = 0; i < kImages; i += 7)
    page += "<img src=" + std::to_string(i) + ".jpg><a href=" + std::to_string(i) + ".jpg><img src=n" +
            std::to_string(i) + ".jpg></a>";
  const CandidateList cs = ExtractGalleryCandidates(page, "http://g.org/");
  constexpr size_t kLinks = (kImages + 6) / 7;
  ASSERT_EQ(cs.size(), kImages);
  // The A elements first, each with its own fallback; then every lone IMG
  // whose source no A took as its link.
  EXPECT_EQ(cs[0].imageUrl, "http://g.org/0.jpg");
  EXPECT_EQ(cs[0].pageUrl, "http://g.org/n0.jpg");
  EXPECT_EQ(cs[kLinks - 1].imageUrl, "http://g.org/59997.jpg");
  EXPECT_EQ(cs[kLinks].imageUrl, "http://g.org/1.jpg");
  EXPECT_EQ(cs[kLinks].pageUrl, "");
  EXPECT_EQ(cs.back().imageUrl, "http://g.org/59999.jpg");
  size_t withFallback = 0;
  for (const Candidate& c : cs) withFallback += !c.pageUrl.empty();
  EXPECT_EQ(withFallback, kLinks);
}

TEST(ExtractGalleryCandidates, ManyUnclosedLinksAroundOneImage) {
  std::string page;
  for (int i = 0; i < 200000; ++i) page += "<a href=" + std::to_string(i) + ".jpg>";
  page += "<img src=t.jpg>";
  const auto cs = ExtractGalleryCandidates(page, "http://g.org/");
  ASSERT_EQ(cs.size(), 200000u);
  EXPECT_EQ(cs[0].pageUrl, "http://g.org/t.jpg");
  EXPECT_EQ(cs[1].pageUrl, "");
  EXPECT_EQ(cs.back().imageUrl, "http://g.org/199999.jpg");
}
