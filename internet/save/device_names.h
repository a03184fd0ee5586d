#pragma once
// Names Windows opens as devices instead of files, whatever folder they are in.
#include <string_view>

// True when the part of name before its first dot, without trailing blanks,
// is a device name in any letter case: "con", "Con.jpg", "NUL .txt", "COM1.png".
bool IsReservedDeviceName(std::string_view name);
