#pragma once
// Distinct tag names of one page, each with a small id. Names are runs of
// ASCII letters and digits and fold case.
#include <cstdint>
#include <string_view>
#include <vector>

namespace engines {

class TagNames {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  TagNames();
  // The id of the name, added when new. The text must outlive the table.
  uint32_t Intern(std::string_view name);
  // The id of a name seen before, or kNone.
  uint32_t Find(std::string_view name) const;

 private:
  struct Slot {
    uint64_t key;  // a short name's folded bytes, else its hash
    uint32_t length;
    uint32_t id;  // kNone: empty
    const char* text;
  };
  static uint64_t KeyOf(std::string_view name);
  size_t SlotOf(std::string_view name, uint64_t key) const;
  void Grow();

  std::vector<Slot> slots_;
  uint32_t count_ = 0;
};

}  // namespace engines
