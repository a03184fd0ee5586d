#include "wallpaper/image/file_replace.h"

#include <cstdio>

namespace image {

// POSIX rename replaces the target atomically.
bool ReplaceFileWith(const char* from, const char* to) { return std::rename(from, to) == 0; }

}  // namespace image
