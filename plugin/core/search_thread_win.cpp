#include "plugin/core/search_thread_win.h"

#include "plugin/archive/archive.h"
#include "plugin/core/search_link_win.h"
#include "support/log/log.h"

SearchThread::SearchThread()
    : commandEvent_(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      initDone_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

SearchThread::~SearchThread() { Stop(); }

uint32_t SearchThread::InitSearchHandle(const std::string& text, SearchLink& link, CurrentSearch* record) {
  SF_TRACE_FUNCTION("Init Search Handle");
  SetStatus(STATUS_INIT);
  link_ = &link;
  record_ = record;
  text_ = text;
  if (!commandEvent_ || !initDone_ || !Start()) return OUTOFMEMORY;
  started_ = true;
  ResumeWithPriority(THREAD_PRIORITY_IDLE);
  // A thread that dies before it signals must not leave us waiting.
  const HANDLE waits[2] = {initDone_.get(), ThreadHandle()};
  WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  return SUCCESS;
}

uint32_t SearchThread::QueueImageChange(bool next) {
  SF_TRACE_FUNCTION("Queue Image Change");
  cMonitorLock hold(commandLock_);
  if (GetStatus() == STATUS_ENDED) return StatusCode();
  commands_.Push(next ? kSearchNext : kSearchPrevious);
  SetEvent(commandEvent_.get());
  return SUCCESS;
}

void SearchThread::QuitSearchHandle() {
  if (!started_) return;
  SF_TRACE_FUNCTION("Quit Search Handle");
  {
    cMonitorLock hold(commandLock_);
    commands_.Push(kSearchQuit);
    SetEvent(commandEvent_.get());
  }
  AbortTransfers();
  Stop();
  started_ = false;
}

uint32_t SearchThread::FetchCurrentImage(ImageData** out) {
  SF_TRACE_FUNCTION("Fetch Current Image");
  cMonitorLock hold(imageLock_);
  const uint32_t state = GetStatus();
  if (state == STATUS_IDLE || state == STATUS_CACHING) return RetrieveImage(out);
  return CheckSearchStatus();
}

uint32_t SearchThread::CheckSearchStatus() {
  switch (GetStatus()) {
    case STATUS_INIT:
      return IMAGENOTQUEUE;
    case STATUS_REPORT:
    case STATUS_ENDED:
      return StatusCode();
    case STATUS_ACTIVE:
      SF_LOG(kLogInfo, "SearchThread, CheckSearchStatus, GetStatus() == STATUS_ACTIVE");
      return IMAGENOTREADY;
    case STATUS_IDLE:
    case STATUS_CACHING:
      return SUCCESS;
    default:
      return 0;
  }
}

uint32_t SearchThread::IsFailed(bool* out) {
  if (GetStatus() == STATUS_ENDED) *out = true;
  return SUCCESS;
}

void SearchThread::SetStatus(uint32_t state) {
  state_.store(state);
}

uint32_t SearchThread::GetStatus() {
  return state_.load();
}

void SearchThread::Notify(uint32_t code) {
  if (link_) link_->Notify(record_, code);
}

void SearchThread::FindSearchNode() {
  Archive* archive = link_->GetArchive();
  ArchiveNode* user = link_->UserNode();
  if (!archive || !user) return;
  std::lock_guard<std::recursive_mutex> hold(archive->Lock());
  searchNode_ = archive->FindText(user, kNodeSearch, text_);
  if (!searchNode_) searchNode_ = archive->AddText(user, kNodeSearch, text_);
}

bool SearchThread::StateStep() {
  switch (GetStatus()) {
    case STATUS_INIT: {
      const bool ok = Initialise();
      // A search that cannot start has ended: IsCritical and CheckSearch say so.
      if (!ok) SetStatus(STATUS_ENDED);
      SetEvent(initDone_.get());
      return ok;
    }
    case STATUS_REPORT:
      Report();
      return true;
    case STATUS_ENDED:
      Release();
      return false;
    case STATUS_ACTIVE:
      return Work();
    case STATUS_IDLE:
      return true;
    case STATUS_CACHING:
      return Cache();
    default:
      SetStatusCode(0);
      SetStatus(STATUS_REPORT);
      return true;
  }
}

uint32_t SearchThread::Run() {
  SF_LOG(kLogInfo, text_);
  FindSearchNode();
  for (;;) {
    if (!StateStep()) break;
    std::optional<uint32_t> command;
    {
      cMonitorLock hold(commandLock_);
      command = commands_.Pop();
    }
    if (!command) {
      if (GetStatus() == STATUS_IDLE) {
        SF_LOG(kLogInfo, "Idle");
        // Auto-reset: a command queued since the look above has already signalled.
        WaitForSingleObject(commandEvent_.get(), INFINITE);
      }
      continue;
    }
    if (*command == kSearchQuit) {
      SF_LOG(kLogInfo, "Quit message received by search thread");
      Release();
      break;
    }
    if (*command == kSearchNext) {
      QueueNext();
    } else if (*command == kSearchPrevious) {
      QueuePrevious();
    } else {
      SetStatusCode(0);
      SetStatus(STATUS_REPORT);
      Notify(0);
      break;
    }
  }
  return 0;
}
