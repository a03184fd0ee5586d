#pragma once
// Search texts are stored, and compared, with every blank as its URL escape.
#include <string>
#include <string_view>

// Replaces each blank by "%20"; every other character stays as it is.
std::string EncodeBlanks(std::string_view text);
