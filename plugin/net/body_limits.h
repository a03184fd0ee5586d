#pragma once
// Bounds on what one download may hold, checked before and while reading.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "plugin/net/content_type.h"

namespace net {

inline constexpr uint64_t kDefaultImageCap = 64ull << 20;
inline constexpr uint64_t kDefaultPageCap = 8ull << 20;

struct BodyCaps {
  uint64_t image = kDefaultImageCap;  // also for bodies of no known class
  uint64_t page = kDefaultPageCap;
  uint64_t For(ContentClass c) const { return c == ContentClass::Page ? page : image; }
};

// The value of a Content-Length header: decimal digits with optional blanks
// around them. Nothing for anything else, including values past 2^64.
std::optional<uint64_t> ParseContentLength(std::string_view text);

enum class BodyStatus { Reading, Complete, TooLarge, Short };

// Collects a body block by block. Refuses an announced length over the cap
// before anything is read, stops as soon as the cap is passed, and calls a
// body that ends before its announced length short.
class BodyCollector {
 public:
  BodyCollector(uint64_t cap, std::optional<uint64_t> announced);

  // TooLarge at once for an announced length over the cap.
  BodyStatus status() const { return status_; }
  // Appends one block; a zero-length block is the end of the body.
  BodyStatus Add(const uint8_t* data, size_t size);
  std::vector<uint8_t> Take() { return std::move(bytes_); }
  uint64_t received() const { return bytes_.size(); }

 private:
  uint64_t cap_;
  std::optional<uint64_t> announced_;
  std::vector<uint8_t> bytes_;
  BodyStatus status_ = BodyStatus::Reading;
};

}  // namespace net
