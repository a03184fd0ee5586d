#include "plugin/engines/query.h"

#include "plugin/engines/percent_coding.h"

namespace engines {
namespace {

// Keeps NUL bytes: the first pass runs over the whole link, and only the pairs
// that hold one are left out.
std::string DecodeKeepingNul(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (;;) {
    const size_t nul = text.find("%00", from);
    const std::string_view piece = text.substr(from, nul == std::string_view::npos ? nul : nul - from);
    if (auto decoded = PercentDecode(piece)) out += *decoded;
    if (nul == std::string_view::npos) break;
    out += '\0';
    from = nul + 3;
  }
  return out;
}

}  // namespace

QueryParameters ParseQuery(std::string_view link) {
  const std::string once = DecodeKeepingNul(link);
  const std::string_view text(once);
  QueryParameters list;
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
        auto decodedValue = PercentDecode(value);
        if (decodedValue && name.find('\0') == std::string_view::npos)
          list.emplace_back(std::string(name), std::move(*decodedValue));
      }
      start = amp + 1;
    }
    q = runEnd;
  }
  return list;
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
