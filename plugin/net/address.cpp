#include "plugin/net/address.h"

#include <cctype>

namespace net {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

}  // namespace

Scheme SchemeOf(std::string_view address) {
  // A CR or LF in the path would reach the server as a header line of our
  // request; a blank would split the request line.
  for (char c : address) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7f) return Scheme::Other;
  }
  if (StartsWithNoCase(address, "http://") && address.size() > 7) return Scheme::Http;
  if (StartsWithNoCase(address, "https://") && address.size() > 8) return Scheme::Https;
  return Scheme::Other;
}

std::string FileNameFromPath(std::string_view objectPath) {
  const size_t last = objectPath.find_last_of("/\\");
  return std::string(last == std::string_view::npos ? objectPath : objectPath.substr(last + 1));
}

}  // namespace net
