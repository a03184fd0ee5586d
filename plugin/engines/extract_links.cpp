#include "plugin/engines/extract_links.h"

#include <unordered_set>

#include "plugin/engines/engine_rows.h"
#include "plugin/engines/html_scanner.h"
#include "plugin/engines/query.h"
#include "plugin/engines/repeat_filter.h"
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

bool IsLinkTag(uint16_t tag) { return tag == kTagA || tag == kTagImg; }

// An A's link or an IMG's source.
std::optional<std::string_view> LinkOf(const HtmlDocument& doc, ElementIndex e) {
  return doc.Value(e, doc.Tag(e) == kTagA ? kAttrHref : kAttrSrc);
}

// The links of a gallery page offered so far. Every link of the page is
// counted first, and each occurrence is offered at most once, so a link the
// filter finds alone in its bucket is new and needs no room in the set.
// Links come with their ViewSet::Hash.
class SeenLinks {
 public:
  explicit SeenLinks(size_t links) : filter_(links), set_(0) {}
  void Count(uint32_t hash) { filter_.Count(hash); }
  void Ready() { set_ = ViewSet(filter_.Shared()); }
  void Prefetch(uint32_t hash) const { filter_.Prefetch(hash); }
  // True when no equal text was offered before.
  bool Insert(std::string_view link, uint32_t hash) { return !filter_.MayRepeat(hash) || set_.Insert(link, hash); }

 private:
  RepeatFilter filter_;
  ViewSet set_;
};

// How far ahead of the element being handled the filter's cells are asked
// for: the filter is larger than the nearest caches, and asking early lets
// the misses of many links overlap.
constexpr ElementIndex kLookAhead = 32;

}  // namespace

Candidate CandidateList::operator[](size_t i) const {
  const Item& it = items_[i];
  const std::string_view text(text_);
  return Candidate{text.substr(it.offset, it.imageLength), text.substr(it.offset + it.imageLength, it.pageLength),
                   it.width, it.height};
}

void CandidateList::Add(const Candidate& c) {
  items_.push_back(Item{text_.size(), static_cast<uint32_t>(c.imageUrl.size()), static_cast<uint32_t>(c.pageUrl.size()),
                        c.width, c.height});
  text_.append(c.imageUrl).append(c.pageUrl);
}

CandidateList ExtractCandidates(uint32_t engineId, std::string_view page, std::string_view) {
  CandidateList out;
  const EngineRow* row = FindEngineRow(engineId);
  if (!row) return out;
  const HtmlDocument doc = ScanLinksInPlace(page);
  std::unordered_set<std::string> taken;
  taken.reserve(64);
  QueryReader q;
  const auto count = static_cast<ElementIndex>(doc.ElementCount());
  for (ElementIndex e = 0; e < count; ++e) {
    if (doc.Tag(e) != kTagA) continue;
    const std::optional<std::string_view> href = doc.Value(e, kAttrHref);
    if (!href || href->substr(0, row->linkPrefix.size()) != row->linkPrefix) continue;
    q.Read(*href);
    std::string key;
    std::string image = ImageAddressOf(*row, q, key);
    if (image.empty() || !IsWebAddress(image) || taken.count(key)) continue;
    taken.insert(std::move(key));
    out.Add(Candidate{image, {}, SizeParameter(q, row->widthParameter), SizeParameter(q, row->heightParameter)});
  }
  return out;
}

namespace {

// Every text offered to SeenLinks is one that either gives a candidate or
// never can: a link that does not resolve fails the same way each time it
// comes back, so the set is filled before resolving and each link costs one
// look-up. `take` is told the room the candidates may need, then given each
// one, its views into a buffer reused for the next.
template <class Take>
void GalleryCandidates(std::string_view page, std::string_view pageAddress, Take& take) {
  const HtmlDocument doc = ScanLinksInPlace(page);
  const auto count = static_cast<ElementIndex>(doc.ElementCount());
  const LinkBase base(pageAddress);
  // Each link is hashed once; elements without one keep 0, which is only
  // ever asked for ahead of time.
  std::vector<uint32_t> hashes(count);
  std::vector<bool> hasLink(count);
  size_t links = 0, bytes = 0;
  for (ElementIndex i = 0; i < count; ++i) {
    if (!IsLinkTag(doc.Tag(i))) continue;
    if (const std::optional<std::string_view> link = LinkOf(doc, i)) {
      hashes[i] = ViewSet::Hash(*link);
      hasLink[i] = true;
      ++links;
      bytes += link->size() + pageAddress.size() + 8;
    }
  }
  SeenLinks seen(links);
  for (ElementIndex i = 0; i < count; ++i) {
    if (i + kLookAhead < count) seen.Prefetch(hashes[i + kLookAhead]);
    if (hasLink[i]) seen.Count(hashes[i]);
  }
  seen.Ready();
  take.Reserve(links, bytes);
  std::string text;
  const auto give = [&](size_t imageEnd) {
    const std::string_view t(text);
    take(Candidate{t.substr(0, imageEnd), t.substr(imageEnd), 0, 0});
  };
  // The first IMG after the current A only moves forward as the A does, so
  // "is there an IMG inside this A" costs nothing extra even when thousands
  // of A elements are left open.
  ElementIndex img = 0;
  // The last IMG an A took. A elements take IMGs in document order, so it is
  // the only taken one the loop can meet next, and A elements nested round
  // one IMG offer its source once.
  ElementIndex taken = kNoElement;
  std::vector<ElementIndex> lone;
  for (ElementIndex e = 0; e < count; ++e) {
    if (e + kLookAhead < count) seen.Prefetch(hashes[e + kLookAhead]);
    const uint16_t tag = doc.Tag(e);
    if (tag == kTagImg) {
      if (e != taken) lone.push_back(e);
      continue;
    }
    if (tag != kTagA) continue;
    if (img <= e) {
      img = e + 1;
      while (img < count && doc.Tag(img) != kTagImg) ++img;
    }
    if (img >= doc.SubtreeEnd(e)) continue;
    const std::optional<std::string_view> href = doc.Value(e, kAttrHref);
    if (!href || !seen.Insert(*href, hashes[e])) continue;
    text.clear();
    // A script or mail link around a picture leaves the picture to stand alone.
    if (!base.ResolveInto(*href, text)) continue;
    const size_t imageEnd = text.size();
    if (img != taken) {
      taken = img;
      const std::optional<std::string_view> src = doc.Value(img, kAttrSrc);
      if (src && seen.Insert(*src, hashes[img])) base.ResolveInto(*src, text);
    }
    give(imageEnd);
  }
  for (size_t k = 0; k < lone.size(); ++k) {
    if (k + kLookAhead < lone.size()) seen.Prefetch(hashes[lone[k + kLookAhead]]);
    const ElementIndex e = lone[k];
    const std::optional<std::string_view> src = doc.Value(e, kAttrSrc);
    if (!src || !seen.Insert(*src, hashes[e])) continue;
    text.clear();
    if (base.ResolveInto(*src, text)) give(text.size());
  }
}

}  // namespace

CandidateList ExtractGalleryCandidates(std::string_view page, std::string_view pageAddress) {
  struct Keep {
    CandidateList& out;
    const std::string_view page;
    void Reserve(size_t links, size_t bytes) {
      // Repeated links come out once, so a page of one link a million times
      // over must not reserve for a million; the cap keeps that to a few
      // times the page. Past the reserve (links resolved by the full rules
      // may come out longer) the list grows as usual.
      const size_t cap = 4 * page.size() + 4096;
      out.Reserve(links, bytes < cap ? bytes : cap);
    }
    void operator()(const Candidate& c) { out.Add(c); }
  };
  CandidateList out;
  Keep keep{out, page};
  GalleryCandidates(page, pageAddress, keep);
  return out;
}

void ForEachGalleryCandidate(std::string_view page, std::string_view pageAddress,
                             const std::function<void(const Candidate&)>& take) {
  struct Pass {
    const std::function<void(const Candidate&)>& take;
    void Reserve(size_t, size_t) {}
    void operator()(const Candidate& c) { take(c); }
  };
  Pass pass{take};
  GalleryCandidates(page, pageAddress, pass);
}

}  // namespace engines
