#pragma once
// Timer ids of the main window; the scheduler and the tray share that window.
#include <cstdint>

inline constexpr uintptr_t kChangeTimerId = 567;
inline constexpr uintptr_t kTrayMenuTimer = 159;
inline constexpr uintptr_t kTrayAnimationTimer = 987;
inline constexpr uintptr_t kHotKeyReleaseTimer = 988;
