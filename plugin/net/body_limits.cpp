#include "plugin/net/body_limits.h"

#include <limits>

namespace net {

std::optional<uint64_t> ParseContentLength(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  if (begin == end) return std::nullopt;
  uint64_t value = 0;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  for (size_t i = begin; i < end; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (kMax - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

BodyCollector::BodyCollector(uint64_t cap, std::optional<uint64_t> announced) : cap_(cap), announced_(announced) {
  if (announced_ && *announced_ > cap_) {
    status_ = BodyStatus::TooLarge;
    return;
  }
  // Reserve what the server announced (within the cap), so that a large image
  // is not copied over and over while it grows.
  if (announced_) bytes_.reserve(static_cast<size_t>(*announced_));
}

BodyStatus BodyCollector::Add(const uint8_t* data, size_t size) {
  if (status_ != BodyStatus::Reading) return status_;
  if (size == 0) {
    status_ = announced_ && bytes_.size() < *announced_ ? BodyStatus::Short : BodyStatus::Complete;
  } else if (size > cap_ - bytes_.size()) {
    status_ = BodyStatus::TooLarge;
  } else {
    bytes_.insert(bytes_.end(), data, data + size);
  }
  if (status_ == BodyStatus::TooLarge || status_ == BodyStatus::Short) bytes_ = {};
  return status_;
}

}  // namespace net
