#pragma once
// One request's handles and the thread that makes its blocking WinInet calls.
//
// Windows ends a call that is blocked on a request as soon as another thread
// closes that request; Wine lets the call run on to its receive time-out. So
// the calls run on a thread of their own, and the session's thread waits for
// either the answer or its stop event. When the stop comes first the worker
// is abandoned: the session's thread returns at once, and the worker ends by
// itself when WinInet gives up, touching nothing but the state it shares with
// this object (its handles, its buffers and a reference to the InternetOpen
// handle), and closes that whole tree itself: request, connection, and the
// InternetOpen handle when it holds the last reference.
//
// Threads: the owner (the session's thread) calls everything but
// CloseRequest(), which any thread may call. Every close of the request and
// connection handles happens under one lock of the shared state, so no two
// threads ever close parts of this tree at once (Wine's WinInet does not guard
// a tree against that). The worker never takes a lock of its owner's.
//
// An abandoned worker may still be running this module's code after the
// plug-in's UnloadDll has returned and its program has called FreeLibrary;
// the first abandonment therefore pins the module in memory for the rest of
// the process.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "support/win/unique_handle_win.h"
#include "support/win/unique_internet_win.h"

namespace net {

// The InternetOpen handle, shared by the session and its live workers: the
// last one to let go closes it.
using SharedInternet = std::shared_ptr<UniqueInternet>;

enum class CallKind { Send, StatusCode, Text, Available, Read };

struct Call {
  CallKind kind = CallKind::Send;
  DWORD what = 0;  // Text: the HTTP_QUERY_ item
  DWORD want = 0;  // Read: bytes at most (capped to the block)
};

struct Answer {
  BOOL ok = FALSE;
  DWORD error = 0;   // GetLastError() of a failed call
  DWORD number = 0;  // StatusCode: the status; Available: the bytes available
  DWORD size = 0;    // Text: its length; Read: the bytes read
};

class RequestWorker {
 public:
  static constexpr DWORD kBlock = 8192;
  static constexpr DWORD kTextRoom = 256;

  // Takes the request's handles and starts the thread. Without a thread the
  // calls run on the owner's thread (and then cannot be left behind).
  RequestWorker(SharedInternet root, UniqueInternet connection, UniqueInternet request);
  // Owner. An idle worker is ended and waited for (it closes the handles); an
  // abandoned one is left to end by itself.
  ~RequestWorker();
  RequestWorker(const RequestWorker&) = delete;
  RequestWorker& operator=(const RequestWorker&) = delete;

  // Owner. Runs `call` and waits for its answer or for `stop` (a manual-reset
  // event; null for none). Nothing when `stop` came first: the worker is then
  // abandoned and runs nothing more.
  std::optional<Answer> Run(const Call& call, HANDLE stop);
  bool Abandoned() const { return abandoned_; }

  // Owner, after an answer: the text of a Text call, the bytes of a Read.
  std::string Text(const Answer& answer) const;
  const uint8_t* Block() const;

  // Any thread: closes the request, which on Windows ends a call blocked on it.
  void CloseRequest();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  UniqueHandle thread_;
  bool abandoned_ = false;
};

}  // namespace net
