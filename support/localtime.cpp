#include "support/localtime.h"

bool ToLocalTime(int64_t seconds, std::tm& out) {
  std::time_t t = static_cast<std::time_t>(seconds);
#ifdef _WIN32
  return localtime_s(&out, &t) == 0;
#else
  return localtime_r(&t, &out) != nullptr;
#endif
}

int64_t NowSeconds() { return static_cast<int64_t>(std::time(nullptr)); }
