#pragma once
// The one way from a worker thread to the UI thread: a task posted to a
// message-only window that the UI thread owns. A task that cannot be posted,
// or that arrives after Close, is freed without running.
#include <windows.h>

#include <functional>
#include <mutex>

class UiDispatcher {
 public:
  using Task = std::function<void()>;

  // Creates the window; call on the UI thread. Valid() tells whether it exists.
  UiDispatcher();
  // Close(), then nothing more runs.
  ~UiDispatcher();
  UiDispatcher(const UiDispatcher&) = delete;
  UiDispatcher& operator=(const UiDispatcher&) = delete;

  bool Valid() const { return window != nullptr; }

  // Any thread. Returns false (and frees the task) when it could not be posted.
  bool Post(Task task);

  // UI thread. From now on Post refuses, and tasks already waiting are freed
  // without running. Safe to call twice.
  void Close();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void DropWaitingTasks();

  // Guards `window` against Close while a worker posts. PostMessage never
  // waits for the UI thread, so holding it there cannot deadlock.
  std::mutex lock;
  HWND window = nullptr;
};
