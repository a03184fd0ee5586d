#pragma once
// The file extension an image's first bytes call for.
#include <cstdint>
#include <span>
#include <string_view>

// ".jpg", ".png", ".gif", ".bmp" or ".tif" from the signature at the start of
// bytes; ".jpg" when none matches (what the engines serve most of the time).
std::string_view ExtensionFromSignature(std::span<const uint8_t> bytes);
