#include "internet/binding/search_options.h"

#include "plugin/include/fetchpix.h"

std::vector<OptionCall> SearchOptionCalls(const Settings& s, uintptr_t window, uint32_t message) {
  std::vector<OptionCall> calls;
  switch (s.FilterType) {
    case 0:
      calls.push_back({FETCHPIX_OPTION_MIN_SIZE, 0, 0});
      calls.push_back({FETCHPIX_OPTION_MAX_SIZE, 0, 0});
      calls.push_back({FETCHPIX_OPTION_MIN_PIXELS, 0, 0});
      break;
    case 1:
      calls.push_back({FETCHPIX_OPTION_MIN_SIZE, s.MinImageWidth, s.MinImageHeight});
      calls.push_back({FETCHPIX_OPTION_MAX_SIZE, s.MaxImageWidth, s.MaxImageHeight});
      calls.push_back({FETCHPIX_OPTION_MIN_PIXELS, 0, 0});
      break;
    case 2:
      calls.push_back({FETCHPIX_OPTION_MIN_PIXELS, s.MinPixels, 0});
      calls.push_back({FETCHPIX_OPTION_MIN_SIZE, 0, 0});
      calls.push_back({FETCHPIX_OPTION_MAX_SIZE, 0, 0});
      break;
    default:  // an unknown filter leaves the plug-in's bounds as they are
      break;
  }
  calls.push_back({FETCHPIX_OPTION_NOTIFY, window, message});
  calls.push_back({FETCHPIX_OPTION_GROUP, s.GroupResults ? 1u : 0u, 0});
  calls.push_back({FETCHPIX_OPTION_BLOCK_EXPLICIT, s.BlockExplicit ? 1u : 0u, 0});
  // Negative sizes from a damaged registry would read as huge budgets: none instead.
  calls.push_back({FETCHPIX_OPTION_CACHE_BUDGET, static_cast<uintptr_t>(s.CacheSize < 0 ? 0 : s.CacheSize), 0});
  calls.push_back(
      {FETCHPIX_OPTION_KEEP_RESULTS, static_cast<uintptr_t>(s.NumResultsToCache < 0 ? 0 : s.NumResultsToCache), 0});
  return calls;
}
