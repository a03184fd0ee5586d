#pragma once
// Move-only owner of a kernel handle (thread, mutex, event); closes it once.
#include <windows.h>

class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE h) : handle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~OwnedHandle() { Reset(); }
  OwnedHandle(OwnedHandle&& other) noexcept : handle(other.Release()) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  HANDLE Get() const { return handle; }
  explicit operator bool() const { return handle != nullptr; }
  HANDLE Release() {
    HANDLE h = handle;
    handle = nullptr;
    return h;
  }
  void Reset(HANDLE h = nullptr) {
    if (handle) CloseHandle(handle);
    handle = h == INVALID_HANDLE_VALUE ? nullptr : h;
  }

 private:
  HANDLE handle = nullptr;
};
