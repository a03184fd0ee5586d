#pragma once
// Candidate images read from a result page or a gallery page.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace engines {

// One candidate, viewing the text of the list it came from.
struct Candidate {
  std::string_view imageUrl;
  std::string_view pageUrl;  // the downloader's fallback address; empty when none
  uint32_t width = 0;        // as announced by the page; 0 = unknown
  uint32_t height = 0;
};

// The candidates of one page. All their addresses share one buffer: a
// gallery page of a hundred thousand links would otherwise cost two heap
// blocks per candidate. Views stay valid while the list lives and is not
// added to.
class CandidateList {
 public:
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  Candidate operator[](size_t i) const;
  Candidate back() const { return (*this)[items_.size() - 1]; }

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Candidate;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Candidate;
    const_iterator(const CandidateList* list, size_t i) : list_(list), i_(i) {}
    Candidate operator*() const { return (*list_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const const_iterator& o) const { return i_ == o.i_; }
    bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

   private:
    const CandidateList* list_;
    size_t i_;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, items_.size()}; }

  // Room for that many candidates and bytes of addresses: growing the two
  // midway would copy them and touch fresh memory twice over.
  void Reserve(size_t candidates, size_t bytes) {
    items_.reserve(candidates);
    text_.reserve(bytes);
  }
  // Copies the candidate's addresses in.
  void Add(const Candidate& c);

 private:
  struct Item {
    size_t offset;
    uint32_t imageLength;
    uint32_t pageLength;
    uint32_t width;
    uint32_t height;
  };
  std::string text_;
  std::vector<Item> items_;
};

// The candidates of one keyword engine's result page, in page order, each
// image address once. Addresses that are not http(s) are left out. Unknown
// ids and "User URL" give none.
CandidateList ExtractCandidates(uint32_t engineId, std::string_view page, std::string_view pageAddress);

// The candidates of a web page of images: first each A around an IMG (the
// A's link as image address, the IMG's source as fallback), then each IMG not
// yet seen, links resolved against `pageAddress`. Sizes are 0.
CandidateList ExtractGalleryCandidates(std::string_view page, std::string_view pageAddress);
// The same candidates in the same order, each handed to `take` as soon as it
// is known instead of kept: a caller that copies every address into a list
// of its own needs no second one. The views last until `take` returns.
void ForEachGalleryCandidate(std::string_view page, std::string_view pageAddress,
                             const std::function<void(const Candidate&)>& take);

}  // namespace engines
