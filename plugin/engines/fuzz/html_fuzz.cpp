// Result pages and gallery pages come from any server.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "plugin/engines/extract_links.h"
#include "plugin/engines/html_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  const engines::HtmlDocument doc = engines::ParseHtml(page);
  // The structure every walk relies on: parents before children, subtrees nested.
  for (engines::ElementIndex e = 0; e < doc.ElementCount(); ++e) {
    const engines::ElementIndex p = doc.Parent(e);
    if (doc.SubtreeEnd(e) <= e || doc.SubtreeEnd(e) > doc.ElementCount()) __builtin_trap();
    if (p != engines::kNoElement && (p >= e || doc.SubtreeEnd(p) < doc.SubtreeEnd(e))) __builtin_trap();
    for (size_t k = 0; k < doc.AttributeCount(e); ++k) (void)doc.AttributeAt(e, k);
    (void)doc.TagName(e);
  }
  (void)doc.TextRuns(engines::kNoElement);
  // The link scan builds the same tree and finds the same links.
  const engines::HtmlDocument links = engines::ScanLinksInPlace(page);
  if (links.ElementCount() != doc.ElementCount()) __builtin_trap();
  for (engines::ElementIndex e = 0; e < doc.ElementCount(); ++e) {
    if (links.Tag(e) != doc.Tag(e) || links.Parent(e) != doc.Parent(e) || links.SubtreeEnd(e) != doc.SubtreeEnd(e))
      __builtin_trap();
    for (uint16_t n : {engines::kAttrHref, engines::kAttrSrc})
      if (links.Value(e, n) != doc.Value(e, n)) __builtin_trap();
  }
  for (uint32_t id : {1u, 2u, 3u, 5u}) (void)engines::ExtractCandidates(id, page, "http://h/p");
  // Handed over one by one or kept in a list, the candidates are the same.
  const engines::CandidateList kept = engines::ExtractGalleryCandidates(page, "http://h/dir/page.html");
  size_t i = 0;
  engines::ForEachGalleryCandidate(page, "http://h/dir/page.html", [&](const engines::Candidate& c) {
    if (i >= kept.size() || kept[i].imageUrl != c.imageUrl || kept[i].pageUrl != c.pageUrl) __builtin_trap();
    ++i;
  });
  if (i != kept.size()) __builtin_trap();
  return 0;
}
