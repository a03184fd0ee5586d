#include "support/http/http_request_win.h"

namespace {

void SetTimeouts(HINTERNET handle, DWORD ms) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                       INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
    InternetSetOptionA(handle, option, &ms, sizeof ms);
}

}  // namespace

HINTERNET CHTTPRequest::Current(const UniqueInternet& which) {
  std::lock_guard<std::mutex> hold(lock);
  return cancelled ? nullptr : which.get();
}

bool CHTTPRequest::Fail(uint32_t error) {
  {
    std::lock_guard<std::mutex> hold(lock);
    if (cancelled) error = kErrorCancelled;
  }
  lastError = error ? error : ERROR_INTERNET_INTERNAL_ERROR;
  return false;
}

void CHTTPRequest::Cancel() {
  std::lock_guard<std::mutex> hold(lock);
  cancelled = true;
  // Children first: a parent's close releases them, and their values could
  // be handed out again before this closed them.
  request.reset();
  connection.reset();
}

const char* CHTTPRequest::Request(const char* host, const char* path, const char* verb, const char* body,
                                  uint32_t bodyLength, const char* userName, const char* agent, const char* headers,
                                  const char* version) {
  lastError = 0;
  stage = 0;
  status = 0;
  response.clear();
  {
    std::lock_guard<std::mutex> hold(lock);
    request.reset();
    connection.reset();
    root.reset();
  }
  if (!host || !path || !verb || !body) return nullptr;
  if (!userName) userName = "Guest";
  if (!agent) agent = "CHTTPRequest Client";
  if (!headers) headers = "Content-Type: application/x-www-form-urlencoded";
  if (!version) version = "HTTP/1.0";

  http::ServerAddress address;
  if (!http::ParseServerAddress(host, address)) {
    Fail(ERROR_INTERNET_INVALID_URL);
    return nullptr;
  }

  if (InternetAttemptConnect(0) != ERROR_SUCCESS) return nullptr;
  stage = 1;

  const std::string url = http::CheckUrl(address, path);
  if (!InternetCheckConnectionA(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0)) {
    Fail(GetLastError());
    return nullptr;
  }
  stage = 2;

  {
    UniqueInternet opened(InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!opened) {
      Fail(GetLastError());
      return nullptr;
    }
    SetTimeouts(opened.get(), timeoutMs);
    std::lock_guard<std::mutex> hold(lock);
    root = std::move(opened);
  }
  stage = 3;

  HINTERNET r = Current(root);
  if (!r) {
    Fail(kErrorCancelled);
    return nullptr;
  }
  {
    UniqueInternet connected(
        InternetConnectA(r, address.host.c_str(), address.port, userName, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connected) {
      Fail(GetLastError());
      return nullptr;
    }
    SetTimeouts(connected.get(), timeoutMs);
    std::lock_guard<std::mutex> hold(lock);
    if (cancelled) {
      lastError = kErrorCancelled;
      return nullptr;
    }
    connection = std::move(connected);
  }
  stage = 4;

  HINTERNET c = Current(connection);
  if (!c) {
    Fail(kErrorCancelled);
    return nullptr;
  }
  const char* accept[] = {"*/*", nullptr};
  {
    UniqueInternet opened(HttpOpenRequestA(c, verb, path, version, nullptr, accept,
                                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                               INTERNET_FLAG_PRAGMA_NOCACHE,
                                           0));
    if (!opened) {
      Fail(GetLastError());
      return nullptr;
    }
    SetTimeouts(opened.get(), timeoutMs);
    std::lock_guard<std::mutex> hold(lock);
    if (cancelled) {
      lastError = kErrorCancelled;
      return nullptr;
    }
    request = std::move(opened);
  }
  stage = 5;

  // Each call takes the handle afresh: after a Cancel it is gone, and a call
  // on a closed handle's value could reach someone else's handle.
  HINTERNET q = Current(request);
  if (!q || !HttpSendRequestA(q, headers, static_cast<DWORD>(-1), const_cast<char*>(body), bodyLength)) {
    Fail(q ? GetLastError() : kErrorCancelled);
    return nullptr;
  }
  stage = 6;

  DWORD code = 0;
  DWORD size = sizeof code;
  q = Current(request);
  if (!q || !HttpQueryInfoA(q, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr)) {
    Fail(q ? GetLastError() : kErrorCancelled);
    return nullptr;
  }
  status = code;
  if (!http::IsSuccessStatus(status)) {
    Fail(ERROR_HTTP_INVALID_SERVER_RESPONSE);
    return nullptr;
  }

  http::ReplyBody reply;
  char block[8192];
  for (bool first = true;; first = false) {
    DWORD available = 0;
    q = Current(request);
    if (!q || !InternetQueryDataAvailable(q, &available, 0, 0)) {
      Fail(q ? GetLastError() : kErrorCancelled);
      return nullptr;
    }
    stage = first ? 7 : 9;
    if (available == 0) break;
    DWORD got = 0;
    q = Current(request);
    if (!q || !InternetReadFile(q, block, available < sizeof block ? available : sizeof block, &got)) {
      Fail(q ? GetLastError() : kErrorCancelled);
      return nullptr;
    }
    if (first) stage = 8;
    if (got == 0) break;
    if (!reply.Append(block, got)) {
      Fail(kErrorReplyTooLarge);
      return nullptr;
    }
  }
  response = reply.Text();
  stage = 11;
  return response.c_str();
}
