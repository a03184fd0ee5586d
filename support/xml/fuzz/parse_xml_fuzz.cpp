// Reads arbitrary bytes as tagged text, and every value again with a second
// reader, as the history loader does; checks what a value may hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "support/xml/parse_xml.h"

namespace {
void ReadAll(std::string_view input, int depth) {
  ParseXML reader;
  reader.SetText(input);
  size_t tags = 0;
  for (;;) {
    ParseXMLTag tag = reader.GetNextTag();
    if (tag.empty) break;
    // Each element takes at least its "<" and ">".
    if (++tags > input.size() / 2) std::abort();
    if (tag.name.size() > ParseXML::kMaxNameBytes || tag.value.size() > input.size()) std::abort();
    for (char c : tag.value) {
      const auto b = static_cast<unsigned char>(c);
      if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') std::abort();
    }
    if (depth < 2) ReadAll(tag.value, depth + 1);
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadAll(std::string_view(reinterpret_cast<const char*>(data), size), 0);
  return 0;
}
