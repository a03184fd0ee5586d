#pragma once
// Owners for the GDI pairs that must be undone: a memory DC, and an object
// selected into a DC (a DC must not be deleted, nor its selected bitmap or
// font, while the object is still selected).
#include <windows.h>

#include <utility>

#include "support/win/unique_handle_win.h"

// A DC from CreateCompatibleDC, deleted with DeleteDC.
using UniqueMemoryDc = UniqueWinHandle<NullIsNone<HDC, &::DeleteDC>>;

// Selects a bitmap, font, pen or brush (not a region) into a DC and puts the
// previous object back when it ends. Declare it after the owners of the DC and
// of the object, so that it ends first.
class ScopedSelectObject {
 public:
  ScopedSelectObject() = default;
  // Nothing is selected (and nothing restored) for a null DC or object, or when selecting fails.
  ScopedSelectObject(HDC dc, HGDIOBJ object) {
    if (!dc || !object) return;
    HGDIOBJ previous = SelectObject(dc, object);
    if (!previous || previous == HGDI_ERROR) return;
    dc_ = dc;
    previous_ = previous;
  }
  ~ScopedSelectObject() { reset(); }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
  ScopedSelectObject(ScopedSelectObject&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr)) {}
  ScopedSelectObject& operator=(ScopedSelectObject&& other) noexcept {
    if (this != &other) {
      reset();
      dc_ = std::exchange(other.dc_, nullptr);
      previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
  }

  // True while the object is selected by this owner.
  explicit operator bool() const { return dc_ != nullptr; }
  // Puts the previous object back now.
  void reset() {
    if (dc_) SelectObject(dc_, previous_);
    dc_ = nullptr;
    previous_ = nullptr;
  }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};
