#pragma once
// Candidate images read from a result page or a gallery page.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engines {

struct Candidate {
  std::string imageUrl;
  std::string pageUrl;  // the downloader's fallback address; empty when none
  uint32_t width = 0;   // as announced by the page; 0 = unknown
  uint32_t height = 0;
};

// The candidates of one keyword engine's result page, in page order, each
// image address once. Addresses that are not http(s) are left out. Unknown
// ids and "User URL" give none.
std::vector<Candidate> ExtractCandidates(uint32_t engineId, std::string_view page, std::string_view pageAddress);

// The candidates of a web page of images: first each A around an IMG (the
// A's link as image address, the IMG's source as fallback), then each IMG not
// yet seen, links resolved against `pageAddress`. Sizes are 0.
std::vector<Candidate> ExtractGalleryCandidates(std::string_view page, std::string_view pageAddress);

}  // namespace engines
