#include "plugin/engines/engine_request.h"

#include "plugin/engines/engine_rows.h"
#include "plugin/engines/percent_coding.h"

namespace engines {

std::optional<EngineRequest> BuildRequest(uint32_t engineId, std::string_view storedText, uint32_t pagePosition,
                                          const RequestOptions& options) {
  const EngineRow* row = FindEngineRow(engineId);
  if (!row) return std::nullopt;
  const std::string text = EncodeSearchText(storedText);
  const std::string page = std::to_string(pagePosition);
  // The templates are fixed text: "%s" and "%lu" are replaced, nothing is
  // formatted from the search text.
  std::string path;
  const std::string_view t = row->requestTemplate;
  path.reserve(t.size() + text.size() + page.size() + 20);
  for (size_t i = 0; i < t.size(); ++i) {
    if (t.substr(i, 2) == "%s") {
      path += text;
      i += 1;
    } else if (t.substr(i, 3) == "%lu") {
      path += page;
      i += 2;
    } else {
      path += t[i];
    }
  }
  if (!options.groupResults) path += row->groupOffSwitch;
  if (!options.blockExplicit) path += row->explicitOffSwitch;
  EngineRequest r;
  r.address = "http://";
  r.address += row->host;
  r.address += path;
  r.path = std::move(path);
  return r;
}

uint32_t FirstPagePosition(uint32_t engineId) {
  const EngineRow* row = FindEngineRow(engineId);
  return row ? row->firstPage : 0;
}

uint32_t NextPagePosition(uint32_t engineId, uint32_t position, size_t resultsTaken) {
  const EngineRow* row = FindEngineRow(engineId);
  if (!row) return position;
  const uint64_t step = row->step == PageStep::ByPage ? 1 : resultsTaken;
  const uint64_t next = uint64_t{position} + step;
  return next > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(next);
}

}  // namespace engines
