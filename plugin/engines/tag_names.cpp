#include "plugin/engines/tag_names.h"

namespace engines {
namespace {

// Setting bit 5 folds letters and leaves digits as they are.
inline unsigned char Fold(char c) { return static_cast<unsigned char>(c) | 0x20u; }

bool SameName(const char* a, std::string_view b) {
  for (size_t i = 0; i < b.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

inline size_t Mix(uint64_t key, size_t length) {
  uint64_t h = (key ^ (length * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
  return static_cast<size_t>(h ^ (h >> 31));
}

}  // namespace

TagNames::TagNames() : slots_(64, Slot{0, 0, kNone, nullptr}) {}

uint64_t TagNames::KeyOf(std::string_view name) {
  uint64_t k = 0;
  if (name.size() <= 8) {
    for (size_t i = 0; i < name.size(); ++i) k |= uint64_t{Fold(name[i])} << (8 * i);
    return k;
  }
  k = 1469598103934665603ull;
  for (char c : name) k = (k ^ Fold(c)) * 1099511628211ull;
  return k;
}

size_t TagNames::SlotOf(std::string_view name, uint64_t key) const {
  const size_t mask = slots_.size() - 1;
  size_t i = Mix(key, name.size()) & mask;
  for (;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.id == kNone) return i;
    if (s.key == key && s.length == name.size() && (name.size() <= 8 || SameName(s.text, name))) return i;
  }
}

uint32_t TagNames::Intern(std::string_view name) {
  const uint64_t key = KeyOf(name);
  size_t i = SlotOf(name, key);
  if (slots_[i].id != kNone) return slots_[i].id;
  if ((count_ + 1) * 2 > slots_.size()) {
    Grow();
    i = SlotOf(name, key);
  }
  slots_[i] = Slot{key, static_cast<uint32_t>(name.size()), count_, name.data()};
  return count_++;
}

uint32_t TagNames::Find(std::string_view name) const { return slots_[SlotOf(name, KeyOf(name))].id; }

void TagNames::Grow() {
  std::vector<Slot> old(slots_.size() * 2, Slot{0, 0, kNone, nullptr});
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (s.id == kNone) continue;
    size_t i = Mix(s.key, s.length) & mask;
    while (slots_[i].id != kNone) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

}  // namespace engines
