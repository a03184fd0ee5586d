#include "plugin/net/download_stats.h"

namespace net {

void DownloadStats::Add(uint64_t bytes, uint64_t milliseconds) {
  ++count_;
  bytes_ += bytes;
  milliseconds_ += milliseconds;
}

double DownloadStats::AverageMilliseconds() const {
  return count_ == 0 ? 0.0 : static_cast<double>(milliseconds_) / count_;
}

uint32_t DownloadStats::DownloadsWithin(uint32_t budgetMs, uint32_t most) const {
  const double average = AverageMilliseconds();
  if (average <= 0.0) return most;
  const double fit = budgetMs / average;
  return fit >= most ? most : static_cast<uint32_t>(fit);
}

}  // namespace net
