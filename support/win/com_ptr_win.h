#pragma once
// Move-only owners for a thread's COM initialisation and for interface pointers.
#include <windows.h>
#include <objbase.h>

#include <utility>

// Joins a COM apartment for a scope and balances it on destruction. A thread
// that already lives in another apartment stays there untouched, and COM is
// usable as it is.
class ComApartment {
 public:
  explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) : result_(CoInitializeEx(nullptr, model)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  // False only when COM cannot be used on this thread at all
  // (RPC_E_CHANGED_MODE: COM is already up in another mode, which serves as well).
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
  // True when the thread is in the apartment that was asked for, not merely in another one.
  bool InRequestedModel() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* p) : p_(p) {}
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
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  // For creation functions that hand the pointer out through a parameter.
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
