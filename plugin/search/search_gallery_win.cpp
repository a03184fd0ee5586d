#include "plugin/search/search_gallery_win.h"

#include "plugin/engines/engine_rows.h"
#include "plugin/engines/extract_links.h"
#include "plugin/engines/percent_coding.h"
#include "plugin/net/net_session_win.h"

SearchGallery::SearchGallery() : SearchContainer(std::string(engines::kUserUrlEngineName)) {}

SearchGallery::~SearchGallery() { QuitSearchHandle(); }

void SearchGallery::RestartResults() { RewindCursors(); }

uint32_t SearchGallery::FetchResults(size_t resultsBefore, uint32_t& newCount) {
  newCount = 0;
  // Once a run: a page without images is not asked for again and again.
  if (resultsBefore != 0 || fetched_) return SUCCESS;
  std::string type;
  std::optional<net::DownloadResult> page = Session().Download(engines::EncodeAddressForRequest(Text()), &type);
  if (!page) {
    if (QuitRequested()) return DOWNLOADABORTED;
    const uint32_t code = Session().lastError();
    SetStatusCode(code);
    SetStatus(STATUS_REPORT);
    return code;
  }
  fetched_ = true;
  const std::string_view html(reinterpret_cast<const char*>(page->bytes.data()), page->bytes.size());
  // Each candidate goes straight into the results: they keep copies of
  // their own, so the page's candidates are never gathered first.
  std::string image, fallback;
  engines::ForEachGalleryCandidate(html, Text(), [&](const engines::Candidate& c) {
    AddResult(image.assign(c.imageUrl), fallback.assign(c.pageUrl), 0, 0);
    ++newCount;
  });
  return SUCCESS;
}
