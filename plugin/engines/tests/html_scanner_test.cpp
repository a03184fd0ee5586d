#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "plugin/engines/html_scanner.h"

using namespace engines;

namespace {

// The tree as text: each element as name[attr=value,...](children),
// names as written.
std::string Shape(const HtmlDocument& d, ElementIndex within) {
  std::string out;
  ElementIndex i = within == kNoElement ? 0 : within + 1;
  const ElementIndex stop = within == kNoElement ? static_cast<ElementIndex>(d.ElementCount()) : d.SubtreeEnd(within);
  bool first = true;
  while (i < stop) {
    if (!first) out += ' ';
    first = false;
    out += std::string(d.TagName(i));
    if (d.AttributeCount(i) > 0) {
      out += '[';
      for (size_t k = 0; k < d.AttributeCount(i); ++k) {
        const HtmlAttribute a = d.AttributeAt(i, k);
        if (k) out += ',';
        out += std::string(a.name);
        if (a.value) out += "=" + std::string(*a.value);
      }
      out += ']';
    }
    if (d.SubtreeEnd(i) > i + 1) out += "(" + Shape(d, i) + ")";
    i = d.SubtreeEnd(i);
  }
  return out;
}

struct ShapeCase {
  const char* html;
  const char* shape;
};

}  // namespace

TEST(HtmlScanner, TreeShapes) {
  const ShapeCase cases[] = {
      {"", ""},
      {"plain text only", ""},
      {"<a href=x>t</a><b>", "a[href=x] b"},
      // An element is closed only by its own closing tag.
      {"<p>one<p>two<p>three", "p(p(p))"},
      {"<img src=a><img src=b>", "img[src=a](img[src=b])"},
      {"<div><p>x</div><i>", "div(p) i"},  // closing an ancestor closes what it holds
      {"<div><p></span>x</p><i>", "div(p i)"},  // a closing tag with no match changes nothing
      {"<DIV><A HREF=u>x</a></Div><i>", "DIV(A[HREF=u]) i"},
      {"<a><a></a><b>", "a(a b)"},  // the innermost of that name is left
      // Attribute forms.
      {"<a href=\"x y\" title='it is' data>", "a[href=x y,title=it is,data]"},
      {"<a href = \"spaced\">", "a[href=spaced]"},
      {"<a href=>", "a[href=]"},
      {"<a href=\"unterminated>", "a[href=unterminated>]"},
      {"<img src=x/>", "img[src=x/]"},
      {"<a 1x=2 href=y>", "a[x=2,href=y]"},  // only letters start a name
      // Comments and declarations.
      {"<!DOCTYPE html><b>", "b"},
      {"<!-- <a href=hidden> --><b>", "b"},
      {"<!-- a > b --><i>", "i"},
      {"<!-- never closed <a href=x>", ""},
      {"<!x><i>", "i"},
      // After "<" the scanner passes over other bytes to the next letter, "/" or ">".
      {"1 < 2 > <b>", "b"},
      {"x <3 <i>", "i"},
      {"< a href=q>", "a[href=q]"},
      {"<", ""},
      {"</", ""},
      {"<a", "a"},
      {"<a href", "a[href]"},
      {"<a href='", "a[href=]"},
  };
  for (const ShapeCase& c : cases) {
    const HtmlDocument d = ParseHtml(c.html);
    EXPECT_EQ(Shape(d, kNoElement), c.shape) << c.html;
  }
}

TEST(HtmlScanner, NumbersIgnoreCaseAndUnknownNamesAreZero) {
  const HtmlDocument d = ParseHtml("<A HrEf=1 SRC=2 alt=3><iMg Src=4><imgx><p>");
  ASSERT_EQ(d.ElementCount(), 4u);
  EXPECT_EQ(d.Tag(0), kTagA);
  EXPECT_EQ(d.Tag(1), kTagImg);
  EXPECT_EQ(d.Tag(2), kTagOther);
  EXPECT_EQ(d.Tag(3), kTagOther);
  EXPECT_EQ(*Attribute(d, 0, kAttrHref)->value, "1");
  EXPECT_EQ(*Attribute(d, 0, kAttrSrc)->value, "2");
  EXPECT_EQ(Attribute(d, 0, kAttrOther)->name, "alt");
  EXPECT_EQ(*Attribute(d, 1, kAttrSrc)->value, "4");
  EXPECT_FALSE(Attribute(d, 1, kAttrHref).has_value());
}

TEST(HtmlScanner, FirstAttributeOfANumberWins) {
  const HtmlDocument d = ParseHtml("<a href=one HREF=two>");
  EXPECT_EQ(*Attribute(d, 0, kAttrHref)->value, "one");
}

TEST(HtmlScanner, CharacterReferencesInAttributeValues) {
  struct Case {
    const char* value;
    const char* decoded;
  } cases[] = {
      {"/imgres?imgurl=x&amp;w=640&amp;h=480", "/imgres?imgurl=x&w=640&h=480"},
      {"&lt;&gt;&quot;", "<>\""},
      {"&#65;&#x42;&#X43;", "ABC"},
      {"&#233;", "\xC3\xA9"},
      {"&#x1F600;", "\xF0\x9F\x98\x80"},
      {"a&b", "a&b"},                  // a raw "&" stays
      {"&amp", "&amp"},                // no ";"
      {"&AMP;&nbsp;", "&AMP;&nbsp;"},  // only the four names
      {"&#0;&#xD800;&#x110000;&#;&#x;", "&#0;&#xD800;&#x110000;&#;&#x;"},
      {"&#99999999999999999999;", "&#99999999999999999999;"},
      {"&amp;amp;", "&amp;"},  // decoded once
  };
  for (const Case& c : cases) {
    const HtmlDocument d = ParseHtml(std::string("<a href=\"") + c.value + "\">");
    EXPECT_EQ(*Attribute(d, 0, kAttrHref)->value, c.decoded) << c.value;
  }
}

TEST(HtmlScanner, ElementsInDocumentOrderWithAndWithoutDescending) {
  //            0        1     2        3      4        5
  const char* html = "<a href=1><b><a href=2></b><a href=3><img></a></a><a href=4>";
  const HtmlDocument d = ParseHtml(html);
  EXPECT_EQ(Elements(d, kTagA, kNoElement, true), (std::vector<ElementIndex>{0, 2, 3, 5}));
  EXPECT_EQ(Elements(d, kTagA, kNoElement, false), (std::vector<ElementIndex>{0, 5}));
  EXPECT_EQ(Elements(d, kTagA, 0, false), (std::vector<ElementIndex>{3}));
  EXPECT_EQ(Elements(d, kTagA, 0, true), (std::vector<ElementIndex>{2, 3}));
  EXPECT_EQ(Elements(d, kTagImg, 3, false), (std::vector<ElementIndex>{4}));
  EXPECT_EQ(Elements(d, kTagImg, 5, true), (std::vector<ElementIndex>{}));
  EXPECT_EQ(d.Parent(4), 3u);
  EXPECT_EQ(d.Parent(3), 0u);
  EXPECT_EQ(d.Parent(0), kNoElement);
}

TEST(HtmlScanner, TextRunsBelongToTheCurrentElement) {
  const HtmlDocument d = ParseHtml("  lead <p> one <b>two</b>  three </p> tail");
  EXPECT_EQ(d.TextRuns(kNoElement), (std::vector<std::string_view>{"lead ", "tail"}));
  EXPECT_EQ(d.TextRuns(0), (std::vector<std::string_view>{"one ", "three "}));
  EXPECT_EQ(d.TextRuns(1), (std::vector<std::string_view>{"two"}));
  // Runs after an element's subtree, and inside an element that is never closed.
  const HtmlDocument e = ParseHtml("<p>a<b>b</b>c</p>d<i>e<u>f");
  EXPECT_EQ(e.TextRuns(kNoElement), (std::vector<std::string_view>{"d"}));
  EXPECT_EQ(e.TextRuns(0), (std::vector<std::string_view>{"a", "c"}));
  EXPECT_EQ(e.TextRuns(1), (std::vector<std::string_view>{"b"}));
  EXPECT_EQ(e.TextRuns(2), (std::vector<std::string_view>{"e"}));
  EXPECT_EQ(e.TextRuns(3), (std::vector<std::string_view>{"f"}));
}

TEST(HtmlScanner, TenMegabytesOfUnclosedTagsInBoundedTimeAndStack) {
  // Every element nests inside the one before: a recursive walk or an
  // ancestor scan per closing tag would not survive this.
  std::string page;
  const std::string unit = "<p><img src=\"/i/1234.jpg\"></span>";
  page.reserve(10u << 20);
  while (page.size() < (10u << 20)) page += unit;
  const auto start = std::chrono::steady_clock::now();
  const HtmlDocument d = ParseHtml(page);
  const std::vector<ElementIndex> imgs = Elements(d, kTagImg, kNoElement, true);
  const std::vector<ElementIndex> top = Elements(d, kTagOther, kNoElement, false);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const size_t units = page.size() / unit.size() + (page.size() % unit.size() ? 1 : 0);
  EXPECT_EQ(imgs.size(), units);
  EXPECT_EQ(top.size(), 1u);
  EXPECT_EQ(d.SubtreeEnd(0), d.ElementCount());
  EXPECT_EQ(d.Parent(static_cast<ElementIndex>(d.ElementCount() - 1)), d.ElementCount() - 2);
  // Generous for a sanitizer build on a shared machine; quadratic work takes minutes.
  EXPECT_LT(seconds, 30.0);
}

TEST(HtmlScanner, ManyClosingTagsForAnOpenAncestor) {
  // Each "</div>" closes the thousands of P elements opened since its DIV.
  std::string page;
  for (int k = 0; k < 200; ++k) {
    page += "<div>";
    for (int i = 0; i < 2000; ++i) page += "<p>";
    page += "</div>";
    for (int i = 0; i < 2000; ++i) page += "</x>";
  }
  const HtmlDocument d = ParseHtml(page);
  EXPECT_EQ(Elements(d, kTagOther, kNoElement, false).size(), 200u);
}

TEST(HtmlScanner, MovedDocumentsAndPagesReadInPlace) {
  // Short enough for the copy to live inside the string object itself.
  HtmlDocument moved = [] {
    HtmlDocument d = ParseHtml("<a href=x>");
    HtmlDocument other = std::move(d);
    return other;
  }();
  EXPECT_EQ(moved.TagName(0), "a");
  EXPECT_EQ(*Attribute(moved, 0, kAttrHref)->value, "x");
  const std::string page = "<img src=\"p&amp;q\" alt><b>";
  const HtmlDocument inPlace = ParseHtmlInPlace(page);
  EXPECT_EQ(Shape(inPlace, kNoElement), "img[src=p&q,alt](b)");
  EXPECT_EQ(inPlace.AttributeCount(0), 2u);
  EXPECT_EQ(inPlace.AttributeCount(1), 0u);
}

// The link scan builds the same tree; of the attributes it keeps only those
// with a number, in their order, and no text.
TEST(HtmlScanner, LinkScanKeepsTheTreeAndOnlyNumberedAttributes) {
  const ShapeCase cases[] = {
      {"<a class=x href=1 title=\"t&amp;\"><img alt=y src=2 SRC=3></a>text<p id=4>", "a[href=1](img[src=2,SRC=3]) p"},
      {"<div><a href=\"&lt;u&gt;\" rel><b>x</div><i src>", "div(a[href=<u>](b)) i[src]"},
      {"<!-- <a href=hidden> --><a data=\"<img src=fake>\" href=real>", "a[href=real]"},
      {"<a href='unterminated><img src=x>", "a[href=unterminated><img src=x>]"},
  };
  for (const ShapeCase& c : cases) {
    const HtmlDocument full = ParseHtml(c.html);
    const HtmlDocument links = ScanLinksInPlace(c.html);
    EXPECT_EQ(Shape(links, kNoElement), c.shape) << c.html;
    ASSERT_EQ(links.ElementCount(), full.ElementCount()) << c.html;
    for (ElementIndex e = 0; e < full.ElementCount(); ++e) {
      EXPECT_EQ(links.SubtreeEnd(e), full.SubtreeEnd(e)) << c.html;
      EXPECT_EQ(links.Parent(e), full.Parent(e)) << c.html;
      for (uint16_t n : {kAttrHref, kAttrSrc}) EXPECT_EQ(links.Value(e, n), full.Value(e, n)) << c.html;
    }
    EXPECT_TRUE(links.TextRuns(kNoElement).empty()) << c.html;
  }
}

TEST(HtmlScanner, ValueOfTheFirstAttributeOfANumber) {
  const HtmlDocument d = ParseHtml("<a title=t href HREF=2><img src=\"\" src=x><a>");
  EXPECT_EQ(d.Value(0, kAttrHref), std::nullopt);  // the first href has no value
  EXPECT_EQ(d.Value(0, kAttrSrc), std::nullopt);
  EXPECT_EQ(d.Value(1, kAttrSrc), "");
  EXPECT_EQ(d.Value(2, kAttrHref), std::nullopt);
}

TEST(HtmlScanner, LongNames) {
  // Tag names are cut at 65535 bytes; attribute names are kept whole.
  const std::string tag(70000, 'q'), attr(70000, 'w');
  const HtmlDocument d = ParseHtml("<" + tag + " " + attr + "=1 href=2>x</" + tag + "><b>");
  ASSERT_EQ(d.ElementCount(), 2u);
  EXPECT_EQ(d.TagName(0), tag.substr(0, 65535));
  EXPECT_EQ(d.SubtreeEnd(0), 1u);  // its closing tag found it
  ASSERT_EQ(d.AttributeCount(0), 2u);
  EXPECT_EQ(d.AttributeAt(0, 0).name, attr);
  EXPECT_EQ(d.AttributeAt(0, 0).value, "1");
  EXPECT_EQ(d.Value(0, kAttrHref), "2");
  EXPECT_EQ(d.TextRuns(0), (std::vector<std::string_view>{"x"}));
  EXPECT_EQ(d.TagName(1), "b");
}
