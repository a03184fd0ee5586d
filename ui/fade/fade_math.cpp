#include "ui/fade/fade_math.h"

#include <algorithm>

namespace {
// q * 255 with q in single precision, truncated toward zero.
int ScaledQuotient(int32_t numerator, int32_t denominator) {
  const float q = static_cast<float>(numerator) / static_cast<float>(denominator);
  const float product = q * 255.0f;
  return static_cast<int>(std::clamp(product, -1.0e6f, 1.0e6f));
}

int ClampAlpha(int value) { return std::clamp(value, 0, 255); }
}  // namespace

int PopupAlpha(int32_t elapsedMs, int32_t durationMs, int32_t fadeMs) {
  if (fadeMs <= 0) return 255;
  if (elapsedMs < fadeMs) return ClampAlpha(ScaledQuotient(elapsedMs, fadeMs));
  // 64-bit: a hostile duration near INT32_MIN must not wrap.
  const int64_t fadeOutStart = static_cast<int64_t>(durationMs) - fadeMs;
  if (elapsedMs > fadeOutStart) {
    const int64_t intoFade = std::min<int64_t>(elapsedMs - fadeOutStart, fadeMs);
    return ClampAlpha(255 - ScaledQuotient(static_cast<int32_t>(intoFade), fadeMs));
  }
  return 255;
}

int32_t PopupElapsedAfterClick(int32_t elapsedMs, int32_t durationMs, int32_t fadeMs) {
  const int64_t fadeOutStart = static_cast<int64_t>(durationMs) - std::max(fadeMs, 0);
  return static_cast<int32_t>(std::max<int64_t>(elapsedMs, fadeOutStart));
}

int SplashAlpha(int32_t elapsedMs) {
  constexpr int32_t kFade = 400;
  if (elapsedMs <= kFade) return ClampAlpha(ScaledQuotient(std::max(elapsedMs, 0), kFade));
  if (elapsedMs >= 1666) return ClampAlpha(255 - ScaledQuotient(std::min(elapsedMs, kSplashEndMs) - 1600, kFade));
  return 255;
}

int FaderAlpha(int64_t elapsedMs, int64_t durationMs, bool fadingIn) {
  if (durationMs <= 0) return fadingIn ? 255 : 0;
  const int64_t elapsed = std::clamp<int64_t>(elapsedMs, 0, durationMs);
  const int rising = static_cast<int>(elapsed * 255 / durationMs);
  return ClampAlpha(fadingIn ? rising : 255 - rising);
}
