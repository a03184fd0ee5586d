#pragma once
// Base of the program's worker threads. The thread is created suspended so
// that the subclass can set its priority before it runs, and is stopped by
// clearing the running flag and waiting for it.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "support/win/unique_handle_win.h"

class cThread {
 public:
  cThread() = default;
  // Stops and joins. A subclass whose Run uses the subclass's own members must
  // call Stop() in its own destructor: by the time this one runs they are gone.
  virtual ~cThread();
  cThread(const cThread&) = delete;
  cThread& operator=(const cThread&) = delete;

  // Stops a previous thread of this object, then creates a new one with
  // creationFlags (suspended by default) and sets running. Returns the
  // thread's handle, still owned by this object; nullptr if creation failed.
  HANDLE Start();
  // Clears running and waits up to the stop time-out; then closes the handle
  // and forgets the thread. Does nothing without a thread. Called from the
  // worker itself it only clears running (waiting would be for itself).
  void Stop();
  void SetStopTimeout(uint32_t ms) { stopTimeout = ms; }
  // The stop request as the calling thread sees it. A worker left behind by a
  // Stop whose time-out expired reads false, even after the object was started again.
  bool IsRunning() const;

 protected:
  // The thread's body; its result is the thread's exit code. Long work polls
  // IsRunning() and returns when it turns false.
  virtual uint32_t Run() { return 0; }

  // For the subclass's start: set the priority, then resume the suspended thread.
  bool ResumeWithPriority(int priority);
  HANDLE ThreadHandle() const { return thread.get(); }
  DWORD ThreadId() const { return threadId; }
  void SetCreationFlags(DWORD flags) { creationFlags = flags; }
  // A worker's way to mark its work done.
  void ClearRunning() { running.store(false); }

 private:
  struct StartBlock;
  static DWORD WINAPI Entry(void* param);

  UniqueHandle thread;
  DWORD threadId = 0;
  uint32_t stopTimeout = INFINITE;
  // Written by the owner, read by the worker.
  std::atomic<bool> running{false};
  DWORD creationFlags = CREATE_SUSPENDED;
  // Which start the running flag belongs to.
  std::atomic<uint64_t> generation{0};
  // Threads whose Stop timed out; they still use this object, so the
  // destructor joins them before the memory goes.
  std::vector<UniqueHandle> abandoned;
};
