#include "plugin/engines/html_scanner.h"

#include <algorithm>
#include <cstring>

#include "plugin/engines/char_refs.h"
#include "plugin/engines/tag_names.h"

namespace engines {
namespace {

inline bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
inline bool IsLetter(unsigned char c) { return ((c | 0x20u) - 'a') < 26u; }
inline bool IsAlnum(unsigned char c) { return IsLetter(c) || static_cast<unsigned>(c - '0') < 10u; }

inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

uint16_t AttributeNumber(const char* p, size_t n) {
  if (n == 4 && Lower(p[0]) == 'h' && Lower(p[1]) == 'r' && Lower(p[2]) == 'e' && Lower(p[3]) == 'f')
    return kAttrHref;
  if (n == 3 && Lower(p[0]) == 's' && Lower(p[1]) == 'r' && Lower(p[2]) == 'c') return kAttrSrc;
  return kAttrOther;
}

// An attribute name runs to a blank, "=" or ">".
const char* AttributeNameEnd(const char* p, const char* end) {
  while (p < end && !IsBlank(static_cast<unsigned char>(*p)) && *p != '=' && *p != '>') ++p;
  return p;
}

uint16_t TagNumber(const char* p, size_t n) {
  if (n == 1 && Lower(p[0]) == 'a') return kTagA;
  if (n == 3 && Lower(p[0]) == 'i' && Lower(p[1]) == 'm' && Lower(p[2]) == 'g') return kTagImg;
  return kTagOther;
}

}  // namespace

// One pass over the bytes. Open elements form the chain from the current
// element to the root; for each distinct tag name the deepest open element of
// that name is kept, each open element remembering the next one up, so a
// closing tag finds its element at once and every element is opened and
// closed once.
class HtmlBuilder {
 public:
  static HtmlDocument Parse(std::string_view bytes, bool copy, bool linksOnly) {
    HtmlDocument doc;
    bytes = bytes.substr(0, kMaxHtmlBytes);
    if (copy) {
      doc.owned_.assign(bytes);
      doc.owns_ = true;
      bytes = doc.owned_;
    } else {
      doc.borrowed_ = bytes;
    }
    HtmlBuilder(doc, linksOnly).Run(bytes);
    return doc;
  }

 private:
  HtmlBuilder(HtmlDocument& doc, bool linksOnly) : d_(doc), linksOnly_(linksOnly) {}

  void Run(std::string_view bytes) {
    s_ = bytes.data();
    end_ = s_ + bytes.size();
    Reserve();
    const char* p = s_;
    while (p < end_) {
      while (p < end_ && IsBlank(static_cast<unsigned char>(*p))) ++p;
      if (p == end_) break;
      if (*p != '<') {
        const void* lt = std::memchr(p, '<', static_cast<size_t>(end_ - p));
        const char* q = lt ? static_cast<const char*>(lt) : end_;
        if (!linksOnly_) d_.texts_.push_back({current_, Offset(p), static_cast<uint32_t>(q - p)});
        p = q;
        continue;
      }
      p = AfterOpenBracket(p + 1);
    }
    CloseOpenElements();
  }

  uint32_t Offset(const char* p) const { return static_cast<uint32_t>(p - s_); }

  void Reserve() {
    // A plain counting loop: the compiler vectorises it, where a memchr per
    // bracket costs a call for every tag. Byte-wide counts over blocks of at
    // most 255 bytes keep every lane busy.
    size_t brackets = 0;
    for (const char* p = s_; p < end_;) {
      const size_t n = static_cast<size_t>(end_ - p) < 255 ? static_cast<size_t>(end_ - p) : 255;
      uint8_t block = 0;
      for (size_t i = 0; i < n; ++i) block = static_cast<uint8_t>(block + (p[i] == '<'));
      brackets += block;
      p += n;
    }
    // An element takes at least "<x>" except at the very end.
    const size_t most = static_cast<size_t>(end_ - s_) / 3 + 1;
    const size_t elements = brackets < most ? brackets : most;
    d_.elements_.reserve(elements);
    // Growing this array midway would copy it, and elements often carry
    // more than one attribute; reserved room never written costs no memory.
    const size_t attrs = linksOnly_ ? elements : elements * 2;
    d_.attrs_.reserve(attrs < most ? attrs : most);
    if (!linksOnly_) d_.texts_.reserve(elements);
    nameId_.reserve(elements);
  }

  // p is just past a "<".
  const char* AfterOpenBracket(const char* p) {
    while (p < end_) {
      const auto c = static_cast<unsigned char>(*p);
      if (IsLetter(c)) return OpenElement(p);
      if (c == '/') return CloseTag(p + 1);
      if (c == '!') return SkipDeclaration(p);
      ++p;
      if (c == '>') return p;
    }
    return p;
  }

  // A comment runs to "-->", so markup commented out on a page stays out;
  // other declarations run to the next ">".
  const char* SkipDeclaration(const char* p) {
    if (end_ - p >= 3 && p[1] == '-' && p[2] == '-') {
      for (const char* q = p + 3; q < end_;) {
        const void* gt = std::memchr(q, '>', static_cast<size_t>(end_ - q));
        if (!gt) return end_;
        const char* g = static_cast<const char*>(gt);
        if (g - (p + 3) >= 2 && g[-1] == '-' && g[-2] == '-') return g + 1;
        q = g + 1;
      }
      return end_;
    }
    const void* gt = std::memchr(p, '>', static_cast<size_t>(end_ - p));
    return gt ? static_cast<const char*>(gt) + 1 : end_;
  }

  const char* OpenElement(const char* p) {
    const char* name = p;
    while (p < end_ && IsAlnum(static_cast<unsigned char>(*p))) ++p;
    const size_t nameLength = static_cast<size_t>(p - name);
    const auto index = static_cast<uint32_t>(d_.elements_.size());
    const uint32_t tag = TagNumber(name, nameLength);
    const uint32_t id = names_.Intern(std::string_view(name, nameLength));
    if (id >= top_.size()) top_.resize(id + 1, kNoElement);
    // While an element is open its end is unknown, so that field holds the
    // next open element of its name up the chain until it closes.
    d_.elements_.push_back(HtmlDocument::Element{current_, top_[id],
                                                 Offset(name) | tag << HtmlDocument::kOffsetBits,
                                                 static_cast<uint32_t>(d_.attrs_.size())});
    nameId_.push_back(id);
    top_[id] = index;
    current_ = index;
    return ReadAttributes(p);
  }

  const char* ReadAttributes(const char* p) {
    while (p < end_) {
      const auto c = static_cast<unsigned char>(*p);
      if (c == '>') {
        ++p;
        break;
      }
      if (!IsLetter(c)) {
        ++p;
        continue;
      }
      const char* name = p;
      p = AttributeNameEnd(p, end_);
      const uint32_t number = AttributeNumber(name, static_cast<size_t>(p - name));
      const bool keep = number != kAttrOther || !linksOnly_;
      HtmlDocument::Attr a{};
      a.name = Offset(name) | number << HtmlDocument::kOffsetBits;
      a.value = HtmlDocument::kNoValue;
      // Blanks around "=" are allowed, as pages write them.
      const char* afterName = p;
      while (p < end_ && IsBlank(static_cast<unsigned char>(*p))) ++p;
      if (p < end_ && *p == '=') {
        ++p;
        while (p < end_ && IsBlank(static_cast<unsigned char>(*p))) ++p;
        const char* value;
        const char* valueEnd;
        if (p < end_ && (*p == '"' || *p == '\'')) {
          const char quote = *p++;
          value = p;
          const void* close = std::memchr(p, quote, static_cast<size_t>(end_ - p));
          valueEnd = close ? static_cast<const char*>(close) : end_;
          p = close ? valueEnd + 1 : end_;
        } else {
          value = p;
          while (p < end_ && !IsBlank(static_cast<unsigned char>(*p)) && *p != '>') ++p;
          valueEnd = p;
        }
        if (keep) SetValue(a, value, static_cast<size_t>(valueEnd - value));
      } else {
        p = afterName;
      }
      if (keep) d_.attrs_.push_back(a);
    }
    return p;
  }

  void SetValue(HtmlDocument::Attr& a, const char* value, size_t length) {
    if (!std::memchr(value, '&', length)) {
      a.value = Offset(value);
      a.valueLength = static_cast<uint32_t>(length);
      return;
    }
    const size_t before = d_.decoded_.size();
    AppendDecodedReferences(std::string_view(value, length), d_.decoded_);
    // Decoding never lengthens a value, so these offsets stay below the page size.
    a.value = static_cast<uint32_t>(before) | HtmlDocument::kInDecoded;
    a.valueLength = static_cast<uint32_t>(d_.decoded_.size() - before);
  }

  // p is just past "</".
  const char* CloseTag(const char* p) {
    const char* name = p;
    while (p < end_ && IsAlnum(static_cast<unsigned char>(*p))) ++p;
    const uint32_t id = names_.Find(std::string_view(name, static_cast<size_t>(p - name)));
    if (id != TagNames::kNone && id < top_.size() && top_[id] != kNoElement) {
      const uint32_t target = top_[id];
      while (current_ != target) CloseCurrent();
      CloseCurrent();
    }
    const void* gt = std::memchr(p, '>', static_cast<size_t>(end_ - p));
    return gt ? static_cast<const char*>(gt) + 1 : end_;
  }

  void CloseCurrent() {
    HtmlDocument::Element& e = d_.elements_[current_];
    top_[nameId_[current_]] = e.end;
    e.end = static_cast<uint32_t>(d_.elements_.size());
    current_ = e.parent;
  }

  // Nothing is looked up by name any more, so the chains need no repair.
  void CloseOpenElements() {
    const auto end = static_cast<uint32_t>(d_.elements_.size());
    for (; current_ != kNoElement; current_ = d_.elements_[current_].parent) d_.elements_[current_].end = end;
  }

  HtmlDocument& d_;
  const bool linksOnly_;
  const char* s_ = nullptr;
  const char* end_ = nullptr;
  uint32_t current_ = kNoElement;
  TagNames names_;
  std::vector<uint32_t> top_;       // per name id: the deepest open element of that name
  std::vector<uint32_t> nameId_;    // per element
};

HtmlDocument ParseHtml(std::string_view bytes) { return HtmlBuilder::Parse(bytes, true, false); }

HtmlDocument ParseHtmlInPlace(std::string_view bytes) { return HtmlBuilder::Parse(bytes, false, false); }

HtmlDocument ScanLinksInPlace(std::string_view bytes) { return HtmlBuilder::Parse(bytes, false, true); }

// An element's attributes are read before any later element opens, so they
// run up to the next element's first.
size_t HtmlDocument::AttributeCount(ElementIndex e) const {
  const size_t next = e + 1 < elements_.size() ? elements_[e + 1].firstAttr : attrs_.size();
  return next - elements_[e].firstAttr;
}

// Names are cut at 65535 bytes.
std::string_view HtmlDocument::TagName(ElementIndex e) const {
  const std::string_view page = Source();
  const size_t from = elements_[e].name & kOffsetMask;
  const size_t most = page.size() - from < 0xFFFF ? page.size() - from : 0xFFFF;
  size_t n = 0;
  while (n < most && IsAlnum(static_cast<unsigned char>(page[from + n]))) ++n;
  return page.substr(from, n);
}

HtmlAttribute HtmlDocument::AttributeAt(ElementIndex e, size_t k) const {
  const Attr& a = attrs_[elements_[e].firstAttr + k];
  const std::string_view page = Source();
  const char* name = page.data() + (a.name & kOffsetMask);
  HtmlAttribute out;
  out.number = static_cast<uint16_t>(a.name >> kOffsetBits);
  out.name = std::string_view(name, static_cast<size_t>(AttributeNameEnd(name, page.data() + page.size()) - name));
  if (a.value != kNoValue) out.value = ValueOf(a);
  return out;
}

std::optional<std::string_view> HtmlDocument::Value(ElementIndex e, uint16_t number) const {
  const size_t from = elements_[e].firstAttr;
  const size_t to = e + 1 < elements_.size() ? elements_[e + 1].firstAttr : attrs_.size();
  for (size_t k = from; k < to; ++k) {
    const Attr& a = attrs_[k];
    if (a.name >> kOffsetBits != number) continue;
    if (a.value == kNoValue) return std::nullopt;
    return ValueOf(a);
  }
  return std::nullopt;
}

std::vector<std::string_view> HtmlDocument::TextRuns(ElementIndex e) const {
  std::vector<std::string_view> runs;
  size_t from = 0, to = texts_.size();
  if (e != kNoElement) {
    // Runs are recorded in page order, so those inside e lie between the
    // place e opens and the place the next element outside it opens.
    const auto firstAt = [this](uint32_t offset) {
      return static_cast<size_t>(
          std::lower_bound(texts_.begin(), texts_.end(), offset,
                           [](const Text& t, uint32_t o) { return t.offset < o; }) -
          texts_.begin());
    };
    from = firstAt(elements_[e].name & kOffsetMask);
    const uint32_t after = elements_[e].end;
    to = after < elements_.size() ? firstAt(elements_[after].name & kOffsetMask) : texts_.size();
  }
  for (size_t i = from; i < to; ++i)
    if (texts_[i].owner == e) runs.push_back(Source().substr(texts_[i].offset, texts_[i].length));
  return runs;
}

std::vector<ElementIndex> Elements(const HtmlDocument& doc, uint16_t tag, ElementIndex within, bool recursive) {
  std::vector<ElementIndex> out;
  const auto count = static_cast<ElementIndex>(doc.ElementCount());
  ElementIndex i = within == kNoElement ? 0 : within + 1;
  const ElementIndex stop = within == kNoElement ? count : doc.SubtreeEnd(within);
  while (i < stop) {
    if (doc.Tag(i) == tag) out.push_back(i);
    i = recursive ? i + 1 : doc.SubtreeEnd(i);
  }
  return out;
}

std::optional<HtmlAttribute> Attribute(const HtmlDocument& doc, ElementIndex e, uint16_t number) {
  const size_t n = doc.AttributeCount(e);
  for (size_t k = 0; k < n; ++k) {
    HtmlAttribute a = doc.AttributeAt(e, k);
    if (a.number == number) return a;
  }
  return std::nullopt;
}

}  // namespace engines
