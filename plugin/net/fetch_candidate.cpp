#include "plugin/net/fetch_candidate.h"

#include "plugin/include/fetchpix.h"
#include "plugin/net/content_type.h"

namespace net {
namespace {

// An image-class download from `address`, or nothing with the reason.
std::optional<DownloadResult> ImageFrom(Downloader& session, const std::string& address, uint32_t& code) {
  std::string type;
  std::optional<DownloadResult> result = session.TimedDownload(address, &type);
  if (!result) {
    code = session.lastError();
    return std::nullopt;
  }
  if (Classify(type) != ContentClass::Image) {
    code = CONTENTNOTUSABLE;
    return std::nullopt;
  }
  code = SUCCESS;
  return result;
}

FetchOutcome Attach(DownloadResult&& download, const Candidate& candidate) {
  CandidateImage image;
  image.size = download.size;
  image.width = candidate.width;
  image.height = candidate.height;
  image.fileName = std::move(download.fileName);
  image.bytes = std::move(download.bytes);
  return {SUCCESS, std::move(image)};
}

}  // namespace

FetchOutcome FetchCandidate(Downloader& session, const Candidate& candidate) {
  uint32_t code = 0;
  if (auto image = ImageFrom(session, candidate.imageUrl, code)) return Attach(std::move(*image), candidate);
  // No connection at all, or the search is quitting: the page address would
  // fail the same way.
  if (code == NOCONNECTION || code == DOWNLOADABORTED) return {code, std::nullopt};
  if (!candidate.pageUrl.empty()) {
    uint32_t pageCode = 0;
    if (auto image = ImageFrom(session, candidate.pageUrl, pageCode)) return Attach(std::move(*image), candidate);
    if (pageCode == DOWNLOADABORTED) return {pageCode, std::nullopt};
  }
  return {code, std::nullopt};
}

}  // namespace net
