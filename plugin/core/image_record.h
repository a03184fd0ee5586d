#pragma once
// The image record handed out by FetchSearch, allocated the way FreeImage frees it.
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/include/fetchpix.h"

// A new record holding copies of `fileName` and `bytes`; OUTOFMEMORY (and
// nothing allocated) when any part cannot be had, else SUCCESS with *out set.
uint32_t NewImageRecord(const std::string& fileName, const std::vector<uint8_t>& bytes, uint32_t width,
                        uint32_t height, ImageData** out);
