#pragma once
// Query parameters of a result-page link.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace engines {

using QueryParameters = std::vector<std::pair<std::string, std::string>>;

// The whole link is percent-decoded once; the text after each "?" splits into
// name=value pairs at "&"; each value is decoded once more (result links nest
// their addresses escaped twice). A pair whose name or value decodes to a NUL
// byte is left out.
QueryParameters ParseQuery(std::string_view link);

// The value of the first parameter whose name equals `name` exactly; null when none.
const std::string* Parameter(const QueryParameters& list, std::string_view name);

// The same look-up without building the list: the link is decoded once into
// a buffer that the next Read reuses, and only the values asked for are
// decoded again. Value(name) equals Parameter(ParseQuery(link), name).
class QueryReader {
 public:
  void Read(std::string_view link);
  std::optional<std::string> Value(std::string_view name) const;

 private:
  std::string once_;
};

// Leading decimal digits (no sign; empty gives 0), saturating at UINT32_MAX.
uint32_t ToNumber(std::string_view text);

}  // namespace engines
