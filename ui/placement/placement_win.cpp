#include "ui/placement/placement_win.h"

#include <windows.h>
#include <shellapi.h>

DesktopLayout QueryDesktopLayout() {
  DesktopLayout layout;
  RECT work{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
    work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  layout.workArea = {work.left, work.top, work.right, work.bottom};

  APPBARDATA bar{};
  bar.cbSize = sizeof(bar);
  const UINT_PTR state = SHAppBarMessage(ABM_GETSTATE, &bar);
  layout.taskbarAlwaysOnTop = (state & ABS_ALWAYSONTOP) != 0;
  bar = APPBARDATA{};
  bar.cbSize = sizeof(bar);
  if (SHAppBarMessage(ABM_GETTASKBARPOS, &bar) && bar.uEdge <= ABE_BOTTOM) {
    layout.edge = static_cast<TaskbarEdge>(bar.uEdge);
    layout.taskbar = {bar.rc.left, bar.rc.top, bar.rc.right, bar.rc.bottom};
  } else {
    // No taskbar to cut away or to steer "Automatic".
    layout.edge = TaskbarEdge::kUnknown;
    layout.taskbarAlwaysOnTop = true;
  }
  return layout;
}
