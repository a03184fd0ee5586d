#include "plugin/net/content_type.h"

#include <array>

namespace net {

ContentClass Classify(std::string_view contentType) {
  static constexpr std::array<std::string_view, 5> kImages = {"image/jpeg", "image/gif", "image/png", "image/jpg",
                                                               "image/bmp"};
  static constexpr std::array<std::string_view, 3> kPages = {"text/html", "text/htm", "text/plain"};
  const std::string_view type = contentType.substr(0, contentType.find(';'));
  for (std::string_view t : kImages)
    if (type == t) return ContentClass::Image;
  for (std::string_view t : kPages)
    if (type == t) return ContentClass::Page;
  return ContentClass::Unusable;
}

}  // namespace net
