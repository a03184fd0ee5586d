#include "ui/settings/page_fields.h"

#include <algorithm>
#include <limits>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsPoint(char c, char separator) { return c == '.' || c == separator; }

constexpr uint64_t kUint32Max = std::numeric_limits<uint32_t>::max();

// Leading digits of `text` as a number, saturating at `limit`; `used` counts the digits.
uint64_t LeadingNumber(std::string_view text, uint64_t limit, size_t& used) {
  uint64_t value = 0;
  used = 0;
  while (used < text.size() && IsDigit(text[used])) {
    value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(text[used] - '0'), limit);
    ++used;
  }
  return value;
}

}  // namespace

std::string KeepDigits(std::string_view text, bool& removed) {
  std::string out;
  for (char c : text)
    if (IsDigit(c)) out += c;
  removed = out.size() != text.size();
  return out;
}

std::string KeepDecimal(std::string_view text, char separator, bool& removed) {
  std::string out;
  for (char c : text)
    if (IsDigit(c) || IsPoint(c, separator)) out += c;
  removed = out.size() != text.size();
  return out;
}

uint32_t ParseUnsigned(std::string_view digits, uint32_t fallback) {
  if (digits.empty()) return fallback;
  size_t used = 0;
  return static_cast<uint32_t>(LeadingNumber(digits, kUint32Max, used));
}

uint32_t ParseMegapixels(std::string_view text, char separator) {
  if (text.empty()) return kDefaultMinPixels;
  size_t used = 0;
  const uint64_t whole = LeadingNumber(text, kUint32Max, used);
  uint64_t fraction = 0;
  if (used < text.size() && IsPoint(text[used], separator)) {
    // Six decimals make whole pixels; further ones are truncated away.
    uint64_t scale = 100000;
    for (size_t i = used + 1; i < text.size() && IsDigit(text[i]) && scale > 0; ++i, scale /= 10)
      fraction += static_cast<uint64_t>(text[i] - '0') * scale;
  }
  return static_cast<uint32_t>(std::min<uint64_t>(whole * 1000000 + fraction, kUint32Max));
}

std::string FormatMegapixels(uint32_t pixels, char separator) {
  const uint32_t thousandths = pixels / 1000;
  std::string fraction = std::to_string(thousandths % 1000);
  fraction.insert(0, 3 - fraction.size(), '0');
  return std::to_string(thousandths / 1000) + separator + fraction;
}

int32_t ParseHistorySize(std::string_view digits) {
  if (digits.empty()) return kDefaultHistorySize;
  size_t used = 0;
  const uint64_t n = LeadingNumber(digits, kHistorySizeMax, used);
  return std::max<int32_t>(static_cast<int32_t>(n), kHistorySizeMin);
}

int32_t ParseCacheSize(std::string_view digits) {
  size_t used = 0;
  const uint64_t megabytes = LeadingNumber(digits, kCacheMegabytesMax, used);
  if (megabytes < 1) return kDefaultCacheBytes;
  return static_cast<int32_t>(std::max<uint64_t>(megabytes, kCacheMegabytesMin) * 1000000);
}

int32_t CacheMegabytesShown(int32_t cacheSize) {
  return std::clamp<int32_t>(cacheSize / 1000000, kCacheMegabytesMin, kCacheMegabytesMax);
}

int32_t HistorySizeShown(int32_t historySize) { return std::clamp(historySize, kHistorySizeMin, kHistorySizeMax); }

std::string TruncateUtf8(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  size_t end = maxBytes;
  // Back over continuation bytes to the start of the sequence that was cut.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}
