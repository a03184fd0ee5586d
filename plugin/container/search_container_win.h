#pragma once
// A search with a list of results: keyword engines and pages of links. Keeps
// the results and the one shown last in the archive, so that a search resumes
// where it stopped; serves next and previous by preparing the neighbouring
// result (size filter, condemned list, disk cache, download); and in quiet
// times prepares a few results ahead.
//
// Threads: the search thread runs everything but RetrieveImage and Condemn
// (caller's thread). The list and its cursors change only on the search
// thread and only under the container lock; other threads read them under it.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "plugin/container/result_list.h"
#include "plugin/core/search_thread_win.h"
#include "support/thread/monitor_win.h"

namespace net {
class NetSession;
}

class SearchContainer : public SearchThread {
 public:
  // `engineName` keys the engine node (257) under the search's node.
  explicit SearchContainer(std::string engineName);
  ~SearchContainer() override;

  void Condemn() override;

 protected:
  uint32_t RetrieveImage(ImageData** out) override;
  bool Initialise() override;
  bool Work() override;
  bool Cache() override;
  void Report() override;
  void Release() override;
  void QueueNext() override;
  void QueuePrevious() override;
  void AbortTransfers() override;

  // The source: adds results with AddResult and reports how many it added.
  // Anything but SUCCESS has put the search into STATUS_REPORT.
  virtual uint32_t FetchResults(size_t resultsBefore, uint32_t& newCount) = 0;
  // The next FetchResults starts from the beginning again.
  virtual void RestartResults() = 0;

  // True when no result in the list had this image address yet.
  bool AddResult(const std::string& imageUrl, const std::string& pageUrl, uint32_t width, uint32_t height);
  // Next and caching start again from the first result.
  void RewindCursors();
  // Down to the results-to-keep option, never past a result under a cursor.
  void TrimResults();
  net::NetSession& Session() { return *session_; }
  ArchiveNode* EngineNode() const { return engineNode_; }
  size_t ResultCount() const { return results_.Size(); }

 private:
  void Next();
  void Previous();
  // The end of results during a next request.
  void EndOfResults();
  uint32_t Prepare(Result& result);
  void Dispatch();
  void StoreCurrentId(uint32_t id);
  void DropRequest();
  uint32_t AheadLimit() const;
  bool IsCondemned(const Result& result);
  // Whether the disk cache still holds the result's image: a kept image
  // whose entry was cleared or trimmed is not shown again from memory.
  bool StillCached(const Result& result);
  // Drops the least recently prepared images beyond the kept budget; the
  // current result's image always stays.
  void TrimKeptImages();

  const std::string engineName_;
  std::unique_ptr<net::NetSession> session_;
  cMonitor containerLock_;
  ResultList results_;              // changed under containerLock_
  std::deque<uint32_t> requests_;   // search thread only
  uint32_t aheadCount_ = 0;
  uint32_t aheadLimit_ = 1;
  // Ends of results met since the current request began (a second one in the
  // same request with nothing shown means nothing can be shown).
  uint32_t endsThisRequest_ = 0;
  bool everShown_ = false;
  uint64_t useCount_ = 0;  // stamps Result::imageUsed
  uint32_t nextId_ = 1;
  ArchiveNode* engineNode_ = nullptr;
  ArchiveNode* resultsNode_ = nullptr;
  ArchiveNode* currentIdNode_ = nullptr;
  ArchiveNode* nextIdNode_ = nullptr;
};
