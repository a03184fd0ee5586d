#pragma once
// The port through which any part tells the user something; the status popup
// implements it. Main thread only.
#include <cstdint>
#include <string>

#include "support/app_messages.h"

// Click messages a status message may post to the main window.
inline constexpr uint32_t kStatusClickNone = 0;
inline constexpr uint32_t kStatusClickOpenSettings = kMsgOpenSettings;
inline constexpr uint32_t kStatusClickOpenInternetSettings = kMsgOpenInternetSettings;

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  // Shows `text` for durationMs; a showing message is replaced only when
  // `force` is set. A left click posts clickMessage (0 = none) to the main window.
  virtual void ShowStatus(const std::string& text, bool force, int32_t durationMs, uint32_t clickMessage) = 0;
};
