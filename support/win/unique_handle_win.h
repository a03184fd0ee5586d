#pragma once
// Move-only owners for Win32 handles: one template, a traits struct per handle kind.
#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueWinHandle {
 public:
  using T = typename Traits::type;
  UniqueWinHandle() = default;
  explicit UniqueWinHandle(T value) : value_(value) {}
  ~UniqueWinHandle() { reset(); }
  UniqueWinHandle(const UniqueWinHandle&) = delete;
  UniqueWinHandle& operator=(const UniqueWinHandle&) = delete;
  UniqueWinHandle(UniqueWinHandle&& other) noexcept : value_(other.release()) {}
  UniqueWinHandle& operator=(UniqueWinHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::invalid(); }
  T release() { return std::exchange(value_, Traits::invalid()); }
  void reset(T value = Traits::invalid()) {
    if (value_ != Traits::invalid()) Traits::close(value_);
    value_ = value;
  }
  // For APIs that return the handle through an out-parameter.
  T* put() {
    reset();
    return &value_;
  }

 private:
  T value_ = Traits::invalid();
};

template <typename H, auto Close>
struct NullIsNone {
  using type = H;
  static H invalid() { return nullptr; }
  static void close(H h) { Close(h); }
};

template <auto Close>
struct InvalidValueIsNone {
  using type = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { Close(h); }
};

// Kernel objects (threads, events, mutexes): null means none.
using UniqueHandle = UniqueWinHandle<NullIsNone<HANDLE, &::CloseHandle>>;
// Files and find handles use INVALID_HANDLE_VALUE for none.
using UniqueFile = UniqueWinHandle<InvalidValueIsNone<&::CloseHandle>>;
using UniqueFind = UniqueWinHandle<InvalidValueIsNone<&::FindClose>>;
using UniqueRegKey = UniqueWinHandle<NullIsNone<HKEY, &::RegCloseKey>>;
using UniqueIcon = UniqueWinHandle<NullIsNone<HICON, &::DestroyIcon>>;
using UniqueMenu = UniqueWinHandle<NullIsNone<HMENU, &::DestroyMenu>>;
using UniqueGdiObject = UniqueWinHandle<NullIsNone<HGDIOBJ, &::DeleteObject>>;
using UniqueModule = UniqueWinHandle<NullIsNone<HMODULE, &::FreeLibrary>>;
using UniqueHook = UniqueWinHandle<NullIsNone<HHOOK, &::UnhookWindowsHookEx>>;
// A window this code created and must take down itself (a tooltip, a child dialog).
using UniqueWindow = UniqueWinHandle<NullIsNone<HWND, &::DestroyWindow>>;
