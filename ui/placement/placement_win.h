#pragma once
// The desktop's work area and taskbar, as the placement arithmetic wants them.
#include "ui/placement/placement.h"

DesktopLayout QueryDesktopLayout();
