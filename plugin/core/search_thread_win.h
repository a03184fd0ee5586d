#pragma once
// Base of every search object: a thread of its own (idle priority), a state
// word, a command queue, and the steps that the control thread and the exports
// call on it. Subclasses give the eight search operations their bodies.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "plugin/core/command_queues.h"
#include "plugin/include/fetchpix.h"
#include "support/thread/monitor_win.h"
#include "support/thread/thread_win.h"
#include "support/win/unique_handle_win.h"

class SearchLink;
struct CurrentSearch;
class ArchiveNode;

class SearchThread : private cThread {
 public:
  enum State : uint32_t {
    STATUS_INIT = 0,
    STATUS_REPORT = 1,
    STATUS_ENDED = 2,
    STATUS_ACTIVE = 3,
    STATUS_IDLE = 4,
    STATUS_CACHING = 6,
  };

  SearchThread();
  // A subclass must call QuitSearchHandle() in its own destructor: the thread
  // runs the subclass's operations.
  ~SearchThread() override;

  // Control thread. Starts the thread and waits until it has initialised (or
  // ended). `record` is the handle that its notifications carry; it outlives
  // the thread. SUCCESS, or OUTOFMEMORY when the thread could not be made.
  uint32_t InitSearchHandle(const std::string& text, SearchLink& link, CurrentSearch* record);
  // Control thread. The status code once the search has ended, else queues
  // the request and gives SUCCESS.
  uint32_t QueueImageChange(bool next);
  // Control thread. Asks the thread to quit, cuts its running transfer short
  // and waits for it to end. Safe to call more than once.
  void QuitSearchHandle();

  // Caller's thread (FetchSearch).
  uint32_t FetchCurrentImage(ImageData** out);
  uint32_t CheckSearchStatus();
  // Sets *out when the search thread ended in failure; SUCCESS.
  uint32_t IsFailed(bool* out);

  // Caller's thread (CondemnImage), under the handle-list lock: blocks the
  // current result's addresses. Searches without results ignore it.
  virtual void Condemn() {}

  void SetStatus(uint32_t state);
  uint32_t GetStatus();
  uint32_t StatusCode() const { return statusCode_.load(); }

 protected:
  virtual uint32_t RetrieveImage(ImageData** out) = 0;
  virtual bool Initialise() = 0;
  virtual bool Work() = 0;
  virtual bool Cache() = 0;
  virtual void Report() = 0;
  virtual void Release() = 0;
  virtual void QueueNext() = 0;
  virtual void QueuePrevious() = 0;
  // Cuts a running download short; called after the quit flag is raised,
  // from the control thread.
  virtual void AbortTransfers() {}

  // Posts through the search's own record, without the handle-list lock.
  void Notify(uint32_t code);
  void SetStatusCode(uint32_t code) { statusCode_.store(code); }
  const std::string& Text() const { return text_; }
  SearchLink* Link() const { return link_; }
  ArchiveNode* SearchNode() const { return searchNode_; }
  // Raised once the search is told to quit; downloads read it.
  const std::atomic<bool>& QuitFlag() const { return commands_.QuitFlag(); }
  bool QuitRequested() const { return commands_.QuitRequested(); }
  // Held while an image is handed to the caller or the kept images change.
  cMonitor& ImageLock() { return imageLock_; }

 private:
  uint32_t Run() override;
  void FindSearchNode();
  // One pass of the main loop's state step; false ends the loop.
  bool StateStep();

  SearchLink* link_ = nullptr;
  CurrentSearch* record_ = nullptr;
  std::string text_;
  ArchiveNode* searchNode_ = nullptr;
  std::atomic<uint32_t> statusCode_{0};
  // One word read on every step by three threads: an atomic, where a
  // mutex would cost two trips through the Win32 kernel per look.
  std::atomic<uint32_t> state_{STATUS_INIT};
  SearchCommandQueue commands_;   // under commandLock_
  cMonitor imageLock_;
  cMonitor commandLock_;
  UniqueHandle commandEvent_;
  UniqueHandle initDone_;
  bool started_ = false;
};
