#include "plugin/container/search_container_win.h"


#include "plugin/archive/archive.h"
#include "plugin/core/image_record.h"
#include "plugin/core/search_link_win.h"
#include "plugin/engines/percent_coding.h"
#include "plugin/engines/size_filter.h"
#include "plugin/net/net_session_win.h"
#include "support/log/log.h"

namespace {
// Preparing ahead stays within a minute of downloads, and at most this many.
constexpr uint32_t kAheadBudgetMs = 60000;
constexpr uint32_t kMostAhead = 10;
// Images of results shown or prepared lately stay in memory besides the
// current one, so that stepping back and forth over them reads no file (a
// cache file costs milliseconds under the archive's and the file system's
// locks): at most this many, and at most this many bytes in all.
constexpr size_t kMostKeptImages = 64;
constexpr uint64_t kMostKeptBytes = uint64_t{32} << 20;
}  // namespace

SearchContainer::SearchContainer(std::string engineName)
    : engineName_(std::move(engineName)), session_(std::make_unique<net::NetSession>(&QuitFlag())) {}

SearchContainer::~SearchContainer() { QuitSearchHandle(); }

void SearchContainer::AbortTransfers() { session_->Abort(); }

bool SearchContainer::Initialise() {
  Archive* archive = Link()->GetArchive();
  std::vector<Result> stored;
  uint32_t currentId = 0;
  if (archive && SearchNode()) {
    std::lock_guard<std::recursive_mutex> hold(archive->Lock());
    engineNode_ = archive->FindText(SearchNode(), kNodeEngine, engineName_);
    if (!engineNode_) engineNode_ = archive->AddText(SearchNode(), kNodeEngine, engineName_);
    resultsNode_ = archive->Find(engineNode_, nullptr, kNodeResults);
    if (!resultsNode_) resultsNode_ = archive->Add(engineNode_, kNodeResults);
    nextIdNode_ = archive->Find(engineNode_, nullptr, kNodeNextId);
    if (!nextIdNode_ || !archive->ReadU32(nextIdNode_, nextId_)) {
      nextId_ = 1;
      if (nextIdNode_) archive->SetU32(nextIdNode_, 1);
      else nextIdNode_ = archive->AddU32(engineNode_, kNodeNextId, 1);
    }
    for (ArchiveNode* r = archive->Find(resultsNode_, nullptr, kNodeResult); r;
         r = archive->Find(resultsNode_, r, kNodeResult)) {
      Result result;
      result.node = r;
      if (!archive->ReadText(archive->Find(r, nullptr, kNodeImageUrl), result.imageUrl) ||
          !archive->FindU32(r, kNodeWidth, result.width) || !archive->FindU32(r, kNodeHeight, result.height) ||
          !archive->FindU32(r, kNodeResultId, result.id))
        continue;
      archive->ReadText(archive->Find(r, nullptr, kNodePageUrl), result.pageUrl);
      // A damaged counter must not hand out an id that is taken.
      if (result.id >= nextId_) nextId_ = result.id + 1;
      stored.push_back(std::move(result));
    }
    currentIdNode_ = archive->Find(engineNode_, nullptr, kNodeCurrentId);
    if (!currentIdNode_ || !archive->ReadU32(currentIdNode_, currentId)) {
      currentId = 0;
      if (currentIdNode_) archive->SetU32(currentIdNode_, 0);
      else currentIdNode_ = archive->AddU32(engineNode_, kNodeCurrentId, 0);
    }
  }
  {
    cMonitorLock hold(containerLock_);
    for (Result& r : stored) results_.Append(std::move(r));
  }
  ResultList::Cursor current = results_.FindId(currentId);
  if (!results_.IsPlaceholder(current)) {
    // Shown in an earlier run: back on view from the disk cache, or fetched
    // again by the first request.
    std::optional<CachedImage> cached = Link()->Cache().Load(current->node);
    cMonitorLock hold(containerLock_);
    if (cached) {
      net::CandidateImage image;
      image.size = static_cast<uint32_t>(cached->bytes.size());
      image.fileName = std::move(cached->fileName);
      image.bytes = std::move(cached->bytes);
      current->image = std::move(image);
    }
    everShown_ = true;
  }
  {
    cMonitorLock hold(containerLock_);
    results_.AllTo(current);
  }
  aheadLimit_ = 1;
  aheadCount_ = 0;
  SetStatus(STATUS_CACHING);
  return true;
}

bool SearchContainer::AddResult(const std::string& imageUrl, const std::string& pageUrl, uint32_t width,
                                uint32_t height) {
  Result result;
  result.imageUrl = imageUrl;
  result.pageUrl = pageUrl;
  result.width = width;
  result.height = height;
  result.id = nextId_;
  nextId_ = nextId_ == UINT32_MAX ? 1 : nextId_ + 1;
  if (Archive* archive = Link()->GetArchive(); archive && resultsNode_) {
    std::lock_guard<std::recursive_mutex> hold(archive->Lock());
    archive->SetU32(nextIdNode_, nextId_);
    ArchiveNode* node = archive->Add(resultsNode_, kNodeResult);
    archive->AddText(node, kNodeImageUrl, imageUrl);
    if (!pageUrl.empty()) archive->AddText(node, kNodePageUrl, pageUrl);
    archive->AddU32(node, kNodeWidth, width);
    archive->AddU32(node, kNodeHeight, height);
    archive->AddU32(node, kNodeResultId, result.id);
    result.node = node;
  }
  cMonitorLock hold(containerLock_);
  return results_.Append(std::move(result));
}

void SearchContainer::TrimResults() {
  const uint32_t keep = Link()->Options().ResultsToKeep();
  std::vector<Result> dropped;
  {
    cMonitorLock hold(containerLock_);
    dropped = results_.TrimTo(keep);
  }
  Archive* archive = Link()->GetArchive();
  for (Result& r : dropped) {
    if (!r.node || !archive) continue;
    Link()->Cache().DeleteEntriesOf(r.node);
    std::lock_guard<std::recursive_mutex> hold(archive->Lock());
    archive->Remove(r.node);
  }
}

void SearchContainer::RewindCursors() {
  cMonitorLock hold(containerLock_);
  results_.navigation = results_.Placeholder();
  results_.ahead = results_.Placeholder();
}

void SearchContainer::QueueNext() {
  requests_.push_back(kSearchNext);
  SetStatus(STATUS_ACTIVE);
}

void SearchContainer::QueuePrevious() {
  requests_.push_back(kSearchPrevious);
  SetStatus(STATUS_ACTIVE);
}

void SearchContainer::DropRequest() {
  if (!requests_.empty()) requests_.pop_front();
  endsThisRequest_ = 0;
}

bool SearchContainer::Work() {
  if (requests_.empty()) {
    SetStatus(STATUS_IDLE);
    return true;
  }
  const uint32_t request = requests_.front();
  if (request == kSearchNext) {
    Next();
  } else if (request == kSearchPrevious) {
    Previous();
  } else {
    DropRequest();
    SetStatusCode(0);
    SetStatus(STATUS_REPORT);
  }
  return true;
}

void SearchContainer::StoreCurrentId(uint32_t id) {
  Archive* archive = Link()->GetArchive();
  if (!archive || !currentIdNode_) return;
  std::lock_guard<std::recursive_mutex> hold(archive->Lock());
  archive->SetU32(currentIdNode_, id);
}

void SearchContainer::EndOfResults() {
  if (!everShown_ || endsThisRequest_ > 0) {
    // Nothing can be shown: every candidate failed since the last restart.
    DropRequest();
    SetStatusCode(NORESULTS);
    SetStatus(STATUS_IDLE);
    Notify(NORESULTS);
    return;
  }
  ++endsThisRequest_;
  SetStatusCode(ENDOFRESULTS);
  Notify(ENDOFRESULTS);
  RestartResults();
  // The request stays and is served from the restarted source.
}

void SearchContainer::Next() {
  if (results_.Empty()) {
    uint32_t n = 0;
    if (FetchResults(0, n) != SUCCESS) return;
    if (n > 0) {
      cMonitorLock hold(containerLock_);
      results_.AllTo(results_.Placeholder());
      return;
    }
    DropRequest();
    SetStatusCode(NORESULTS);
    SetStatus(STATUS_IDLE);
    Notify(NORESULTS);
    return;
  }
  ResultList::Cursor next = results_.navigation;
  if (!results_.Forward(next)) {
    {
      cMonitorLock hold(containerLock_);
      results_.navigation = results_.Last();
    }
    uint32_t n = 0;
    if (FetchResults(results_.Size(), n) != SUCCESS || n > 0) return;
    EndOfResults();
    return;
  }
  {
    cMonitorLock hold(containerLock_);
    results_.navigation = next;
  }
  StoreCurrentId(next->id);
  if (Prepare(*next) == SUCCESS) {
    Dispatch();
    DropRequest();
  }
}

void SearchContainer::Previous() {
  auto none = [this] {
    SetStatusCode(NOPREVIOUS);
    SetStatus(STATUS_IDLE);
    DropRequest();
    Notify(NOPREVIOUS);
  };
  if (results_.Empty()) return none();
  ResultList::Cursor back = results_.navigation;
  if (!results_.Back(back)) {
    cMonitorLock hold(containerLock_);
    results_.navigation = results_.current;
    return none();
  }
  {
    cMonitorLock hold(containerLock_);
    results_.navigation = back;
  }
  StoreCurrentId(back->id);
  if (Prepare(*back) == SUCCESS) {
    Dispatch();
    DropRequest();
  }
}

bool SearchContainer::IsCondemned(const Result& result) {
  CondemnedList& condemned = Link()->Condemned();
  return condemned.IsCondemned(result.imageUrl) || (!result.pageUrl.empty() && condemned.IsCondemned(result.pageUrl));
}

uint32_t SearchContainer::Prepare(Result& result) {
  const SearchOptions& o = Link()->Options();
  const engines::SizeFilter limits{o.MinWidth(), o.MinHeight(), o.MaxWidth(), o.MaxHeight(), o.MinPixels()};
  if (!engines::PassesSizeFilter(limits, result.width, result.height) || IsCondemned(result)) return IMAGEREJECTED;
  if (result.image) {
    if (&result == &*results_.current || StillCached(result)) {
      result.imageUsed = ++useCount_;
      return SUCCESS;
    }
    cMonitorLock hold(containerLock_);
    result.image.reset();
  }
  if (std::optional<CachedImage> cached = Link()->Cache().Load(result.node)) {
    net::CandidateImage image;
    image.size = static_cast<uint32_t>(cached->bytes.size());
    image.width = result.width;
    image.height = result.height;
    image.fileName = std::move(cached->fileName);
    image.bytes = std::move(cached->bytes);
    cMonitorLock hold(containerLock_);
    result.image = std::move(image);
    result.imageUsed = ++useCount_;
    return SUCCESS;
  }
  if (Link()->RecentlyFailed().IsRecentlyFailed(result.imageUrl)) return IMAGESKIPPED;
  // Pages write addresses with raw blanks and non-ASCII bytes; they are
  // stored as found (the condemned list compares them so) and encoded here.
  const std::string pageUrl = result.pageUrl.empty() ? "" : engines::EncodeAddressForRequest(result.pageUrl);
  net::FetchOutcome outcome = net::FetchCandidate(
      *session_, net::Candidate{engines::EncodeAddressForRequest(result.imageUrl), pageUrl, result.width, result.height});
  switch (outcome.code) {
    case SUCCESS: {
      const ImageCache::WriteOutcome written = Link()->Cache().Write(
          result.node, outcome.image->fileName, outcome.image->bytes, Link()->Options().CacheBudget());
      if (written.overBudget) Link()->Queue(ControlEntry{kControlTrimCache});
      cMonitorLock hold(containerLock_);
      result.image = std::move(outcome.image);
      result.imageUsed = ++useCount_;
      return SUCCESS;
    }
    case NOCONNECTION:
      SetStatusCode(NOCONNECTION);
      SetStatus(STATUS_REPORT);
      return IMAGESKIPPED;
    case CONNECTIONREFUSED:
    case SERVERBUSY:
      Link()->RecentlyFailed().Remember(result.imageUrl);
      return IMAGESKIPPED;
    case DOWNLOADABORTED:
      SF_LOG(kLogInfo, "Image download aborted.");
      return DOWNLOADABORTED;
    default:
      return IMAGESKIPPED;
  }
}

bool SearchContainer::StillCached(const Result& result) {
  Archive* archive = Link()->GetArchive();
  if (!archive || !result.node) return false;
  std::lock_guard<std::recursive_mutex> hold(archive->Lock());
  return archive->Find(result.node, nullptr, kNodeCacheEntry) != nullptr;
}

void SearchContainer::TrimKeptImages() {
  // Only this thread changes the list, so it is read without the lock. A
  // walk per step costs microseconds even for thousands of results.
  for (;;) {
    size_t count = 0;
    uint64_t bytes = 0;
    Result* oldest = nullptr;
    ResultList::Cursor c = results_.Placeholder();
    while (results_.Forward(c)) {
      if (!c->image || c == results_.current) continue;
      ++count;
      bytes += c->image->bytes.size();
      if (!oldest || c->imageUsed < oldest->imageUsed) oldest = &*c;
    }
    if (!oldest || (count <= kMostKeptImages && bytes <= kMostKeptBytes)) return;
    cMonitorLock hold(containerLock_);
    oldest->image.reset();
  }
}

uint32_t SearchContainer::AheadLimit() const {
  return session_->stats().DownloadsWithin(kAheadBudgetMs, kMostAhead);
}

void SearchContainer::Dispatch() {
  {
    cMonitorLock hold(containerLock_);
    results_.current = results_.navigation;
    results_.ahead = results_.navigation;
  }
  // The result shown before stays in memory while the budget allows.
  TrimKeptImages();
  everShown_ = true;
  aheadLimit_ = AheadLimit();
  SetStatusCode(SUCCESS);
  SetStatus(requests_.size() > 1 ? STATUS_ACTIVE : STATUS_CACHING);
  SF_LOG(kLogInfo, "Image dispatched to caller program.");
  Notify(SUCCESS);
}

bool SearchContainer::Cache() {
  if (QuitRequested()) return true;
  if (results_.Empty()) {
    uint32_t n = 0;
    if (FetchResults(0, n) != SUCCESS) return true;
    if (n > 0) {
      cMonitorLock hold(containerLock_);
      results_.AllTo(results_.Placeholder());
    } else {
      SetStatus(STATUS_IDLE);
    }
    return true;
  }
  ResultList::Cursor next = results_.ahead;
  if (!results_.Forward(next)) {
    {
      cMonitorLock hold(containerLock_);
      results_.ahead = results_.Last();
    }
    uint32_t n = 0;
    if (FetchResults(results_.Size(), n) == SUCCESS && n == 0) SetStatus(STATUS_IDLE);
    return true;
  }
  {
    cMonitorLock hold(containerLock_);
    results_.ahead = next;
  }
  if (Prepare(*next) == SUCCESS) {
    SF_LOG(kLogInfo, "Image cached");
    TrimKeptImages();
    ++aheadCount_;
    aheadLimit_ = AheadLimit();
    if (aheadCount_ >= aheadLimit_) {
      SetStatus(STATUS_IDLE);
      aheadLimit_ = 0;
      SF_LOG(kLogInfo, "Caching process complete");
    }
  }
  return true;
}

uint32_t SearchContainer::RetrieveImage(ImageData** out) {
  cMonitorLock hold(containerLock_);
  if (results_.Empty() || results_.IsPlaceholder(results_.current)) return IMAGENOTQUEUE;
  const std::optional<net::CandidateImage>& image = results_.current->image;
  if (!image) {
    SF_LOG(kLogInfo, "SearchContainer, RetrieveImage, lpCurrent->lpImage = NULL");
    return IMAGENOTREADY;
  }
  return NewImageRecord(image->fileName, image->bytes, image->width, image->height, out);
}

void SearchContainer::Condemn() {
  std::string imageUrl, pageUrl;
  {
    cMonitorLock hold(containerLock_);
    if (results_.Empty() || results_.IsPlaceholder(results_.current)) return;
    imageUrl = results_.current->imageUrl;
    pageUrl = results_.current->pageUrl;
  }
  Archive* archive = Link()->GetArchive();
  if (!archive) return;
  Link()->Condemned().Condemn(*archive, imageUrl);
  if (!pageUrl.empty()) Link()->Condemned().Condemn(*archive, pageUrl);
}

void SearchContainer::Report() {
  Notify(StatusCode());
  SetStatus(STATUS_ENDED);
}

void SearchContainer::Release() { session_->Close(); }
