#include "plugin/net/net_session_win.h"

#include "plugin/include/fetchpix.h"
#include "plugin/net/address.h"
#include "plugin/net/error_map.h"

namespace net {
namespace {

constexpr char kUserAgent[] = "Fetchpix v1.0";
constexpr char kAccept[] =
    "Accept: image/jpeg, image/gif, image/png, image/jpg, image/bmp, text/html, text/htm, text/plain\r\n";
constexpr DWORD_PTR kContext = 1;
constexpr DWORD kBlock = RequestWorker::kBlock;

// Deleting with INVALID_HANDLE_VALUE waits for a callback that is running, so
// the callback never outlives the download it guards.
void DeleteTimerWaiting(HANDLE timer) { ::DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE); }
using UniqueQueueTimer = UniqueWinHandle<NullIsNone<HANDLE, &DeleteTimerWaiting>>;

// The overall deadline of one request: when it passes, the callback stops the
// request, which ends the owner's wait for whatever WinInet call is blocked.
class Deadline {
 public:
  Deadline(WAITORTIMERCALLBACK callback, void* context, DWORD ms) {
    HANDLE timer = nullptr;
    // Without a timer the per-call time-outs still bound every wait.
    if (::CreateTimerQueueTimer(&timer, nullptr, callback, context, ms, 0, WT_EXECUTEONLYONCE)) timer_.reset(timer);
  }

 private:
  UniqueQueueTimer timer_;
};

}  // namespace

SharedInternet NetSession::OpenRoot() {
  HINTERNET root = ::InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!root) return nullptr;
  return std::make_shared<UniqueInternet>(root);
}

NetSession::NetSession(const std::atomic<bool>* quit, NetOptions options)
    : quit_(quit), options_(options), root_(OpenRoot()), stop_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (root_) SetTimeouts(root_->get());
}

NetSession::~NetSession() { Close(); }

bool NetSession::IsOpen() const {
  std::lock_guard<std::mutex> hold(lock_);
  return static_cast<bool>(root_);
}

void NetSession::SetTimeouts(HINTERNET handle) const {
  // Handles do not inherit these from the session under Wine: every
  // connection and request gets its own.
  DWORD connect = options_.connectTimeoutMs, send = options_.sendTimeoutMs, receive = options_.receiveTimeoutMs;
  ::InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  ::InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
  ::InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

uint32_t NetSession::Fail(uint32_t code) {
  lastError_ = code;
  return code;
}

uint32_t NetSession::Ended() const {
  if (aborted_ || (quit_ && quit_->load())) return DOWNLOADABORTED;
  if (deadlinePassed_) return CONNECTIONREFUSED;
  return SUCCESS;
}

void NetSession::Begin() {
  std::lock_guard<std::mutex> hold(lock_);
  deadlinePassed_ = false;
  if (!aborted_ && stop_) ::ResetEvent(stop_.get());
}

uint32_t NetSession::Blocking(const Call& call, Answer* out) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (const uint32_t ended = Ended(); ended != SUCCESS) return ended;
  }
  if (!worker_) return NOCONNECTION;
  const std::optional<Answer> answer = worker_->Run(call, stop_.get());
  std::lock_guard<std::mutex> hold(lock_);
  if (const uint32_t ended = Ended(); ended != SUCCESS) return ended;
  // The stop is only ever set with one of the flags above.
  if (!answer) return DOWNLOADABORTED;
  if (out) *out = *answer;
  return answer->ok ? static_cast<uint32_t>(SUCCESS) : MapInternetError(answer->error);
}

void NetSession::Stop(Raise raise) {
  std::lock_guard<std::mutex> hold(lock_);
  if (raise == Raise::Aborted) aborted_ = true;
  if (raise == Raise::Deadline) deadlinePassed_ = true;
  if (stop_) ::SetEvent(stop_.get());
  // Under lock_: the owner cannot end the worker meanwhile, and the worker
  // never waits for lock_.
  if (worker_) worker_->CloseRequest();
}

void NetSession::EndRequest() {
  std::unique_ptr<RequestWorker> worker;
  {
    std::lock_guard<std::mutex> hold(lock_);
    worker = std::move(worker_);
  }
  if (!worker) return;
  const bool abandoned = worker->Abandoned();
  // Outside lock_: an idle worker is waited for while it closes its handles.
  worker.reset();
  if (!abandoned) return;
  // The worker left behind still holds the InternetOpen handle and closes its
  // tree when WinInet returns; a later request of this session must not add
  // to that tree while it does.
  std::lock_guard<std::mutex> hold(lock_);
  root_.reset();
  if (aborted_) return;
  root_ = OpenRoot();
  if (root_) SetTimeouts(root_->get());
}

void CALLBACK NetSession::DeadlinePassed(void* self, BOOLEAN) { static_cast<NetSession*>(self)->Stop(Raise::Deadline); }

void NetSession::Abort() { Stop(Raise::Aborted); }

void NetSession::Close() {
  SharedInternet root;
  std::lock_guard<std::mutex> hold(lock_);
  root = std::move(root_);
}

uint32_t NetSession::Open(const std::string& address, const char* verb, std::string* fileName) {
  const Scheme scheme = SchemeOf(address);
  if (scheme == Scheme::Other) return URLNOTHTTP;
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  // Non-zero lengths without buffers: the parts come back as pointers into `address`.
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (!::InternetCrackUrlA(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts)) return URLNOTHTTP;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return URLNOTHTTP;
  if (!parts.lpszHostName || parts.dwHostNameLength == 0) return URLNOTHTTP;
  const std::string host(parts.lpszHostName, parts.dwHostNameLength);
  std::string object;
  if (parts.lpszUrlPath) object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (object.empty()) object = "/";
  if (fileName) *fileName = FileNameFromPath(object);

  const DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
  SharedInternet root;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (const uint32_t ended = Ended(); ended != SUCCESS) return ended;
    root = root_;
  }
  if (!root) return NOCONNECTION;
  UniqueInternet connection(::InternetConnectA(root->get(), host.c_str(), parts.nPort, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, flags, kContext));
  if (!connection) return MapInternetError(::GetLastError());
  SetTimeouts(connection.get());
  UniqueInternet request(
      ::HttpOpenRequestA(connection.get(), verb, object.c_str(), "HTTP/1.1", nullptr, nullptr, flags, kContext));
  if (!request) return MapInternetError(::GetLastError());
  SetTimeouts(request.get());
  ::HttpAddRequestHeadersA(request.get(), kAccept, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
  auto worker = std::make_unique<RequestWorker>(std::move(root), std::move(connection), std::move(request));
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (const uint32_t ended = Ended(); ended != SUCCESS) return ended;
    worker_ = std::move(worker);
  }

  if (const uint32_t sent = Blocking(Call{CallKind::Send}); sent != SUCCESS) return sent;
  Answer status;
  if (const uint32_t queried = Blocking(Call{CallKind::StatusCode}, &status); queried != SUCCESS) return queried;
  return MapHttpStatus(status.number);
}

std::string NetSession::QueryText(DWORD what) {
  Answer answer;
  if (Blocking(Call{CallKind::Text, what}, &answer) != SUCCESS) return {};
  return worker_->Text(answer);
}

uint32_t NetSession::Probe(const std::string& address, std::string* type) {
  Begin();
  const Deadline deadline(&DeadlinePassed, this, options_.overallTimeoutMs);
  uint32_t code = Open(address, "HEAD", nullptr);
  if (code == SUCCESS && type) *type = QueryText(HTTP_QUERY_CONTENT_TYPE);
  // The deadline may have passed while the type was read.
  if (code == SUCCESS) {
    std::lock_guard<std::mutex> hold(lock_);
    code = Ended();
  }
  EndRequest();
  if (code != SUCCESS) {
    if (type) type->clear();
    Fail(code);
  }
  return code;
}

std::optional<DownloadResult> NetSession::Download(const std::string& address, std::string* type) {
  if (type) type->clear();
  Begin();
  const Deadline deadline(&DeadlinePassed, this, options_.overallTimeoutMs);
  std::string fileName;
  std::optional<DownloadResult> result;
  if (const uint32_t code = Open(address, "GET", &fileName); code != SUCCESS) {
    Fail(code);
  } else {
    const std::string served = QueryText(HTTP_QUERY_CONTENT_TYPE);
    result = ReadBody(std::move(fileName), Classify(served));
    if (result && type) *type = served;
  }
  EndRequest();
  return result;
}

std::optional<DownloadResult> NetSession::ReadBody(std::string fileName, ContentClass cls) {
  // Queried as text: a length past 4 GiB must not wrap into a small one.
  std::optional<uint64_t> announced;
  if (const std::string length = QueryText(HTTP_QUERY_CONTENT_LENGTH); !length.empty())
    announced = ParseContentLength(length);
  BodyCollector body(options_.caps.For(cls), announced);
  if (body.status() == BodyStatus::TooLarge) {
    Fail(CONTENTNOTUSABLE);
    return std::nullopt;
  }
  for (;;) {
    // Ask what has arrived and read no more than that: a read of a whole
    // block would wait for all of it, and a server that trickles a byte at a
    // time would hold it far past the deadline.
    Answer available;
    uint32_t code = Blocking(Call{CallKind::Available}, &available);
    Answer got;
    if (code == SUCCESS) {
      const DWORD want = available.number == 0 || available.number > kBlock ? kBlock : available.number;
      code = Blocking(Call{CallKind::Read, 0, want}, &got);
    }
    if (code != SUCCESS) {
      Fail(code);
      return std::nullopt;
    }
    switch (body.Add(worker_->Block(), got.size)) {
      case BodyStatus::Reading: continue;
      case BodyStatus::TooLarge: Fail(CONTENTNOTUSABLE); return std::nullopt;
      // The connection ended early: like one that broke.
      case BodyStatus::Short: Fail(CONNECTIONREFUSED); return std::nullopt;
      case BodyStatus::Complete: break;
    }
    break;
  }
  DownloadResult result;
  result.bytes = body.Take();
  result.size = static_cast<uint32_t>(result.bytes.size());
  result.fileName = std::move(fileName);
  return result;
}

std::optional<DownloadResult> NetSession::TimedDownload(const std::string& address, std::string* type) {
  const auto start = std::chrono::steady_clock::now();
  std::optional<DownloadResult> result = Download(address, type);
  if (result) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    stats_.Add(result->size, static_cast<uint64_t>(ms.count()));
  }
  return result;
}

}  // namespace net
