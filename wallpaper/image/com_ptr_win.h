#pragma once
// Move-only owner of a COM interface pointer.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace image {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  // For APIs that return the interface through an out-parameter.
  T** put() {
    reset();
    return &p_;
  }
  template <typename U>
  HRESULT As(const IID& iid, ComPtr<U>& out) const {
    return p_ ? p_->QueryInterface(iid, reinterpret_cast<void**>(out.put())) : E_POINTER;
  }

 private:
  T* p_ = nullptr;
};

// Joins the multithreaded apartment for a scope, unless the thread already
// lives in a single-threaded one (then COM is usable as it is).
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }
  bool multithreaded() const { return SUCCEEDED(hr_); }

 private:
  HRESULT hr_;
};

}  // namespace image
