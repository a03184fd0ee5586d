#include "support/thread/monitor_win.h"

cMonitor::cMonitor() : mutex(CreateMutexW(nullptr, FALSE, nullptr)) {}

DWORD cMonitor::Lock() {
  if (!mutex) return WAIT_FAILED;
  const DWORD result = WaitForSingleObject(mutex.get(), INFINITE);
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) held.store(true);
  return result;
}

void cMonitor::Unlock() {
  if (!mutex) return;
  held.store(false);
  ReleaseMutex(mutex.get());
}
