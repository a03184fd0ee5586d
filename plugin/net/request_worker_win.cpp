#include "plugin/net/request_worker_win.h"

#include <atomic>
#include <mutex>

namespace net {

struct RequestWorker::Shared {
  // Guards the handles and the flags below.
  std::mutex lock;
  SharedInternet root;
  UniqueInternet connection;
  UniqueInternet request;
  bool busy = false;       // a call is running
  bool abandoned = false;  // nobody waits for its answer any more
  bool quit = false;       // the owner is done with the request

  // Written by the owner before `work` is set, read by the worker after it.
  Call call;
  // Written by the worker before `done` is set, read by the owner after it.
  Answer answer;
  char text[kTextRoom] = {};
  uint8_t block[kBlock] = {};

  UniqueHandle work{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
  UniqueHandle done{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};

  Answer Execute();
  // Children before parents: a parent's close would release its children,
  // and their handle values could then be given to a new request somewhere
  // else before they were closed here. The InternetOpen handle closes only if
  // this holds its last reference.
  void CloseTree() {
    std::lock_guard<std::mutex> hold(lock);
    request.reset();
    connection.reset();
    root.reset();
  }
  static DWORD WINAPI Main(void* param);
};

Answer RequestWorker::Shared::Execute() {
  HINTERNET r;
  {
    std::lock_guard<std::mutex> hold(lock);
    r = request.get();
  }
  Answer a;
  if (!r) {
    // Closed by an abort or the deadline before the call began.
    a.error = ERROR_INVALID_HANDLE;
    return a;
  }
  switch (call.kind) {
    case CallKind::Send:
      a.ok = ::HttpSendRequestA(r, nullptr, 0, nullptr, 0);
      break;
    case CallKind::StatusCode: {
      DWORD size = sizeof a.number;
      a.ok = ::HttpQueryInfoA(r, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &a.number, &size, nullptr);
      break;
    }
    case CallKind::Text:
      a.size = kTextRoom - 1;
      a.ok = ::HttpQueryInfoA(r, call.what, text, &a.size, nullptr);
      break;
    case CallKind::Available:
      a.ok = ::InternetQueryDataAvailable(r, &a.number, 0, 0);
      break;
    case CallKind::Read:
      a.ok = ::InternetReadFile(r, block, call.want < kBlock ? call.want : kBlock, &a.size);
      break;
  }
  if (!a.ok) a.error = ::GetLastError();
  return a;
}

DWORD WINAPI RequestWorker::Shared::Main(void* param) {
  // The thread's own reference: the state outlives the owner if it must.
  const std::shared_ptr<Shared> self = std::move(*static_cast<std::shared_ptr<Shared>*>(param));
  delete static_cast<std::shared_ptr<Shared>*>(param);
  for (;;) {
    ::WaitForSingleObject(self->work.get(), INFINITE);
    {
      std::lock_guard<std::mutex> hold(self->lock);
      if (self->quit || self->abandoned) break;
    }
    const Answer answer = self->Execute();
    {
      std::lock_guard<std::mutex> hold(self->lock);
      self->busy = false;
      if (self->abandoned) break;
      self->answer = answer;
    }
    ::SetEvent(self->done.get());
  }
  self->CloseTree();
  return 0;
}

namespace {

// A worker left behind runs this module's code until WinInet returns (at
// the latest at the receive time-out); the program may unload the plug-in
// before that. Pinned once, the module stays mapped until the process ends.
void KeepModuleMapped(const void* codeInModule) {
  static std::atomic<bool> pinned{false};
  if (pinned.exchange(true)) return;
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       static_cast<LPCWSTR>(codeInModule), &module);
}

}  // namespace

RequestWorker::RequestWorker(SharedInternet root, UniqueInternet connection, UniqueInternet request)
    : shared_(std::make_shared<Shared>()) {
  shared_->root = std::move(root);
  shared_->connection = std::move(connection);
  shared_->request = std::move(request);
  if (!shared_->work || !shared_->done) return;
  auto* param = new std::shared_ptr<Shared>(shared_);
  HANDLE thread = ::CreateThread(nullptr, 0, &Shared::Main, param, 0, nullptr);
  if (!thread) {
    delete param;
    return;
  }
  thread_.reset(thread);
}

RequestWorker::~RequestWorker() {
  if (!thread_) {
    shared_->CloseTree();
    return;
  }
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->quit = true;
  }
  ::SetEvent(shared_->work.get());
  // An idle worker closes its handles and ends at once; waiting for it keeps
  // its closes before anything the owner closes next.
  if (!abandoned_) ::WaitForSingleObject(thread_.get(), INFINITE);
}

std::optional<Answer> RequestWorker::Run(const Call& call, HANDLE stop) {
  if (abandoned_) return std::nullopt;
  if (!thread_) {
    shared_->call = call;
    return shared_->Execute();
  }
  shared_->call = call;
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->busy = true;
  }
  ::SetEvent(shared_->work.get());
  // The thread is watched too, should it ever end without an answer.
  HANDLE waits[3] = {shared_->done.get(), thread_.get(), stop};
  const DWORD which = ::WaitForMultipleObjects(stop ? 3 : 2, waits, FALSE, INFINITE);
  if (which == WAIT_OBJECT_0) return shared_->answer;
  if (which != WAIT_OBJECT_0 + 2) {
    // The thread is gone (it cannot be, short of a fault): a failed call.
    Answer failed;
    failed.error = ERROR_INTERNET_INTERNAL_ERROR;
    return failed;
  }
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    if (shared_->busy) {
      KeepModuleMapped(reinterpret_cast<const void*>(&Shared::Main));
      shared_->abandoned = true;
      abandoned_ = true;
      return std::nullopt;
    }
  }
  // The answer came just as the stop did; its signal follows at once.
  ::WaitForSingleObject(shared_->done.get(), INFINITE);
  return shared_->answer;
}

std::string RequestWorker::Text(const Answer& answer) const {
  if (answer.size >= kTextRoom) return {};
  return std::string(shared_->text, answer.size);
}

const uint8_t* RequestWorker::Block() const { return shared_->block; }

void RequestWorker::CloseRequest() {
  std::lock_guard<std::mutex> hold(shared_->lock);
  shared_->request.reset();
}

}  // namespace net
