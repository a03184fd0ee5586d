// The control thread: one command at a time, in arrival order.
#include <set>
#include <vector>

#include "plugin/core/search_link_win.h"
#include "plugin/core/search_thread_win.h"
#include "plugin/net/net_session_win.h"
#include "support/log/log.h"

void SearchLink::ControlLoop() {
  for (;;) {
    std::optional<ControlEntry> entry;
    {
      cMonitorLock hold(queueLock_);
      entry = queue_.Pop();
    }
    if (!entry) {
      WaitForSingleObject(commandEvent_.get(), INFINITE);
      continue;
    }
    Carry(*entry);
    if (entry->command == kControlQuit) return;
  }
}

void SearchLink::Carry(ControlEntry& entry) {
  switch (entry.command) {
    case kControlStart:
      StartCommand(entry.record, entry.recordId);
      break;
    case kControlNext:
    case kControlPrevious:
      ImageChangeCommand(entry.record, entry.recordId, entry.command == kControlNext);
      break;
    case kControlStop:
      StopCommand(entry.record, entry.recordId);
      break;
    case kControlClearCache:
      ClearCacheCommand();
      break;
    case kControlClearHistory:
      ClearHistoryCommand(entry.text);
      break;
    case kControlTrimCache:
      TrimCacheCommand();
      break;
    case kControlQuit:
      QuitCommand();
      break;
    default:
      break;
  }
}

void SearchLink::Fail(CurrentSearch* record, uint32_t id, uint32_t code) {
  {
    cMonitorLock hold(handleLock_);
    if (!records_.Find(record, id)) return;
    record->dwStatus = CONTROL_STATUS_FAILED;
    record->errorCode = code;
  }
  Notify(record, code);
}

uint32_t SearchLink::ProbeAddress(uint32_t id, const std::string& address, std::string& type) {
  net::NetSession session(&quitting_);
  bool stopping = false;
  {
    std::lock_guard<std::mutex> hold(probeLock_);
    probe_ = &session;
    probeId_ = id;
    stopping = stopsAsked_.count(id) != 0;
  }
  const uint32_t code =
      quitting_.load() || stopping ? static_cast<uint32_t>(DOWNLOADABORTED) : session.Probe(address, &type);
  {
    std::lock_guard<std::mutex> hold(probeLock_);
    probe_ = nullptr;
  }
  session.Close();
  return code;
}

void SearchLink::StartCommand(CurrentSearch* record, uint32_t id) {
  std::string text;
  uint32_t engineId = 0;
  {
    cMonitorLock hold(handleLock_);
    // A record stopped before its start came round is gone.
    if (!records_.Find(record, id)) return;
    text = record->text;
    engineId = record->engineId;
  }

  std::unique_ptr<SearchThread> search;
  uint32_t kind = SEARCH_KIND_UNKNOWN;
  if (engineId != FETCHPIX_ENGINE_USER_URL) {
    const EngineEntry* engine = engines_.Find(engineId);
    if (engine && engine->factory) search = engine->factory(engineId);
    kind = SEARCH_KIND_ENGINE;
  } else {
    // Outside every lock, with time-outs: a silent server must not freeze
    // the exports.
    std::string type;
    const uint32_t code = ProbeAddress(id, text, type);
    // Shutting down or stopping: the quit or the queued stop ends the record.
    if (code == DOWNLOADABORTED) return;
    if (code != SUCCESS) {
      Fail(record, id, code);
      return;
    }
    switch (net::NetSession::Classify(type)) {
      case net::ContentClass::Image:
        kind = SEARCH_KIND_IMAGE;
        search = factory_.ForImage();
        break;
      case net::ContentClass::Page:
        kind = SEARCH_KIND_GALLERY;
        search = factory_.ForPage();
        break;
      default:
        Fail(record, id, CONTENTNOTUSABLE);
        return;
    }
  }

  if (!search) {
    SF_LOG(kLogError, "Unable to initialise search");
    // Ending the record silently would leave the caller waiting for ever.
    Fail(record, id, ENGINEUNAVAILABLE);
    return;
  }
  // No lock while the thread starts: its first notifications must not wait
  // for us.
  if (search->InitSearchHandle(text, *this, record) != SUCCESS) {
    SF_LOG(kLogError, "Unable to initialise search");
    search->QuitSearchHandle();
    Fail(record, id, OUTOFMEMORY);
    return;
  }
  cMonitorLock hold(handleLock_);
  if (!records_.Find(record, id)) return;  // cannot happen: only this thread removes records
  record->kind = kind;
  record->lpSearch = search.release();
  record->dwStatus = CONTROL_STATUS_READY;
}

void SearchLink::ImageChangeCommand(CurrentSearch* record, uint32_t id, bool next) {
  SearchThread* search = nullptr;
  uint32_t failedCode = 0;
  {
    cMonitorLock hold(handleLock_);
    if (!records_.Find(record, id)) return;
    if (record->dwStatus == CONTROL_STATUS_READY)
      search = record->lpSearch;
    else if (record->dwStatus == CONTROL_STATUS_FAILED)
      failedCode = record->errorCode;
  }
  // The object lives until this thread stops the record, so it may be used
  // without the lock.
  if (search) {
    const uint32_t code = search->QueueImageChange(next);
    if (code != SUCCESS) Notify(record, code);
  } else if (failedCode) {
    Notify(record, failedCode);
  }
}

void SearchLink::StopCommand(CurrentSearch* record, uint32_t id) {
  SF_LOG(kLogInfo, "Control Search Handle Quit Message Received");
  {
    std::lock_guard<std::mutex> hold(probeLock_);
    stopsAsked_.erase(id);
  }
  SearchThread* search = nullptr;
  {
    cMonitorLock hold(handleLock_);
    // A second stop, or one for a record a history clear already ended.
    if (!records_.Find(record, id)) return;
    if (record->dwStatus == CONTROL_STATUS_READY) search = record->lpSearch;
  }
  if (search) {
    SF_LOG(kLogInfo, "Passing Control to Search Handle to Quit");
    // Without the handle-list lock: the search thread may be posting, and the
    // caller's FetchSearch holds the lock while it reads the search's image.
    search->QuitSearchHandle();
  }
  std::unique_ptr<CurrentSearch> gone;
  {
    cMonitorLock hold(handleLock_);
    gone = records_.Remove(record);
  }
  // Unlinked under the lock, so no export still uses the object.
  if (gone) delete gone->lpSearch;
}

ImageCache::Keep SearchLink::LiveSingleImages() {
  std::set<std::string> texts;
  {
    cMonitorLock hold(handleLock_);
    for (CurrentSearch* r : records_.All())
      if (r->kind == SEARCH_KIND_IMAGE) texts.insert(r->text);
  }
  return [texts = std::move(texts)](const std::string& text) { return texts.count(text) != 0; };
}

void SearchLink::ClearCacheCommand() {
  cache_.Clear(UserNode(), LiveSingleImages());
  recentlyFailed_.Clear();
}

void SearchLink::TrimCacheCommand() { cache_.Trim(UserNode(), LiveSingleImages(), options_.CacheBudget()); }

void SearchLink::ClearHistoryCommand(const std::optional<std::string>& text) {
  if (!text) return;
  std::vector<std::pair<CurrentSearch*, uint32_t>> matching;
  {
    cMonitorLock hold(handleLock_);
    for (CurrentSearch* r : records_.WithText(*text)) matching.emplace_back(r, r->id);
  }
  for (auto& [record, id] : matching) StopCommand(record, id);
  Archive* archive = GetArchive();
  if (!archive || !UserNode()) return;
  // Only this thread removes search nodes, so the node found stays while the
  // cache (whose lock comes before the archive's) deletes its files.
  ArchiveNode* node = nullptr;
  {
    std::lock_guard<std::recursive_mutex> hold(archive->Lock());
    node = archive->FindText(UserNode(), kNodeSearch, *text);
  }
  if (!node) return;
  cache_.DeleteEntriesOfSearch(node);
  std::lock_guard<std::recursive_mutex> hold(archive->Lock());
  archive->Remove(node);
}

void SearchLink::QuitCommand() {
  SF_LOG(kLogInfo, "Quit Control Message Received");
  for (;;) {
    CurrentSearch* first = nullptr;
    uint32_t id = 0;
    {
      cMonitorLock hold(handleLock_);
      first = records_.First();
      if (first) id = first->id;
    }
    if (!first) break;
    SF_LOG(kLogInfo, "Send Control Search Handle Quit Message");
    StopCommand(first, id);
  }
}
