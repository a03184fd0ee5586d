#pragma once
// Time per download, for deciding how far ahead a search may prepare images.
#include <cstdint>

namespace net {

class DownloadStats {
 public:
  void Add(uint64_t bytes, uint64_t milliseconds);
  uint32_t count() const { return count_; }
  uint64_t bytes() const { return bytes_; }
  // Milliseconds per completed download; 0 before the first.
  double AverageMilliseconds() const;
  // How many downloads fit into `budgetMs` at the average, at most `most`;
  // `most` while nothing is known or downloads take no measurable time.
  uint32_t DownloadsWithin(uint32_t budgetMs, uint32_t most) const;

 private:
  uint32_t count_ = 0;
  uint64_t bytes_ = 0;  // 64-bit: a long search passes 4 GiB
  uint64_t milliseconds_ = 0;
};

}  // namespace net
