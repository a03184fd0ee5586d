#include "plugin/engines/engine_rows.h"

namespace engines {
namespace {

constexpr EngineRow kEngines[] = {
    {1, "google.com", 23, "images.google.com", "/images?q=%s&start=%lu", "&filter=0", "&safe=off",
     "/imgres?imgurl=", "imgurl", "w", "h", 0, PageStep::ByResults, LinkRule::Plain},
    {2, "ask.com", 16, "images.ask.com", "/pictures?q=%s&qsrc=2072&tool=img&page=%lu", "", "",
     "http://images.ask.com/fr?q=", "imagesrc", "", "", 1, PageStep::ByPage, LinkRule::Plain},
    {3, "Yahoo!", 20, "images.search.yahoo.com", "/search/images?p=%s&toggle=1&ei=UTF-8&fr=FP-tab-img-t&b=%lu", "",
     "", "http://images.search.yahoo.com/search/images/view?", "imgurl", "w", "h", 1, PageStep::ByResults,
     LinkRule::SchemeFromRurl},
    {5, "Lycos", 20, "search.lycos.com", "/?tab=multi&query=%s&offset=%lu", "", "", "image.php?", "image_url",
     "image_width", "image_height", 0, PageStep::ByResults, LinkRule::Plain},
};

}  // namespace

std::span<const EngineRow> KeywordEngines() { return kEngines; }

const EngineRow* FindEngineRow(uint32_t id) {
  for (const EngineRow& e : kEngines)
    if (e.id == id) return &e;
  return nullptr;
}

}  // namespace engines
