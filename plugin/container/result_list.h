#pragma once
// A search's results in order of arrival, behind a placeholder that is never
// shown, with the three cursors of a search: the result the caller has now,
// where next and previous move, and the last result prepared ahead.
// Portable and not locked itself: the search container's lock guards it
// where other threads read it.
#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "plugin/net/fetch_candidate.h"

class ArchiveNode;

struct Result {
  uint32_t id = 0;
  std::string imageUrl;
  std::string pageUrl;  // empty when the source gives none
  uint32_t width = 0;   // as announced; 0 = unknown
  uint32_t height = 0;
  ArchiveNode* node = nullptr;                 // its 272 node
  std::optional<net::CandidateImage> image;    // in memory while current or among the kept neighbours
  uint64_t imageUsed = 0;                      // when the image was last prepared, for keeping the newest
};

class ResultList {
 public:
  using Cursor = std::list<Result>::iterator;

  ResultList();
  ResultList(const ResultList&) = delete;
  ResultList& operator=(const ResultList&) = delete;

  // Real results, the placeholder not counted.
  size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  // Appends; true when no result in the list had this image address yet.
  bool Append(Result result);

  Cursor Placeholder() { return results_.begin(); }
  bool IsPlaceholder(Cursor c) const { return c == results_.begin(); }
  Cursor Last() { return std::prev(results_.end()); }
  // One result on; false (and the cursor unchanged) past the last.
  bool Forward(Cursor& c);
  // One result back; false (and the cursor unchanged) onto the placeholder.
  bool Back(Cursor& c);
  // The first result with that id, or the placeholder.
  Cursor FindId(uint32_t id);
  void AllTo(Cursor c) { current = navigation = ahead = c; }

  // Drops the oldest results while the list, placeholder counted, holds more
  // than `keep`; stops at the first result under a cursor. Gives the dropped
  // results to the caller, oldest first.
  std::vector<Result> TrimTo(size_t keep);

  Cursor current;
  Cursor navigation;
  Cursor ahead;

 private:
  std::list<Result> results_;
  size_t size_ = 0;
  std::unordered_map<std::string, uint32_t> addresses_;  // image address -> results holding it
};
