#include "plugin/engines/extract_links.h"

#include <unordered_set>

#include "plugin/engines/engine_rows.h"
#include "plugin/engines/html_scanner.h"
#include "plugin/engines/query.h"
#include "plugin/engines/resolve_link.h"
#include "plugin/engines/view_set.h"
#include "support/text/ascii.h"

namespace engines {
namespace {

bool IsWebAddress(std::string_view a) {
  return StartsWithIgnoreCaseAscii(a, "http://") || StartsWithIgnoreCaseAscii(a, "https://");
}

// The image address a result link names, or empty; `key` receives the text
// the per-page duplicate list holds.
std::string ImageAddressOf(const EngineRow& row, const QueryReader& q, std::string& key) {
  std::optional<std::string> image = q.Value(row.imageParameter);
  if (!image || image->empty()) return {};
  if (row.rule == LinkRule::Plain) {
    key = *image;
    return std::move(*image);
  }
  const std::optional<std::string> rurl = q.Value("rurl");
  if (!rurl) return {};
  const size_t colon = rurl->find(':');
  if (colon == std::string::npos || colon == 0) return {};
  std::string address;
  address.reserve(colon + 3 + image->size());
  address.append(*rurl, 0, colon).append("://").append(*image);
  key = std::move(*image);
  return address;
}

uint32_t SizeParameter(const QueryReader& q, std::string_view name) {
  if (name.empty()) return 0;
  const std::optional<std::string> v = q.Value(name);
  return v ? ToNumber(*v) : 0;
}

}  // namespace

std::vector<Candidate> ExtractCandidates(uint32_t engineId, std::string_view page, std::string_view) {
  std::vector<Candidate> out;
  const EngineRow* row = FindEngineRow(engineId);
  if (!row) return out;
  const HtmlDocument doc = ParseHtmlInPlace(page);
  std::unordered_set<std::string> taken;
  taken.reserve(64);
  QueryReader q;
  const auto count = static_cast<ElementIndex>(doc.ElementCount());
  for (ElementIndex e = 0; e < count; ++e) {
    if (doc.Tag(e) != kTagA) continue;
    const std::optional<HtmlAttribute> href = Attribute(doc, e, kAttrHref);
    if (!href || !href->value || href->value->substr(0, row->linkPrefix.size()) != row->linkPrefix) continue;
    q.Read(*href->value);
    std::string key;
    std::string image = ImageAddressOf(*row, q, key);
    if (image.empty() || !IsWebAddress(image) || taken.count(key)) continue;
    taken.insert(std::move(key));
    Candidate c;
    c.imageUrl = std::move(image);
    c.width = SizeParameter(q, row->widthParameter);
    c.height = SizeParameter(q, row->heightParameter);
    out.push_back(std::move(c));
  }
  return out;
}

std::vector<Candidate> ExtractGalleryCandidates(std::string_view page, std::string_view pageAddress) {
  std::vector<Candidate> out;
  const HtmlDocument doc = ParseHtmlInPlace(page);
  const auto count = static_cast<ElementIndex>(doc.ElementCount());
  // The first IMG at or after each index, so "is there an IMG inside this A"
  // costs one look-up even when thousands of A elements are left open.
  std::vector<ElementIndex> nextImg(count + 1, kNoElement);
  size_t links = 0;
  for (ElementIndex i = count; i-- > 0;) {
    const uint16_t tag = doc.Tag(i);
    nextImg[i] = tag == kTagImg ? i : nextImg[i + 1];
    links += tag == kTagImg || tag == kTagA;
  }

  const LinkBase base(pageAddress);
  // Room for every A and IMG up front: a page of a hundred thousand links
  // would otherwise rebuild the set and move the list many times over.
  ViewSet seen(links);
  out.reserve(links);
  std::vector<bool> srcTaken(count);
  for (ElementIndex e = 0; e < count; ++e) {
    if (doc.Tag(e) != kTagA) continue;
    const ElementIndex img = nextImg[e + 1];
    if (img == kNoElement || img >= doc.SubtreeEnd(e)) continue;
    const std::optional<HtmlAttribute> href = Attribute(doc, e, kAttrHref);
    if (!href || !href->value || seen.Contains(*href->value)) continue;
    std::optional<std::string> image = base.Resolve(*href->value);
    // A script or mail link around a picture leaves the picture to stand alone.
    if (!image) continue;
    seen.Insert(*href->value);
    Candidate c;
    c.imageUrl = std::move(*image);
    const std::optional<HtmlAttribute> src = Attribute(doc, img, kAttrSrc);
    // Whatever Insert answers, the source is in the set from now on, so the
    // pass below would skip this IMG; marking it saves that look-up.
    if (src && src->value) srcTaken[img] = true;
    if (src && src->value && seen.Insert(*src->value)) {
      if (std::optional<std::string> fallback = base.Resolve(*src->value)) c.pageUrl = std::move(*fallback);
    }
    out.push_back(std::move(c));
  }
  for (ElementIndex e = 0; e < count; ++e) {
    if (doc.Tag(e) != kTagImg || srcTaken[e]) continue;
    const std::optional<HtmlAttribute> src = Attribute(doc, e, kAttrSrc);
    if (!src || !src->value || !seen.Insert(*src->value)) continue;
    if (std::optional<std::string> image = base.Resolve(*src->value)) {
      Candidate c;
      c.imageUrl = std::move(*image);
      out.push_back(std::move(c));
    }
  }
  return out;
}

}  // namespace engines
