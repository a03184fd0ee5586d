#include "plugin/core/search_link_win.h"

#include <cstring>
#include <vector>

#include "plugin/archive/archive_file_win.h"
#include "plugin/core/search_text.h"
#include "plugin/net/net_session_win.h"
#include "plugin/core/search_thread_win.h"
#include "support/log/log.h"

SearchLink::SearchLink(const SearchFactory& factory)
    : factory_(factory),
      archive_(Win32ArchiveFileSystem()),
      cache_(Win32ArchiveFileSystem()),
      commandEvent_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

SearchLink::~SearchLink() { Shutdown(); }

uint32_t SearchLink::Initialise(const char* dataFolder, uint8_t reserved) {
  reserved_ = reserved;
  options_.Reset();
  archiveOpen_ = SetUpPluginFolders(dataFolder ? dataFolder : "", folders_, archive_, &condemned_);
  logger_ = std::make_unique<Logger>(folders_.logFilePath, LogVariant::Plugin);
  g_logger = logger_.get();
  if (!archiveOpen_)
    SF_LOG(kLogError, "SearchLink, the data archive could not be opened");
  else
    cache_.Attach(&archive_, archive_.Find(nullptr, nullptr, kNodeSettings), folders_.cacheFolder,
                  folders_.nextCacheFileNumber, folders_.cachedBytes);
  records_.ResetIds();
  engines_.Clear();
  RegisterBuiltInEngines(engines_);
  factory_.RegisterEngines(engines_);
  if (!commandEvent_ || !queueLock_.Valid() || !handleLock_.Valid()) return OUTOFMEMORY;
  control_ = std::make_unique<ControlThread>(*this);
  if (!control_->Begin()) {
    control_.reset();
    return OUTOFMEMORY;
  }
  return SUCCESS;
}

void SearchLink::Shutdown() {
  if (control_) {
    SF_LOG(kLogInfo, "Send Control Quit - EndSession");
    quitting_.store(true);
    {
      std::lock_guard<std::mutex> hold(probeLock_);
      if (probe_) probe_->Abort();
    }
    Queue(ControlEntry{kControlQuit});
    // The control thread stops every live search before it ends.
    control_.reset();
  }
  if (archiveOpen_) {
    archive_.Close();
    archiveOpen_ = false;
  }
  if (logger_) {
    g_logger = nullptr;
    logger_.reset();
  }
}

bool SearchLink::ControlThread::Begin() {
  if (!Start()) return false;
  // Even if the priority cannot be set the thread runs; one left suspended
  // is resumed by the stop.
  ResumeWithPriority(THREAD_PRIORITY_BELOW_NORMAL);
  return true;
}

uint32_t SearchLink::ControlThread::Run() {
  link_.ControlLoop();
  return 0;
}

void SearchLink::Queue(ControlEntry entry) {
  cMonitorLock hold(queueLock_);
  queue_.Push(std::move(entry));
  SetEvent(commandEvent_.get());
}

void SearchLink::Notify(const CurrentSearch* record, uint32_t code) {
  const NotifyTarget target = options_.Notification();
  if (!target.window) return;
  PostMessageA(reinterpret_cast<HWND>(target.window), target.message, reinterpret_cast<WPARAM>(record),
               static_cast<LPARAM>(code));
}

uint32_t SearchLink::StartSearch(const char* text, uint8_t engineId, SearchHandle* out) {
  if (!out) return BADPARAMETER;
  *out = nullptr;
  if (!text || !*text) return NOKEYWORDS;
  cMonitorLock hold(handleLock_);
  CurrentSearch* record = records_.Add(EncodeBlanks(text), engineId);
  Queue(ControlEntry{kControlStart, record, record->id});
  *out = record;
  return SUCCESS;
}

uint32_t SearchLink::StopSearch(SearchHandle handle) {
  uint32_t id = 0;
  {
    cMonitorLock hold(handleLock_);
    CurrentSearch* record = records_.Find(handle);
    if (!record) return INVALIDHANDLE;
    id = record->id;
    AskStop(id);
    Queue(ControlEntry{kControlStop, record, id});
  }
  AbortProbeOf(id);
  return SUCCESS;
}

void SearchLink::AskStop(uint32_t id) {
  std::lock_guard<std::mutex> hold(probeLock_);
  stopsAsked_.insert(id);
}

void SearchLink::AbortProbeOf(uint32_t id) {
  std::lock_guard<std::mutex> hold(probeLock_);
  if (probe_ && probeId_ == id) probe_->Abort();
}

uint32_t SearchLink::CheckSearch(SearchHandle handle) {
  cMonitorLock hold(handleLock_);
  CurrentSearch* record = records_.Find(handle);
  if (!record) return INVALIDHANDLE;
  if (record->dwStatus == CONTROL_STATUS_FAILED) return record->errorCode;
  if (record->dwStatus != CONTROL_STATUS_READY || !record->lpSearch) return IMAGENOTQUEUE;
  return record->lpSearch->CheckSearchStatus();
}

uint32_t SearchLink::FetchSearch(SearchHandle handle, ImageData** out) {
  if (!out) return BADPARAMETER;
  *out = nullptr;
  cMonitorLock hold(handleLock_);
  CurrentSearch* record = records_.Find(handle);
  if (!record) return INVALIDHANDLE;
  if (!record->lpSearch || record->dwStatus != CONTROL_STATUS_READY) {
    SF_LOG(kLogInfo,
           "SearchLink, FetchImage, lpCurrentSearch->lpSearch == NULL or lpCurrentSearch->dwStatus != "
           "CONTROL_STATUS_READY)");
    return IMAGENOTREADY;
  }
  // The object cannot go while we hold the lock: the stop takes it to unlink
  // the record before the object is destroyed.
  return record->lpSearch->FetchCurrentImage(out);
}

uint32_t SearchLink::QueueImage(SearchHandle handle, bool next) {
  uint32_t repost = 0;
  {
    cMonitorLock hold(handleLock_);
    CurrentSearch* record = records_.Find(handle);
    if (!record) return INVALIDHANDLE;
    if (record->dwStatus == CONTROL_STATUS_FAILED)
      repost = record->errorCode;
    else
      Queue(ControlEntry{next ? kControlNext : kControlPrevious, record, record->id});
  }
  // Posted after the lock is gone: the receiver's calls need it.
  if (repost) Notify(handle, repost);
  return SUCCESS;
}

uint32_t SearchLink::ClearSpecificHistoryCache(const char* text) {
  ControlEntry entry{kControlClearHistory};
  // Stored texts are encoded, and the program passes the text as typed.
  if (text) entry.text = EncodeBlanks(text);
  std::vector<uint32_t> stopping;
  {
    cMonitorLock hold(handleLock_);
    // The clear stops the searches of its text that live when it comes round;
    // those that live now may be probing, ahead of it on the control thread.
    if (entry.text)
      for (CurrentSearch* r : records_.WithText(*entry.text)) {
        AskStop(r->id);
        stopping.push_back(r->id);
      }
    Queue(std::move(entry));
  }
  for (const uint32_t id : stopping) AbortProbeOf(id);
  return SUCCESS;
}

uint32_t SearchLink::CondemnImage(SearchHandle handle) {
  cMonitorLock hold(handleLock_);
  CurrentSearch* record = records_.Find(handle);
  if (!record) return INVALIDHANDLE;
  // Under the lock: the object cannot go while it condemns. Single images
  // have no current result to block and ignore it.
  if (record->dwStatus == CONTROL_STATUS_READY && record->lpSearch) record->lpSearch->Condemn();
  return SUCCESS;
}

uint32_t SearchLink::IsCritical(SearchHandle handle, uint8_t* critical) {
  if (!critical) return BADPARAMETER;
  cMonitorLock hold(handleLock_);
  CurrentSearch* record = records_.Find(handle);
  if (!record) return INVALIDHANDLE;
  if (record->dwStatus == CONTROL_STATUS_FAILED) {
    *critical = 1;
  } else if (record->dwStatus == CONTROL_STATUS_READY && record->lpSearch) {
    bool failed = false;
    record->lpSearch->IsFailed(&failed);
    if (failed) *critical = 1;
  } else {
    *critical = 0;
  }
  return SUCCESS;
}
