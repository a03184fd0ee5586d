#pragma once
// What the user is told about a plug-in status: the status popup's text and
// how long it shows.
#include <cstdint>
#include <optional>
#include <string_view>

struct StatusText {
  std::string_view text;
  int32_t durationMs;
};

// Nothing for codes that are not shown (SUCCESS, internal codes, unknown ones).
std::optional<StatusText> TextForStatus(uint32_t code);
