#pragma once
// A lock over an unnamed mutex.
#include <windows.h>

#include <atomic>

#include "support/win/unique_handle_win.h"

class cMonitor {
 public:
  // Creates the mutex, not owned.
  cMonitor();
  virtual ~cMonitor() = default;
  cMonitor(const cMonitor&) = delete;
  cMonitor& operator=(const cMonitor&) = delete;

  // Waits without limit; sets held when the mutex was obtained (also when its
  // previous owner ended without releasing it: WAIT_ABANDONED). Returns the
  // wait's result; WAIT_FAILED if there is no mutex.
  DWORD Lock();
  // Clears held and releases the mutex; only by the thread that holds it.
  void Unlock();
  bool IsHeld() const { return held.load(); }
  bool Valid() const { return static_cast<bool>(mutex); }

 private:
  UniqueHandle mutex;
  std::atomic<bool> held{false};
};

// Holds a cMonitor for one scope, so that every exit releases it.
class cMonitorLock {
 public:
  explicit cMonitorLock(cMonitor& monitor) : monitor(monitor), result(monitor.Lock()) {}
  ~cMonitorLock() {
    if (Locked()) monitor.Unlock();
  }
  cMonitorLock(const cMonitorLock&) = delete;
  cMonitorLock& operator=(const cMonitorLock&) = delete;
  bool Locked() const { return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED; }
  DWORD Result() const { return result; }

 private:
  cMonitor& monitor;
  DWORD result;
};
