#pragma once
// A tolerant, single-pass HTML scanner for result pages and gallery pages.
// Elements live in one flat array in document order (an element before its
// children); each knows its parent and where its subtree ends, so every walk
// is a loop and a page of a million unclosed tags costs no stack.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engines {

// Tag and attribute numbers; a name in no table is 0. Names compare without
// regard to ASCII letter case.
enum : uint16_t { kTagOther = 0, kTagA = 1, kTagImg = 2 };
enum : uint16_t { kAttrOther = 0, kAttrHref = 1, kAttrSrc = 2 };
// Both numbers are kept in two bits of an offset.
static_assert(kTagImg < 4 && kAttrSrc < 4);

using ElementIndex = uint32_t;
inline constexpr ElementIndex kNoElement = UINT32_MAX;

struct HtmlAttribute {
  uint16_t number = kAttrOther;
  std::string_view name;
  std::optional<std::string_view> value;  // character references already decoded
};

class HtmlDocument {
 public:
  size_t ElementCount() const { return elements_.size(); }
  uint16_t Tag(ElementIndex e) const { return static_cast<uint16_t>(elements_[e].name >> kOffsetBits); }
  std::string_view TagName(ElementIndex e) const;
  ElementIndex Parent(ElementIndex e) const { return elements_[e].parent; }
  // One past the last descendant: the subtree of e is [e + 1, SubtreeEnd(e)).
  ElementIndex SubtreeEnd(ElementIndex e) const { return elements_[e].end; }
  size_t AttributeCount(ElementIndex e) const;
  HtmlAttribute AttributeAt(ElementIndex e, size_t k) const;
  // The value of e's first attribute with that number: nullopt when there is
  // none or it has no value. Looks at no names.
  std::optional<std::string_view> Value(ElementIndex e, uint16_t number) const;
  // The text runs whose current element was e (null: outside every element).
  std::vector<std::string_view> TextRuns(ElementIndex e) const;

 private:
  friend class HtmlBuilder;
  // Twelve and sixteen bytes: on a page of unclosed tags the document is
  // mostly these two arrays, and the memory they touch is most of the time a
  // scan takes. Offsets stay below kMaxHtmlBytes (2^30), which leaves the top
  // two bits of a name offset for the tag or attribute number; name lengths
  // are found again from the page when asked for.
  static constexpr uint32_t kOffsetBits = 30;
  static constexpr uint32_t kOffsetMask = (uint32_t{1} << kOffsetBits) - 1;
  struct Element {
    uint32_t parent;
    uint32_t end;
    uint32_t name;  // offset into the page, tag number in the top bits
    uint32_t firstAttr;
  };
  static constexpr uint32_t kNoValue = UINT32_MAX;
  static constexpr uint32_t kInDecoded = uint32_t{1} << 31;
  struct Attr {
    uint32_t name;   // offset into the page, attribute number in the top bits
    uint32_t value;  // offset into the page, or into decoded_ with kInDecoded; kNoValue: none
    uint32_t valueLength;
  };
  struct Text {
    uint32_t owner;
    uint32_t offset;
    uint32_t length;
  };
  // The page: a copy, or the caller's bytes. Read through Source() so that a
  // moved document never views the moved-from copy.
  std::string_view Source() const { return owns_ ? std::string_view(owned_) : borrowed_; }
  std::string_view ValueOf(const Attr& a) const {
    return (a.value & kInDecoded) ? std::string_view(decoded_).substr(a.value & ~kInDecoded, a.valueLength)
                                  : Source().substr(a.value, a.valueLength);
  }
  std::string owned_;
  std::string_view borrowed_;
  bool owns_ = false;
  std::string decoded_;  // attribute values that held character references
  std::vector<Element> elements_;
  std::vector<Attr> attrs_;
  std::vector<Text> texts_;
};

// Pages are capped well below 4 GiB by the download rules; bytes past
// kMaxHtmlBytes are not scanned.
inline constexpr size_t kMaxHtmlBytes = size_t{1} << 30;
HtmlDocument ParseHtml(std::string_view bytes);
// The same without a copy of the page: `bytes` must outlive the document.
HtmlDocument ParseHtmlInPlace(std::string_view bytes);
// In place as well, keeping only what link extraction reads: the elements,
// and of their attributes only those with a number (kAttrHref, kAttrSrc).
// No text runs are kept. Less to write, and half the memory on pages where
// most attributes are classes and titles.
HtmlDocument ScanLinksInPlace(std::string_view bytes);

// The elements with that tag number in document order, among the children of
// `within` (the whole document for kNoElement), with or without descending.
std::vector<ElementIndex> Elements(const HtmlDocument& doc, uint16_t tag, ElementIndex within, bool recursive);
// The first attribute of e with that number; nullopt when it has none.
std::optional<HtmlAttribute> Attribute(const HtmlDocument& doc, ElementIndex e, uint16_t number);

}  // namespace engines
