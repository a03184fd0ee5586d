#pragma once
// Result-page requests and page stepping of the keyword engines.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engines {

struct RequestOptions {
  bool groupResults = true;   // option 6
  bool blockExplicit = true;  // option 7
};

struct EngineRequest {
  std::string address;  // "http://" + host + path
  std::string path;     // what the server sees in the request line
};

// The request for one result page. `storedText` is the search's text as the
// handle keeps it (blanks as "%20"); it is encoded with EncodeSearchText.
// nullopt for "User URL" and unknown ids.
std::optional<EngineRequest> BuildRequest(uint32_t engineId, std::string_view storedText, uint32_t pagePosition,
                                          const RequestOptions& options);

// Where a search starts and restarts; 0 for unknown ids.
uint32_t FirstPagePosition(uint32_t engineId);
// The position after a page that gave `resultsTaken` candidates (all that the
// page yielded, new to the result list or not, so that a page of repeats still
// moves on). Saturates instead of wrapping.
uint32_t NextPagePosition(uint32_t engineId, uint32_t position, size_t resultsTaken);

}  // namespace engines
