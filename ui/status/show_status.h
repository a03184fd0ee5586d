#pragma once
// The program-wide way to tell the user something: a message in the status
// popup. Callers anywhere (the pipeline, the plug-in binding) use ShowStatus;
// the shell installs the sink that shows it. Main thread only.
#include <cstdint>
#include <string>

// Click messages the main window understands.
inline constexpr uint32_t kStatusClickNone = 0;
inline constexpr uint32_t kStatusClickOpenSettings = 0x8002;          // WM_APP + 2
inline constexpr uint32_t kStatusClickOpenInternetSettings = 0x8003;  // WM_APP + 3

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  virtual void ShowStatus(const std::string& text, bool force, int32_t durationMs, uint32_t clickMessage) = 0;
};

// Installs the sink (null: messages are dropped until one is installed).
void SetStatusSink(StatusSink* sink);
StatusSink* CurrentStatusSink();

// Shows `text` for durationMs; a showing message is replaced only when
// `force` is set. A left click posts clickMessage (0 = none) to the main window.
void ShowStatus(const std::string& text, bool force, int32_t durationMs, uint32_t clickMessage);
