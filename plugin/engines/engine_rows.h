#pragma once
// The keyword engines: ids, display names, capability words, hosts and the
// values their result pages are read by. The plug-in's engine table and the
// tests both read this one table.
#include <cstdint>
#include <span>
#include <string_view>

namespace engines {

enum class PageStep {
  ByResults,  // the position advances by the number of results taken from the page
  ByPage,     // the position advances by 1 per page
};

enum class LinkRule {
  Plain,            // the image parameter is the image address
  SchemeFromRurl,   // scheme from "rurl" up to its first ":", then "://", then the image parameter
};

struct EngineRow {
  uint32_t id;
  std::string_view name;      // keys the stored searches: never change it
  uint32_t capabilities;      // bits 0 to 4
  std::string_view host;
  std::string_view requestTemplate;  // path and query; "%s" the text, "%lu" the page position
  std::string_view groupOffSwitch;     // appended when group results (option 6) is off
  std::string_view explicitOffSwitch;  // appended when block explicit (option 7) is off
  std::string_view linkPrefix;         // the start of a result link's HREF (case-sensitive)
  std::string_view imageParameter;
  std::string_view widthParameter;   // empty: the engine announces no size
  std::string_view heightParameter;
  uint32_t firstPage;
  PageStep step;
  LinkRule rule;
};

inline constexpr uint32_t kUserUrlEngineId = 0;
inline constexpr std::string_view kUserUrlEngineName = "User URL";

// The keyword engines in registration order (ids 1, 2, 3, 5).
std::span<const EngineRow> KeywordEngines();
// The keyword engine with that id; null for "User URL" and unknown ids.
const EngineRow* FindEngineRow(uint32_t id);

}  // namespace engines
