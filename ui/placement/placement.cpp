#include "ui/placement/placement.h"

#include <algorithm>

PlaceRect PopupArea(const DesktopLayout& layout) {
  PlaceRect area = layout.workArea;
  if (layout.taskbarAlwaysOnTop) return area;
  // The work area of a taskbar that may be covered still includes it. Only
  // ever shrink: an auto-hidden bar lies mostly off the screen.
  const PlaceRect& bar = layout.taskbar;
  switch (layout.edge) {
    case TaskbarEdge::kLeft: area.left = std::max(area.left, bar.right); break;
    case TaskbarEdge::kTop: area.top = std::max(area.top, bar.bottom); break;
    case TaskbarEdge::kRight: area.right = std::min(area.right, bar.left); break;
    case TaskbarEdge::kBottom: area.bottom = std::min(area.bottom, bar.top); break;
    case TaskbarEdge::kUnknown: break;
  }
  // A bar covering the whole area would leave nothing: keep the work area.
  if (area.right <= area.left || area.bottom <= area.top) return layout.workArea;
  return area;
}

int32_t ResolvePosition(int32_t position, TaskbarEdge edge) {
  if (position >= kPopupCentered && position <= kPopupUpperRight) return position;
  switch (edge) {
    case TaskbarEdge::kLeft: return kPopupLowerLeft;
    case TaskbarEdge::kTop: return kPopupUpperRight;
    default: return kPopupLowerRight;
  }
}

PlacePoint PlaceWindow(const DesktopLayout& layout, int32_t position, int32_t width, int32_t height) {
  const PlaceRect a = PopupArea(layout);
  switch (ResolvePosition(position, layout.edge)) {
    case kPopupCentered:
      // Centred in the area itself, so a taskbar on the left or top does not
      // pull the window off centre; with the area at the origin this is
      // right / 2 - width / 2.
      return {a.left + (a.right - a.left) / 2 - width / 2, a.top + (a.bottom - a.top) / 2 - height / 2};
    case kPopupUpperLeft: return {a.left, a.top};
    case kPopupLowerLeft: return {a.left, a.bottom - height};
    case kPopupUpperRight: return {a.right - width, a.top};
    default: return {a.right - width, a.bottom - height};
  }
}
