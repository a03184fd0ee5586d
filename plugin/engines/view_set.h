#pragma once
// A set of texts seen on one page: flat open addressing, one probe into a
// contiguous table per look-up. The texts must outlive the set.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace engines {

class ViewSet {
 public:
  explicit ViewSet(size_t expected) : slots_(Capacity(expected)) {}

  // True when the text was not in the set yet (it is now).
  bool Insert(std::string_view text) {
    const uint64_t h = Hash(text);
    Slot& s = Probe(text, h);
    if (s.data) return false;
    s = Slot{h, text.data() ? text.data() : "", text.size()};
    if (++count_ * 2 > slots_.size()) Grow();
    return true;
  }
  bool Contains(std::string_view text) const {
    const uint64_t h = Hash(text);
    return const_cast<ViewSet*>(this)->Probe(text, h).data != nullptr;
  }

 private:
  struct Slot {
    uint64_t hash = 0;
    const char* data = nullptr;  // null: empty
    size_t size = 0;
  };
  static size_t Capacity(size_t expected) {
    size_t c = 16;
    while (c < expected * 2) c *= 2;
    return c;
  }
  static uint64_t Hash(std::string_view t) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ t.size();
    size_t i = 0;
    for (; i + 8 <= t.size(); i += 8) {
      uint64_t w;
      std::memcpy(&w, t.data() + i, 8);
      h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
      h ^= h >> 29;
    }
    for (; i < t.size(); ++i) h = (h ^ static_cast<unsigned char>(t[i])) * 0x100000001B3ull;
    return h ^ (h >> 32);
  }
  Slot& Probe(std::string_view text, uint64_t h) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = h & mask;; i = (i + 1) & mask) {
      Slot& s = slots_[i];
      if (!s.data) return s;
      if (s.hash == h && s.size == text.size() && std::memcmp(s.data, text.data(), text.size()) == 0) return s;
    }
  }
  void Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
      if (!s.data) continue;
      size_t i = s.hash & mask;
      while (slots_[i].data) i = (i + 1) & mask;
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;
  size_t count_ = 0;
};

}  // namespace engines
