#pragma once
// Character references in attribute values.
#include <string>
#include <string_view>

namespace engines {

// Appends `value` to `out` with "&amp;", "&lt;", "&gt;", "&quot;", "&#N;" and
// "&#xH;" replaced by what they stand for (numeric ones as UTF-8). Any other
// "&", and a numeric reference to 0, a surrogate or past U+10FFFF, stays as
// it is.
void AppendDecodedReferences(std::string_view value, std::string& out);

}  // namespace engines
