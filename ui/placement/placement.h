#pragma once
// Where the status popup and the quick-entry box go: a corner of the desktop's
// free area next to the taskbar, or its centre. Pure arithmetic; the Win32
// side only gathers the desktop's layout.
#include <cstdint>

struct PlaceRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const PlaceRect&, const PlaceRect&) = default;
};

struct PlacePoint {
  int32_t x = 0, y = 0;
  friend bool operator==(const PlacePoint&, const PlacePoint&) = default;
};

// Values of the StatusPopupPos setting, and the shell's taskbar edges (ABE_*).
enum PopupPosition : int32_t {
  kPopupAutomatic = 0,
  kPopupCentered = 1,
  kPopupUpperLeft = 2,
  kPopupLowerLeft = 3,
  kPopupLowerRight = 4,
  kPopupUpperRight = 5,
};
enum class TaskbarEdge : int32_t { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3, kUnknown = -1 };

struct DesktopLayout {
  PlaceRect workArea;
  // kUnknown when the shell could not say where its taskbar is.
  TaskbarEdge edge = TaskbarEdge::kUnknown;
  PlaceRect taskbar;
  bool taskbarAlwaysOnTop = true;
};

// The work area, less the taskbar when the work area may still include it.
PlaceRect PopupArea(const DesktopLayout& layout);

// A stored position made concrete: "Automatic" becomes the corner nearest the
// taskbar; a value outside 0-5 counts as "Automatic".
int32_t ResolvePosition(int32_t position, TaskbarEdge edge);

// Top-left corner of a width x height window at `position`.
PlacePoint PlaceWindow(const DesktopLayout& layout, int32_t position, int32_t width, int32_t height);
