#pragma once
// Tells the texts of a known collection that occur once from those that may
// repeat. Every text's hash is counted first; a text whose bucket was counted
// once is the only one of its kind, so a set of seen texts needs to hold only
// the others. Two bits a bucket and eight buckets a text keep the table near
// the cache (a page of a hundred thousand links needs 512 KiB where a set of
// them all would take several MiB), and about one text in nine shares its
// bucket by chance.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace engines {

class RepeatFilter {
 public:
  explicit RepeatFilter(size_t texts) {
    size_t buckets = 256;
    int bits = 8;
    // Past 2^26 buckets (16 MiB) more texts only share more often.
    while (buckets < texts * 8 && bits < 26) {
      buckets *= 2;
      ++bits;
    }
    counts_.assign(buckets / 4, 0);
    shift_ = 32 - bits;
  }

  void Count(uint32_t hash) {
    const uint32_t b = Bucket(hash);
    uint8_t& cell = counts_[b >> 2];
    const unsigned at = (b & 3) * 2;
    const unsigned n = (cell >> at) & 3u;
    if (n == 1) shared_ += 2;  // the bucket's first text turns out to share it
    if (n == 2) shared_ += 1;  // 2 stands for "two or more"
    if (n < 2) cell = static_cast<uint8_t>(cell + (1u << at));
  }
  // False only when the text was counted and is the only one in its bucket.
  bool MayRepeat(uint32_t hash) const {
    const uint32_t b = Bucket(hash);
    return ((counts_[b >> 2] >> ((b & 3) * 2)) & 3u) != 1;
  }
  void Prefetch(uint32_t hash) const { __builtin_prefetch(&counts_[Bucket(hash) >> 2]); }
  // How many counted texts share a bucket: all that MayRepeat lets through.
  size_t Shared() const { return shared_; }

 private:
  // The top bits: a set of the shared texts indexes by the low ones.
  uint32_t Bucket(uint32_t hash) const { return hash >> shift_; }

  std::vector<uint8_t> counts_;
  unsigned shift_ = 24;
  size_t shared_ = 0;
};

}  // namespace engines
