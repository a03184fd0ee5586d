#pragma once
// The fixed items of the settings pages' drop-down lists: text and the value
// each stores (the lists keep it as item data), and the F1 help contexts.
#include <cstdint>
#include <cstring>

struct PageChoice {
  const char* text;
  int32_t value;
};

inline constexpr PageChoice kFilterChoices[] = {{"No filtering", 0}, {"Image dimensions", 1}, {"Megapixels", 2}};

inline constexpr PageChoice kOrientationChoices[] = {
    {"Fit to screen (keep proportions)", 10}, {"Stretch to fill screen", 2}, {"Center", 0}, {"Tile", 1}};

inline constexpr PageChoice kPopupPositionChoices[] = {{"Automatic", 0},  {"Lower Right", 4}, {"Upper Right", 5},
                                                      {"Upper Left", 2}, {"Lower Left", 3},  {"Centered", 1}};

inline constexpr const char* kWidthChoices[] = {"640", "800", "1024", "1200", "1600"};
inline constexpr const char* kHeightChoices[] = {"480", "600", "768", "1024", "1200"};

// The help file's context for the page with this title (any other page: 0).
inline int32_t HelpContextForPage(const char* title) {
  static constexpr PageChoice contexts[] = {{"Source", 3}, {"Internet", 5}, {"Wallpaper", 6}, {"Misc.", 7}};
  for (const PageChoice& c : contexts)
    if (title && std::strcmp(title, c.text) == 0) return c.value;
  return 0;
}

// The position of `value` among `choices`, or -1.
template <size_t N>
int IndexOfChoice(const PageChoice (&choices)[N], int32_t value) {
  for (size_t i = 0; i < N; ++i)
    if (choices[i].value == value) return static_cast<int>(i);
  return -1;
}
