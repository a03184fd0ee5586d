#pragma once
#include <string>

std::string ToLowerAscii(std::string text);
// True when `text` ends with `suffix`, ignoring ASCII case.
bool EndsWithNoCase(const std::string& text, const std::string& suffix);
