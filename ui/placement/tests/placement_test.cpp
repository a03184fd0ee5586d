#include "ui/placement/placement.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A 1280 x 1024 screen with a 40-pixel taskbar on each edge in turn.
DesktopLayout Bar(TaskbarEdge edge, bool onTop) {
  DesktopLayout d;
  d.edge = edge;
  d.taskbarAlwaysOnTop = onTop;
  switch (edge) {
    case TaskbarEdge::kLeft: d.taskbar = {0, 0, 40, 1024}; break;
    case TaskbarEdge::kTop: d.taskbar = {0, 0, 1280, 40}; break;
    case TaskbarEdge::kRight: d.taskbar = {1240, 0, 1280, 1024}; break;
    case TaskbarEdge::kBottom: d.taskbar = {0, 984, 1280, 1024}; break;
    case TaskbarEdge::kUnknown: break;
  }
  // An always-on-top bar is already outside the work area; one that may be
  // covered is not.
  d.workArea = {0, 0, 1280, 1024};
  if (onTop) {
    switch (edge) {
      case TaskbarEdge::kLeft: d.workArea.left = 40; break;
      case TaskbarEdge::kTop: d.workArea.top = 40; break;
      case TaskbarEdge::kRight: d.workArea.right = 1240; break;
      case TaskbarEdge::kBottom: d.workArea.bottom = 984; break;
      case TaskbarEdge::kUnknown: break;
    }
  }
  return d;
}

struct Case {
  TaskbarEdge edge;
  int32_t position;
  PlacePoint expected;  // for a 240 x 90 window
};

TEST(PlaceWindow, EveryPositionAgainstEveryTaskbarEdge) {
  const Case cases[] = {
      // Automatic follows the taskbar.
      {TaskbarEdge::kLeft, kPopupAutomatic, {40, 934}},      // lower left, right of the bar
      {TaskbarEdge::kTop, kPopupAutomatic, {1040, 40}},      // upper right, under the bar
      {TaskbarEdge::kRight, kPopupAutomatic, {1000, 934}},   // lower right, left of the bar
      {TaskbarEdge::kBottom, kPopupAutomatic, {1040, 894}},  // lower right, above the bar
      {TaskbarEdge::kUnknown, kPopupAutomatic, {1040, 934}},
      // Fixed corners stay in the free area.
      {TaskbarEdge::kBottom, kPopupUpperLeft, {0, 0}},
      {TaskbarEdge::kBottom, kPopupLowerLeft, {0, 894}},
      {TaskbarEdge::kBottom, kPopupLowerRight, {1040, 894}},
      {TaskbarEdge::kBottom, kPopupUpperRight, {1040, 0}},
      {TaskbarEdge::kLeft, kPopupUpperLeft, {40, 0}},
      {TaskbarEdge::kTop, kPopupUpperLeft, {0, 40}},
      {TaskbarEdge::kRight, kPopupUpperRight, {1000, 0}},
      // Centred in the free area.
      {TaskbarEdge::kBottom, kPopupCentered, {520, 447}},  // 640 - 120, 492 - 45
      {TaskbarEdge::kLeft, kPopupCentered, {540, 467}},    // 40 + 620 - 120
      {TaskbarEdge::kTop, kPopupCentered, {520, 487}},
      // Values the registry may hold but the dialog never writes.
      {TaskbarEdge::kLeft, 6, {40, 934}},
      {TaskbarEdge::kTop, -1, {1040, 40}},
      {TaskbarEdge::kBottom, INT32_MAX, {1040, 894}},
  };
  for (bool onTop : {true, false}) {
    for (const Case& c : cases) {
      const PlacePoint p = PlaceWindow(Bar(c.edge, onTop), c.position, 240, 90);
      EXPECT_EQ(p, c.expected) << "edge " << static_cast<int>(c.edge) << " position " << c.position
                               << " on top " << onTop << ": got " << p.x << "," << p.y;
    }
  }
}

TEST(PlaceWindow, CentredUsesIntegerHalvesRoundedTowardZero) {
  DesktopLayout d;
  d.workArea = {0, 0, 1279, 1003};
  EXPECT_EQ(PlaceWindow(d, kPopupCentered, 201, 75), (PlacePoint{639 - 100, 501 - 37}));
}

TEST(PopupArea, CutsOnlyAWorkAreaThatStillHoldsTheBar) {
  // A bar that may be covered: the work area spans the screen and is cut.
  EXPECT_EQ(PopupArea(Bar(TaskbarEdge::kBottom, false)), (PlaceRect{0, 0, 1280, 984}));
  EXPECT_EQ(PopupArea(Bar(TaskbarEdge::kRight, false)), (PlaceRect{0, 0, 1240, 1024}));
  // Always on top: the work area is taken as it is.
  EXPECT_EQ(PopupArea(Bar(TaskbarEdge::kBottom, true)), (PlaceRect{0, 0, 1280, 984}));

  // An auto-hidden bar parked mostly below the screen does not grow the area.
  DesktopLayout hidden = Bar(TaskbarEdge::kBottom, false);
  hidden.taskbar = {0, 1022, 1280, 1062};
  EXPECT_EQ(PopupArea(hidden), (PlaceRect{0, 0, 1280, 1022}));
  hidden.taskbar = {0, 1100, 1280, 1140};
  EXPECT_EQ(PopupArea(hidden), (PlaceRect{0, 0, 1280, 1024}));

  // A nonsense bar that covers everything leaves the work area alone.
  DesktopLayout covering = Bar(TaskbarEdge::kLeft, false);
  covering.taskbar = {0, 0, 5000, 1024};
  EXPECT_EQ(PopupArea(covering), (PlaceRect{0, 0, 1280, 1024}));
}

TEST(PlaceWindow, SecondaryMonitorLeftOfThePrimaryHasNegativeCoordinates) {
  DesktopLayout d;
  d.workArea = {-1920, 0, 0, 1040};
  d.edge = TaskbarEdge::kBottom;
  d.taskbar = {-1920, 1040, 0, 1080};
  EXPECT_EQ(PlaceWindow(d, kPopupLowerLeft, 240, 90), (PlacePoint{-1920, 950}));
  EXPECT_EQ(PlaceWindow(d, kPopupCentered, 240, 90), (PlacePoint{-1080, 475}));
}

}  // namespace
