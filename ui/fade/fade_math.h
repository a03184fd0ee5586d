#pragma once
// Alpha values of the fading windows, tick by tick. Kept free of Win32 so the
// exact arithmetic can be checked natively.
#include <cstdint>

// The status popup after `elapsedMs` of `durationMs` with fades of `fadeMs`:
// rising over the first fadeMs, falling over the last fadeMs, opaque in
// between. The quotient is single precision and the product is truncated
// toward zero. The steady phase is 255 whatever the last rising tick gave, so
// a tick that steps over the end of the fade-in cannot leave the window
// translucent. A fade of 0 ms or less means no fade.
int PopupAlpha(int32_t elapsedMs, int32_t durationMs, int32_t fadeMs);

// A click makes the fade-out start now: elapsed becomes at least duration - fade.
int32_t PopupElapsedAfterClick(int32_t elapsedMs, int32_t durationMs, int32_t fadeMs);

// The popup's window goes once elapsed reaches the duration.
inline bool PopupFinished(int32_t elapsedMs, int32_t durationMs) { return elapsedMs >= durationMs; }

// The splash window at `elapsedMs`: rising up to 400 ms, opaque in between,
// falling from 1666 ms (measured from 1600, so it starts part-way down).
inline constexpr int32_t kSplashTickMs = 10;
inline constexpr int32_t kSplashEndMs = 2000;
int SplashAlpha(int32_t elapsedMs);

// The window fader: elapsed * 255 / duration truncated (255 minus that when
// fading out), clamped to 0-255. A duration of 0 or less is already complete.
int FaderAlpha(int64_t elapsedMs, int64_t durationMs, bool fadingIn);
