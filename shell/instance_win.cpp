#include "shell/instance_win.h"

#include "shell/app_paths.h"

bool IsAnotherInstanceRunning(UniqueHandle& instanceMutex) {
  instanceMutex.reset(CreateMutexA(nullptr, TRUE, kAppName));
  if (!instanceMutex || GetLastError() != ERROR_ALREADY_EXISTS) return false;
  instanceMutex.reset(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kAppName));
  if (!instanceMutex) return false;
  const DWORD wait = WaitForSingleObject(instanceMutex.get(), 15000);
  // An abandoned mutex means the other instance died without releasing it: it
  // is gone just as surely as one that ended normally, so start.
  // The wait made this thread the owner; keeping that handle (instead of closing
  // it and creating the mutex anew) leaves no moment in which a third start could
  // take it.
  if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return false;
  instanceMutex.reset();
  return true;
}

void PostToOtherInstance(UINT message) {
  if (HWND other = FindWindowExA(nullptr, nullptr, kAppName, kAppName))
    PostMessageA(other, message, 0, 0);
}
