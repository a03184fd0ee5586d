#pragma once
// Links of a page made absolute by the standard reference-resolution rules.
#include <optional>
#include <string>
#include <string_view>

namespace engines {

// `link` resolved against the address of the page it was found on. Only
// "http" and "https" results come back: a link with another scheme
// ("javascript:", "mailto:", "data:"), or a relative link on a page whose own
// address is not http(s), gives nullopt. Blanks around the link are ignored.
std::optional<std::string> ResolveLink(std::string_view pageAddress, std::string_view link);

}  // namespace engines
