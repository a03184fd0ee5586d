// Links and page addresses come from any page; the input is "base\nlink".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plugin/engines/resolve_link.h"
#include "support/text/ascii.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const size_t nl = text.find('\n');
  const std::string_view base = text.substr(0, nl);
  const std::string_view link = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
  // Plain paths take a shorter way; blanks around a link send it the long way.
  const engines::LinkBase page(base);
  std::string padded = " ";
  padded.append(link).append(" ");
  if (page.Resolve(link) != page.Resolve(padded)) __builtin_trap();
  if (auto r = engines::ResolveLink(base, link)) {
    if (!StartsWithIgnoreCaseAscii(*r, "http://") && !StartsWithIgnoreCaseAscii(*r, "https://")) __builtin_trap();
    // A resolved address is absolute: resolving it again settles at once
    // (only blanks that ended its page's path may go on the first round).
    auto again = engines::ResolveLink("http://other/", *r);
    if (!again) __builtin_trap();
    auto third = engines::ResolveLink("http://else/", *again);
    if (!third || *third != *again) __builtin_trap();
  }
  return 0;
}
