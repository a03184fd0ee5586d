#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/core/engine_table.h"

namespace {
std::vector<std::string> g_seen;
std::vector<std::vector<int>> g_caps;
int32_t FETCHPIX_CALL Collect(const EngineInfo* e) {
  g_seen.push_back(std::to_string(e->id) + ":" + e->name);
  g_caps.push_back({e->capabilities[0], e->capabilities[1], e->capabilities[2], e->capabilities[3],
                    e->capabilities[4]});
  return SUCCESS;
}
int g_calls = 0;
int32_t FETCHPIX_CALL Stop(const EngineInfo*) {
  ++g_calls;
  return STOPENUMERATION;
}
}  // namespace

TEST(EngineTable, BuiltInTableIsUserUrlAtIdZeroWithoutFactory) {
  EngineTable t;
  RegisterBuiltInEngines(t);
  const EngineEntry* e = t.Find(0);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->name, "User URL");
  EXPECT_EQ(e->factory, nullptr);
  EXPECT_EQ(t.Find(1), nullptr);
}

TEST(EngineTable, IdsFollowTheCounterAndExplicitIdsRaiseIt) {
  EngineTable t;
  EXPECT_EQ(t.Register("a", 0, nullptr).id, 0u);
  EXPECT_EQ(t.RegisterWithId(3, "b", 0, nullptr).id, 3u);
  EXPECT_EQ(t.Register("c", 0, nullptr).id, 4u);
  EXPECT_EQ(t.RegisterWithId(4, "d", 0, nullptr).id, 4u);  // equal to the counter
  EXPECT_EQ(t.Register("e", 0, nullptr).id, 5u);           // never a second 4
  EXPECT_EQ(t.Find(4)->name, "c");                          // the first with that id
}

TEST(EngineTable, EnumerateInOrderWithCapabilityBits) {
  EngineTable t;
  t.Register("User URL", 0, nullptr);
  t.RegisterWithId(1, "one", 23, nullptr);
  t.RegisterWithId(5, "five", 20, nullptr);
  g_seen.clear();
  g_caps.clear();
  EXPECT_EQ(t.Enumerate(&Collect), SUCCESS);
  EXPECT_EQ(g_seen, (std::vector<std::string>{"0:User URL", "1:one", "5:five"}));
  EXPECT_EQ(g_caps[1], (std::vector<int>{1, 1, 1, 0, 1}));
  EXPECT_EQ(g_caps[2], (std::vector<int>{0, 0, 1, 0, 1}));
}

TEST(EngineTable, StopEnumerationEndsAfterOneCall) {
  EngineTable t;
  t.Register("a", 0, nullptr);
  t.Register("b", 0, nullptr);
  g_calls = 0;
  EXPECT_EQ(t.Enumerate(&Stop), static_cast<uint32_t>(STOPENUMERATION));
  EXPECT_EQ(g_calls, 1);
  EXPECT_EQ(t.Enumerate(nullptr), SUCCESS);
}
