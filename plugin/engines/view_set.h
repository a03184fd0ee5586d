#pragma once
// A set of texts seen on one page: flat open addressing over 8-byte slots
// (a hash and the number of the text), the texts themselves in a list filled
// in order. The texts must outlive the set and be shorter than 4 GiB (pages
// are capped far below that). On a page of a hundred thousand links the
// look-ups are bound by cache misses, so the slots are kept small; Hash is
// public so that a caller hashes each text once.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace engines {

class ViewSet {
 public:
  explicit ViewSet(size_t expected) : slots_(Capacity(expected)) { texts_.reserve(expected); }

  // True when the text was not in the set yet (it is now).
  bool Insert(std::string_view text) { return Insert(text, Hash(text)); }
  // The same with Hash(text) known.
  bool Insert(std::string_view text, uint32_t h) {
    Slot& s = Probe(text, h);
    if (s.text) return false;
    texts_.push_back(Text{text.data(), static_cast<uint32_t>(text.size())});
    s = Slot{h, static_cast<uint32_t>(texts_.size())};
    if (texts_.size() * 2 > slots_.size()) Grow();
    return true;
  }
  bool Contains(std::string_view text) const {
    const uint32_t h = Hash(text);
    return const_cast<ViewSet*>(this)->Probe(text, h).text != 0;
  }

  static uint32_t Hash(std::string_view t) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ t.size();
    size_t i = 0;
    for (; i + 8 <= t.size(); i += 8) {
      uint64_t w;
      std::memcpy(&w, t.data() + i, 8);
      h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
      h ^= h >> 29;
    }
    for (; i < t.size(); ++i) h = (h ^ static_cast<unsigned char>(t[i])) * 0x100000001B3ull;
    // The table is indexed by the low bits, which the byte steps above barely
    // mix: texts that differ only in their last digits would share a run of
    // slots. A full avalanche spreads them.
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    return static_cast<uint32_t>(h ^ (h >> 33));
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    uint32_t text = 0;  // 1 + index into texts_; 0: empty
  };
  struct Text {
    const char* data;
    uint32_t size;
  };
  static size_t Capacity(size_t expected) {
    size_t c = 16;
    while (c < expected * 2) c *= 2;
    return c;
  }
  Slot& Probe(std::string_view text, uint32_t h) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = h & mask;; i = (i + 1) & mask) {
      Slot& s = slots_[i];
      if (!s.text) return s;
      if (s.hash != h) continue;
      const Text& t = texts_[s.text - 1];
      if (t.size == text.size() && (t.size == 0 || std::memcmp(t.data, text.data(), t.size) == 0)) return s;
    }
  }
  void Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
      if (!s.text) continue;
      size_t i = s.hash & mask;
      while (slots_[i].text) i = (i + 1) & mask;
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;
  std::vector<Text> texts_;
};

}  // namespace engines
