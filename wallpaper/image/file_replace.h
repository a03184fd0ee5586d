#pragma once
// Moves `from` over `to`, replacing an existing file. False when it could not.
namespace image {

bool ReplaceFileWith(const char* from, const char* to);

}  // namespace image
