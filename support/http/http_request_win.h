#pragma once
// One blocking HTTP exchange through WinInet, for the program's two exchanges
// with the back-end server. It runs on a worker thread; Cancel() may come
// from any other thread.
//
// Every handle gets connect, send and receive time-outs, so a silent server
// ends the exchange instead of holding the worker for ever. Cancel() closes
// the request and connection: on Windows that ends a blocked call at once;
// Wine lets the call run on to its time-out, so the owner of the worker must
// be ready to leave the thread behind and join it later.
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "support/http/http_reply.h"
#include "support/win/unique_internet_win.h"

class CHTTPRequest {
 public:
  static constexpr uint32_t kDefaultTimeoutMs = 15000;
  // Set in lastError when the reply passes ReplyBody::kMaxBytes.
  static constexpr uint32_t kErrorReplyTooLarge = ERROR_FILE_TOO_LARGE;
  // Set in lastError when the exchange was cancelled.
  static constexpr uint32_t kErrorCancelled = ERROR_INTERNET_OPERATION_CANCELLED;

  CHTTPRequest() = default;
  CHTTPRequest(const CHTTPRequest&) = delete;
  CHTTPRequest& operator=(const CHTTPRequest&) = delete;

  // `host` is "name" or "name:port". The result is the reply text, or null
  // when the exchange failed: before data arrived, on a status outside 2xx
  // (GetStatusCode() tells which), on a reply above the cap, or on a read
  // error (a half reply is not a reply). Null arguments give null.
  const char* Request(const char* host, const char* path, const char* verb, const char* body, uint32_t bodyLength,
                      const char* userName = nullptr, const char* agent = nullptr, const char* headers = nullptr,
                      const char* version = nullptr);

  const char* GetResponseText() const { return response.c_str(); }
  uint32_t GetErrorCode() const { return lastError; }
  // The HTTP status of the last reply; 0 when none came.
  uint32_t GetStatusCode() const { return status; }
  int32_t GetStage() const { return stage; }

  // For tests and callers that need a shorter wait; applies to the next Request.
  void SetTimeout(uint32_t ms) { timeoutMs = ms; }
  // Any thread: ends the exchange (see above). A later Request fails at once.
  void Cancel();

 private:
  // The handle of `which` as it stands, or null once cancelled.
  HINTERNET Current(const UniqueInternet& which);
  bool Fail(uint32_t error);

  uint32_t lastError = 0;
  std::string response;
  int32_t stage = 0;
  uint32_t status = 0;
  uint32_t timeoutMs = kDefaultTimeoutMs;

  // Guards the handles and `cancelled` between the worker and Cancel().
  std::mutex lock;
  bool cancelled = false;
  UniqueInternet root;
  UniqueInternet connection;
  UniqueInternet request;
};
