#pragma once
// Fetching one candidate image: its image address first, its page address as
// the fallback. Portable: it sees the network only through `Downloader`.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace net {

// One downloaded object.
struct DownloadResult {
  uint32_t size = 0;       // bytes.size(); bodies are capped far below 4 GiB
  std::string fileName;    // the requested path after its last slash or backslash
  std::vector<uint8_t> bytes;
};

// What FetchCandidate needs from a session (NetSession implements it).
class Downloader {
 public:
  virtual ~Downloader() = default;
  // Nothing on failure; lastError() then says why. `type` receives the
  // served content type, empty when the server named none.
  virtual std::optional<DownloadResult> TimedDownload(const std::string& address, std::string* type) = 0;
  virtual uint32_t lastError() const = 0;
};

struct Candidate {
  std::string imageUrl;
  std::string pageUrl;  // empty when the result has none
  uint32_t width = 0;   // as the result page announced them; 0 = unknown
  uint32_t height = 0;
};

// The image to attach to a result: the fields of ImageData, owned.
struct CandidateImage {
  uint32_t size = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t reserved = 0;
  std::string fileName;
  std::vector<uint8_t> bytes;
};

struct FetchOutcome {
  uint32_t code = 0;                    // SUCCESS exactly when `image` is set
  std::optional<CandidateImage> image;
};

// Takes no lock: the caller attaches the image under its own.
FetchOutcome FetchCandidate(Downloader& session, const Candidate& candidate);

}  // namespace net
