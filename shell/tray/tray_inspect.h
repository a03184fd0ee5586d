#pragma once
// A look at the tray from outside the process, for the tests that drive the
// real program: the main window answers the registered message
// kTrayInspectMessageName with the packed value below.
#include <cstdint>
#include <string>

inline constexpr const char* kTrayInspectMessageName = "SkyframeTrayInspect";

enum class TrayTipKind : uint32_t { kIdle = 0, kPaused = 1, kWorking = 2, kOther = 3 };

struct TrayInspection {
  int iconResource = 0;  // the icon in the tray data now
  TrayTipKind tip = TrayTipKind::kOther;
  bool working = false;
  bool added = false;    // the shell holds the icon
  int addCount = 0;      // successful NIM_ADD calls, modulo 256
  friend bool operator==(const TrayInspection&, const TrayInspection&) = default;
};

TrayTipKind TipKindOf(const std::string& tip);
uint32_t PackTrayInspection(const TrayInspection& inspection);
TrayInspection UnpackTrayInspection(uint32_t packed);
