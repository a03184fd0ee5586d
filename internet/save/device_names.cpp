#include "internet/save/device_names.h"

#include <array>

#include "support/text/ascii.h"

namespace {
constexpr std::array<std::string_view, 6> kPlainDevices{"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};

// COM and LPT take a digit, and Windows also counts the superscripts one to
// three as digits. The name is in the ANSI code page, which may be 1252
// (single bytes) or UTF-8 (C2 xx), so both spellings are checked.
bool IsPortNumber(std::string_view rest) {
  if (rest.size() == 1) {
    const auto b = static_cast<unsigned char>(rest[0]);
    return (b >= '0' && b <= '9') || b == 0xB9 || b == 0xB2 || b == 0xB3;
  }
  if (rest.size() == 2 && static_cast<unsigned char>(rest[0]) == 0xC2) {
    const auto b = static_cast<unsigned char>(rest[1]);
    return b == 0xB9 || b == 0xB2 || b == 0xB3;
  }
  return false;
}
}  // namespace

bool IsReservedDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (auto device : kPlainDevices)
    if (EqualsIgnoreCaseAscii(stem, device)) return true;
  return (StartsWithIgnoreCaseAscii(stem, "COM") || StartsWithIgnoreCaseAscii(stem, "LPT")) &&
         IsPortNumber(stem.substr(3));
}
