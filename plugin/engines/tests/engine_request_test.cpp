#include <gtest/gtest.h>

#include <set>
#include <string>

#include "plugin/engines/engine_request.h"
#include "plugin/engines/engine_rows.h"

using namespace engines;

TEST(EngineRows, IdsNamesAndCapabilitiesInRegistrationOrder) {
  const auto engines = KeywordEngines();
  ASSERT_EQ(engines.size(), 4u);
  const uint32_t ids[] = {1, 2, 3, 5};
  const uint32_t caps[] = {23, 16, 20, 20};
  std::set<std::string_view> names{kUserUrlEngineName};
  for (size_t i = 0; i < engines.size(); ++i) {
    EXPECT_EQ(engines[i].id, ids[i]);
    EXPECT_EQ(engines[i].capabilities, caps[i]);
    EXPECT_FALSE(engines[i].name.empty());
    EXPECT_TRUE(names.insert(engines[i].name).second) << "names key the stored searches: " << engines[i].name;
    EXPECT_EQ(FindEngineRow(ids[i]), &engines[i]);
  }
  EXPECT_EQ(engines[2].name, "Yahoo!");
  EXPECT_EQ(engines[3].name, "Lycos");
  EXPECT_EQ(FindEngineRow(0), nullptr);
  EXPECT_EQ(FindEngineRow(4), nullptr);
  // The absolute prefixes name the engine's own image host.
  EXPECT_EQ(FindEngineRow(2)->linkPrefix.size(), 27u);
  EXPECT_EQ(FindEngineRow(3)->linkPrefix.size(), 50u);
  EXPECT_EQ(FindEngineRow(2)->linkPrefix, "http://" + std::string(FindEngineRow(2)->host) + "/fr?q=");
  EXPECT_EQ(FindEngineRow(3)->linkPrefix,
            "http://" + std::string(FindEngineRow(3)->host) + "/search/images/view?");
}

TEST(BuildRequest, FirstRequestPathOfEveryEngine) {
  struct Case {
    uint32_t id;
    bool group, block;
    const char* text;
    const char* path;
  } cases[] = {
      {1, false, false, "red%20car", "/images?q=red%20car&start=0&filter=0&safe=off"},
      {1, true, false, "red%20car", "/images?q=red%20car&start=0&safe=off"},
      {1, false, true, "red%20car", "/images?q=red%20car&start=0&filter=0"},
      {1, true, true, "red%20car", "/images?q=red%20car&start=0"},
      {2, false, false, "red%20car", "/pictures?q=red%20car&qsrc=2072&tool=img&page=1"},
      {3, false, false, "red%20car", "/search/images?p=red%20car&toggle=1&ei=UTF-8&fr=FP-tab-img-t&b=1"},
      {5, false, false, "red%20car", "/?tab=multi&query=red%20car&offset=0"},
      // The text is encoded for the request; what the search stores is not.
      {1, true, true, "rock%20&%20roll", "/images?q=rock%20%26%20roll&start=0"},
      {5, true, true, "caf\xC3\xA9%20%25", "/?tab=multi&query=caf%C3%A9%20%2525&offset=0"},
      {3, true, true, "a%s%lu", "/search/images?p=a%25s%25lu&toggle=1&ei=UTF-8&fr=FP-tab-img-t&b=1"},
  };
  for (const Case& c : cases) {
    const auto r = BuildRequest(c.id, c.text, FirstPagePosition(c.id), RequestOptions{c.group, c.block});
    ASSERT_TRUE(r.has_value()) << c.id;
    EXPECT_EQ(r->path, c.path) << c.id << " " << c.text;
    EXPECT_EQ(r->address, "http://" + std::string(FindEngineRow(c.id)->host) + c.path);
  }
  EXPECT_FALSE(BuildRequest(0, "x", 0, {}).has_value());
  EXPECT_FALSE(BuildRequest(4, "x", 0, {}).has_value());
}

TEST(BuildRequest, PageStepping) {
  // Three pages that gave 20, 0 and 7 results.
  struct Case {
    uint32_t id;
    uint32_t positions[4];
  } cases[] = {
      {1, {0, 20, 20, 27}},
      {2, {1, 2, 3, 4}},  // one page at a time, whatever each gave
      {3, {1, 21, 21, 28}},
      {5, {0, 20, 20, 27}},
  };
  const size_t gave[] = {20, 0, 7};
  for (const Case& c : cases) {
    uint32_t pos = FirstPagePosition(c.id);
    EXPECT_EQ(pos, c.positions[0]) << c.id;
    for (int i = 0; i < 3; ++i) {
      pos = NextPagePosition(c.id, pos, gave[i]);
      EXPECT_EQ(pos, c.positions[i + 1]) << c.id << " page " << i;
    }
  }
  const auto r = BuildRequest(2, "x", NextPagePosition(2, FirstPagePosition(2), 9), {});
  EXPECT_EQ(r->path, "/pictures?q=x&qsrc=2072&tool=img&page=2");
  EXPECT_EQ(BuildRequest(1, "x", 4294967295u, {})->path, "/images?q=x&start=4294967295");
  // Saturates instead of wrapping back to the first page.
  EXPECT_EQ(NextPagePosition(1, 4294967290u, 100), 4294967295u);
  EXPECT_EQ(NextPagePosition(2, 4294967295u, 1), 4294967295u);
}
