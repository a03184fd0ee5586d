#include "shell/tray/tray_inspect.h"

TrayTipKind TipKindOf(const std::string& tip) {
  if (tip == "Skyframe") return TrayTipKind::kIdle;
  if (tip == "Skyframe (Paused)") return TrayTipKind::kPaused;
  if (tip == "Skyframe (Working)") return TrayTipKind::kWorking;
  return TrayTipKind::kOther;
}

uint32_t PackTrayInspection(const TrayInspection& i) {
  return (static_cast<uint32_t>(i.iconResource) & 0xFFFFu) | (static_cast<uint32_t>(i.tip) & 3u) << 16 |
         (i.working ? 1u : 0u) << 18 | (i.added ? 1u : 0u) << 19 |
         (static_cast<uint32_t>(i.addCount) & 0xFFu) << 20;
}

TrayInspection UnpackTrayInspection(uint32_t p) {
  TrayInspection i;
  i.iconResource = static_cast<int>(p & 0xFFFFu);
  i.tip = static_cast<TrayTipKind>((p >> 16) & 3u);
  i.working = (p >> 18) & 1u;
  i.added = (p >> 19) & 1u;
  i.addCount = static_cast<int>((p >> 20) & 0xFFu);
  return i;
}
