// What the status popup says for each plug-in status, and for how long.
#include <gtest/gtest.h>

#include <string>

#include "internet/binding/status_texts.h"
#include "plugin/include/fetchpix.h"

namespace {

TEST(TextForStatus, EveryShownStatusAndNothingElse) {
  const struct {
    uint32_t code;
    const char* text;  // null: nothing shown
    int32_t ms;
  } cases[] = {
      {SUCCESS, nullptr, 0},
      {IMAGENOTREADY, nullptr, 0},
      {IMAGENOTQUEUE, nullptr, 0},
      {ENDOFRESULTS, "End of results reached. Moving to beginning.", 4000},
      {OUTOFMEMORY, "Out of memory", 8000},
      {NOCONNECTION, "No internet connection available", 8000},
      {CONNECTIONREFUSED, "Connection refused", 8000},
      {SERVERBUSY, "Server busy", 8000},
      {URLUNAVAILABLE, "Unable to access URL", 8000},
      {CONTENTNOTUSABLE, "The content at the URL is not of a usable type", 8000},
      {URLNOTHTTP, "The URL specified is not HTTP", 8000},
      {URLNOTRESOLVED, "The URL could not be resolved", 8000},
      {NORESULTS, "No results\nTry different keywords", 8000},
      {NOPREVIOUS, "No previous images", 4000},
      {NOKEYWORDS, "No keywords specified", 8000},
      {INVALIDHANDLE, nullptr, 0},
      {ENGINEUNAVAILABLE, "The search engine is currently unavailable.", 8000},
      {PLUGINNOTLOADED, nullptr, 0},
      {0xFFFFFFFFu, nullptr, 0},
  };
  for (const auto& c : cases) {
    const std::optional<StatusText> t = TextForStatus(c.code);
    if (!c.text) {
      EXPECT_FALSE(t) << std::hex << c.code;
      continue;
    }
    ASSERT_TRUE(t) << std::hex << c.code;
    EXPECT_EQ(t->text, c.text);
    EXPECT_EQ(t->durationMs, c.ms) << c.text;
  }
}

}  // namespace
