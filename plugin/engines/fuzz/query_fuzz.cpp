// Result links and their parameters come from any page.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "plugin/engines/engine_request.h"
#include "plugin/engines/percent_coding.h"
#include "plugin/engines/query.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const engines::QueryParameters q = engines::ParseQuery(text);
  for (const auto& [name, value] : q) {
    if (value.find('\0') != std::string::npos || name.find('\0') != std::string::npos) __builtin_trap();
    (void)engines::ToNumber(value);
  }
  (void)engines::Parameter(q, "imgurl");
  (void)engines::ToNumber(text);
  if (auto d = engines::PercentDecode(text)) {
    // Encoding then decoding gives the bytes back.
    if (engines::PercentDecode(engines::PercentEncode(*d)) != *d) __builtin_trap();
  }
  const std::string forRequest = engines::EncodeAddressForRequest(text);
  for (char c : forRequest)
    if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7f) __builtin_trap();
  (void)engines::BuildRequest(1, text, 0, {false, false});
  return 0;
}
