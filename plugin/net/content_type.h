#pragma once
// What a served content type is good for.
#include <string_view>

namespace net {

enum class ContentClass { Unusable = 0, Image = 1, Page = 2 };

// Compares the type up to its first ';' case-sensitively, as servers send it.
ContentClass Classify(std::string_view contentType);

}  // namespace net
