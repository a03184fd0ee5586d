#include "plugin/net/net_session_win.h"

#include <vector>

#include "plugin/include/fetchpix.h"
#include "plugin/net/address.h"
#include "plugin/net/error_map.h"

namespace net {
namespace {

constexpr char kUserAgent[] = "Fetchpix v1.0";
constexpr char kAccept[] =
    "Accept: image/jpeg, image/gif, image/png, image/jpg, image/bmp, text/html, text/htm, text/plain\r\n";
constexpr DWORD_PTR kContext = 1;
constexpr DWORD kBlock = 8192;

// Deleting with INVALID_HANDLE_VALUE waits for a callback that is running, so
// the callback never outlives the download it guards.
void DeleteTimerWaiting(HANDLE timer) { ::DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE); }
using UniqueQueueTimer = UniqueWinHandle<NullIsNone<HANDLE, &DeleteTimerWaiting>>;

// The overall deadline of one request: when it passes, the callback closes the
// request, which ends whatever WinInet call is blocked on it.
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

NetSession::NetSession(const std::atomic<bool>* quit, NetOptions options) : quit_(quit), options_(options) {
  session_.reset(::InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (session_) SetTimeouts(session_.get());
}

NetSession::~NetSession() { Close(); }

bool NetSession::IsOpen() const {
  std::lock_guard<std::mutex> hold(lock_);
  return static_cast<bool>(session_);
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
}

uint32_t NetSession::Blocking(const std::function<BOOL(HINTERNET)>& call) {
  HINTERNET request;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (const uint32_t ended = Ended(); ended != SUCCESS) return ended;
    request = request_.get();
  }
  // Abort() may close `request` while the call runs: WinInet then fails the
  // call, and the flags below say why.
  const BOOL ok = call(request);
  const DWORD error = ok ? 0 : ::GetLastError();
  std::lock_guard<std::mutex> hold(lock_);
  if (const uint32_t ended = Ended(); ended != SUCCESS) return ended;
  return ok ? static_cast<uint32_t>(SUCCESS) : MapInternetError(error);
}

void NetSession::CloseHandles(Raise raise, bool session) {
  // Held across the closing itself: Wine invalidates a handle's children
  // without a lock of its own, so a search thread closing its session while an
  // abort on another thread closes the connection under it could release that
  // connection twice.
  std::lock_guard<std::mutex> closing(closeLock_);
  // Declared before `hold`, so they close once lock_ is free again (WinInet may
  // hold a close until a call running on the handle returns, and that call's
  // thread needs lock_ to finish). In reverse order: each parent before its
  // children, which WinInet invalidates in the same call, so a request that a
  // running call still holds is not freed while the parent's children are walked.
  UniqueInternet ownRequest, ownConnection, ownSession;
  std::lock_guard<std::mutex> hold(lock_);
  if (raise == Raise::Aborted) aborted_ = true;
  if (raise == Raise::Deadline) deadlinePassed_ = true;
  ownRequest = std::move(request_);
  ownConnection = std::move(connection_);
  if (session) ownSession = std::move(session_);
}

void NetSession::CloseCurrent(bool byDeadline) { CloseHandles(byDeadline ? Raise::Deadline : Raise::Aborted, false); }

void NetSession::EndRequest() { CloseHandles(Raise::Nothing, false); }

void CALLBACK NetSession::DeadlinePassed(void* self, BOOLEAN) { static_cast<NetSession*>(self)->CloseCurrent(true); }

void NetSession::Abort() { CloseCurrent(false); }

void NetSession::Close() { CloseHandles(Raise::Nothing, true); }

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
  HINTERNET session;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (const uint32_t ended = Ended(); ended != SUCCESS) return ended;
    session = session_.get();
  }
  if (!session) return NOCONNECTION;
  UniqueInternet connection(
      ::InternetConnectA(session, host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, flags, kContext));
  if (!connection) return MapInternetError(::GetLastError());
  SetTimeouts(connection.get());
  UniqueInternet request(
      ::HttpOpenRequestA(connection.get(), verb, object.c_str(), "HTTP/1.1", nullptr, nullptr, flags, kContext));
  if (!request) return MapInternetError(::GetLastError());
  SetTimeouts(request.get());
  ::HttpAddRequestHeadersA(request.get(), kAccept, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (const uint32_t ended = Ended(); ended != SUCCESS) return ended;
    connection_ = std::move(connection);
    request_ = std::move(request);
  }

  if (const uint32_t sent = Blocking([](HINTERNET r) { return ::HttpSendRequestA(r, nullptr, 0, nullptr, 0); });
      sent != SUCCESS)
    return sent;
  DWORD status = 0;
  const uint32_t queried = Blocking([&status](HINTERNET r) {
    DWORD size = sizeof status;
    return ::HttpQueryInfoA(r, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
  });
  if (queried != SUCCESS) return queried;
  return MapHttpStatus(status);
}

std::string NetSession::QueryText(DWORD what) {
  char buffer[256] = {};
  DWORD size = sizeof buffer - 1;
  const uint32_t code = Blocking([&](HINTERNET r) { return ::HttpQueryInfoA(r, what, buffer, &size, nullptr); });
  if (code != SUCCESS || size >= sizeof buffer) return {};
  return std::string(buffer, size);
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
  std::vector<uint8_t> block(kBlock);
  for (;;) {
    // Ask what has arrived and read no more than that: a read of a whole
    // block would wait for all of it, and a server that trickles a byte at a
    // time would hold it far past the deadline.
    DWORD available = 0;
    uint32_t code = Blocking([&](HINTERNET r) { return ::InternetQueryDataAvailable(r, &available, 0, 0); });
    DWORD got = 0;
    if (code == SUCCESS) {
      const DWORD want = available == 0 || available > kBlock ? kBlock : available;
      code = Blocking([&](HINTERNET r) { return ::InternetReadFile(r, block.data(), want, &got); });
    }
    if (code != SUCCESS) {
      Fail(code);
      return std::nullopt;
    }
    switch (body.Add(block.data(), got)) {
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
