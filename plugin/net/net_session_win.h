#pragma once
// The plug-in's one way onto the network: probes (HEAD) and downloads (GET)
// over WinInet, with time-outs, size caps and an abort that reaches a blocked
// read.
//
// Threads: one thread (the owning search's, or the control thread for a probe)
// calls everything but Abort(). Abort() may come from any thread while the
// session lives; it makes the running request and every later one fail with
// DOWNLOADABORTED, and returns at once. The blocking WinInet calls of a
// request run on that request's worker thread (request_worker_win.h) while
// the owner waits for the answer or the stop: an abort (or the overall
// deadline) ends the wait at once, on Wine as on Windows, and also closes the
// request so that Windows ends the call itself. A worker left blocked on a
// silent server ends by itself at the receive time-out; the session never
// touches that tree again and opens a new InternetOpen handle for later
// requests. A request's handles are closed by its worker when it ends (the
// owner waits for an idle one), or, the request alone, by whoever stops it,
// under the worker's lock; the InternetOpen handle by the last of the session
// and its workers to let go. So no two threads close parts of one tree at
// once: Wine's WinInet does not guard a tree against that.
//
// Lock order: lock_, then the worker's own lock. The worker takes no lock of
// the session's, so a close under lock_ never waits for it.
//
// Quit signal: the owning search passes a pointer to its own quit flag (or
// null for a probe session). The flag is read before each request and after
// every block, so a search that sets it leaves a flowing download within one
// block; a search that quits sets its flag and then calls Abort() for a read
// that is blocked on a silent server.
//
// A body is read as it arrives, at most 8192 bytes a call, so that the overall
// deadline is seen between calls even when a server trickles.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "plugin/net/body_limits.h"
#include "plugin/net/content_type.h"
#include "plugin/net/download_stats.h"
#include "plugin/net/fetch_candidate.h"
#include "plugin/net/request_worker_win.h"
#include "support/win/unique_handle_win.h"
#include "support/win/unique_internet_win.h"

namespace net {

struct NetOptions {
  // Set on every connection and request handle: WinInet's own default waits
  // for ever on a silent server under Wine.
  uint32_t connectTimeoutMs = 15000;
  uint32_t sendTimeoutMs = 15000;
  uint32_t receiveTimeoutMs = 15000;
  // For a whole probe or download, headers and body together: a server that
  // trickles a byte now and then never trips the receive time-out.
  uint32_t overallTimeoutMs = 60000;
  BodyCaps caps;
};

class NetSession final : public Downloader {
 public:
  explicit NetSession(const std::atomic<bool>* quit = nullptr, NetOptions options = {});
  ~NetSession() override;
  NetSession(const NetSession&) = delete;
  NetSession& operator=(const NetSession&) = delete;

  // False when WinInet could not be opened; every request then fails.
  bool IsOpen() const;

  // HEAD: SUCCESS only for HTTP 200, else the mapped failure (also kept in
  // lastError()). On SUCCESS `type` receives the served content type, or is
  // emptied when the server sends none.
  uint32_t Probe(const std::string& address, std::string* type);

  // GET of the whole body; nothing on failure (lastError() says why). `type`
  // may be null.
  std::optional<DownloadResult> Download(const std::string& address, std::string* type);
  // Download, counted in the statistics when it succeeds.
  std::optional<DownloadResult> TimedDownload(const std::string& address, std::string* type) override;

  double AverageMilliseconds() const { return stats_.AverageMilliseconds(); }
  const DownloadStats& stats() const { return stats_; }
  static ContentClass Classify(const std::string& type) { return net::Classify(type); }

  // The code of the last failure; 0 when none was recorded.
  uint32_t lastError() const override { return lastError_; }

  // Closes the running request and refuses all later ones (any thread).
  void Abort();
  // Closes the WinInet session; later requests fail.
  void Close();

 private:
  // Connects and sends; the mapped HTTP status, or the failure.
  uint32_t Open(const std::string& address, const char* verb, std::string* fileName);
  std::string QueryText(DWORD what);
  std::optional<DownloadResult> ReadBody(std::string fileName, ContentClass cls);
  uint32_t Fail(uint32_t code);
  // SUCCESS when `call` on the running request worked (its answer in *out);
  // otherwise why not. An abort or a passed deadline wins over the answer.
  uint32_t Blocking(const Call& call, Answer* out = nullptr);
  uint32_t Ended() const;  // with lock_ held
  void Begin();
  // Ends the running request: its worker is ended, or left to end by itself.
  void EndRequest();
  enum class Raise { Aborted, Deadline };
  // Raises the flag, ends every wait of the running request and closes it.
  void Stop(Raise raise);
  void SetTimeouts(HINTERNET handle) const;
  static SharedInternet OpenRoot();
  static void CALLBACK DeadlinePassed(void* self, BOOLEAN);

  const std::atomic<bool>* quit_;
  NetOptions options_;
  uint32_t lastError_ = 0;
  DownloadStats stats_;

  // Guards the members below; the owner also reads worker_ without it, as
  // only the owner changes it.
  mutable std::mutex lock_;
  SharedInternet root_;
  std::unique_ptr<RequestWorker> worker_;
  // Manual reset: set by an abort (for good) or by the deadline (until the
  // next request begins).
  UniqueHandle stop_;
  bool aborted_ = false;
  bool deadlinePassed_ = false;
};

}  // namespace net
