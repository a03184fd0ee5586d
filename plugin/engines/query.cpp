#include "plugin/engines/query.h"

#include <optional>

#include "plugin/engines/percent_coding.h"

namespace engines {
namespace {

// Keeps NUL bytes: the first pass runs over the whole link, and only the pairs
// that hold one are left out.
void DecodeKeepingNul(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  // Runs without an escape are copied whole.
  size_t i = 0;
  while (i < text.size()) {
    const size_t pct = text.find('%', i);
    if (pct == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, pct - i));
    int hi, lo;
    if (pct + 2 < text.size() && (hi = HexValue(text[pct + 1])) >= 0 && (lo = HexValue(text[pct + 2])) >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i = pct + 3;
    } else {
      out += '%';
      i = pct + 1;
    }
  }
}

// Calls f(name, value) for each non-empty pair of the runs after each "?",
// in order, until f returns true.
template <class F>
void ForEachPair(std::string_view text, F&& f) {
  size_t q = text.find('?');
  while (q != std::string_view::npos) {
    const size_t runEnd = text.find('?', q + 1);
    const std::string_view run = text.substr(q + 1, runEnd == std::string_view::npos ? runEnd : runEnd - q - 1);
    size_t start = 0;
    while (start <= run.size()) {
      size_t amp = run.find('&', start);
      if (amp == std::string_view::npos) amp = run.size();
      const std::string_view pair = run.substr(start, amp - start);
      if (!pair.empty()) {
        const size_t eq = pair.find('=');
        const std::string_view name = pair.substr(0, eq);
        const std::string_view value = eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1);
        if (f(name, value)) return;
      }
      start = amp + 1;
    }
    q = runEnd;
  }
}

std::optional<std::string> DecodeValue(std::string_view value) {
  if (value.find_first_of(std::string_view("%\0", 2)) == std::string_view::npos) return std::string(value);
  return PercentDecode(value);
}

}  // namespace

QueryParameters ParseQuery(std::string_view link) {
  std::string once;
  DecodeKeepingNul(link, once);
  const std::string_view text(once);
  QueryParameters list;
  size_t pairs = 0;
  for (char c : text) pairs += c == '&' || c == '?';
  list.reserve(pairs);
  ForEachPair(text, [&](std::string_view name, std::string_view value) {
    auto decodedValue = DecodeValue(value);
    if (decodedValue && name.find('\0') == std::string_view::npos)
      list.emplace_back(std::string(name), std::move(*decodedValue));
    return false;
  });
  return list;
}

void QueryReader::Read(std::string_view link) { DecodeKeepingNul(link, once_); }

std::optional<std::string> QueryReader::Value(std::string_view wanted) const {
  std::optional<std::string> found;
  ForEachPair(once_, [&](std::string_view name, std::string_view value) {
    if (name != wanted || name.find('\0') != std::string_view::npos) return false;
    found = DecodeValue(value);
    return found.has_value();
  });
  return found;
}

const std::string* Parameter(const QueryParameters& list, std::string_view name) {
  for (const auto& p : list)
    if (p.first == name) return &p.second;
  return nullptr;
}

uint32_t ToNumber(std::string_view text) {
  uint32_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    const uint32_t d = static_cast<uint32_t>(c - '0');
    if (n > (UINT32_MAX - d) / 10) return UINT32_MAX;
    n = n * 10 + d;
  }
  return n;
}

}  // namespace engines
