#include "support/dispatch/ui_dispatcher_win.h"

#include <memory>

#include "support/app_messages.h"

namespace {

constexpr const char* kClassName = "SkyframeUiDispatcher";

bool RegisterDispatcherClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

UiDispatcher::UiDispatcher() {
  if (!RegisterDispatcherClass(&UiDispatcher::WindowProc)) return;
  window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
}

UiDispatcher::~UiDispatcher() { Close(); }

bool UiDispatcher::Post(Task task) {
  auto owned = std::make_unique<Task>(std::move(task));
  std::lock_guard<std::mutex> guard(lock);
  if (!window) return false;
  if (!PostMessageA(window, kMsgDispatchTask, 0, reinterpret_cast<LPARAM>(owned.get()))) return false;
  owned.release();  // the window's procedure frees it
  return true;
}

void UiDispatcher::Close() {
  HWND closing;
  {
    std::lock_guard<std::mutex> guard(lock);
    closing = window;
    window = nullptr;
  }
  if (!closing) return;
  // No Post succeeds any more; what is queued is freed here instead of running.
  MSG msg;
  while (PeekMessageA(&msg, closing, kMsgDispatchTask, kMsgDispatchTask, PM_REMOVE))
    delete reinterpret_cast<Task*>(msg.lParam);
  DestroyWindow(closing);
}

LRESULT CALLBACK UiDispatcher::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMsgDispatchTask) {
    std::unique_ptr<Task> task(reinterpret_cast<Task*>(lParam));
    if (task && *task) (*task)();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
