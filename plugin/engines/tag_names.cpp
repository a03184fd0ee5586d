#include "plugin/engines/tag_names.h"

namespace engines {
namespace {

inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

}  // namespace

TagNames::TagNames() : slots_(64, Slot{0, {}, kNone}) {}

uint64_t TagNames::Hash(std::string_view name) {
  uint64_t h = 1469598103934665603ull;
  for (char c : name) h = (h ^ static_cast<unsigned char>(Lower(c))) * 1099511628211ull;
  return h;
}

size_t TagNames::SlotOf(std::string_view name, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  size_t i = static_cast<size_t>(hash ^ (hash >> 29)) & mask;
  while (slots_[i].id != kNone && !(slots_[i].hash == hash && SameName(slots_[i].name, name))) i = (i + 1) & mask;
  return i;
}

uint32_t TagNames::Intern(std::string_view name) {
  const uint64_t h = Hash(name);
  size_t i = SlotOf(name, h);
  if (slots_[i].id != kNone) return slots_[i].id;
  if ((count_ + 1) * 2 > slots_.size()) {
    Grow();
    i = SlotOf(name, h);
  }
  slots_[i] = Slot{h, name, count_};
  return count_++;
}

uint32_t TagNames::Find(std::string_view name) const {
  const size_t i = SlotOf(name, Hash(name));
  return slots_[i].id;
}

void TagNames::Grow() {
  std::vector<Slot> old(slots_.size() * 2, Slot{0, {}, kNone});
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (s.id == kNone) continue;
    size_t i = static_cast<size_t>(s.hash ^ (s.hash >> 29)) & mask;
    while (slots_[i].id != kNone) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

}  // namespace engines
