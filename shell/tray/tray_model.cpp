#include "shell/tray/tray_model.h"

#include "shell/tray/tray_ids.h"
#include "ui/hotkeys/key_names.h"

std::vector<TrayMenuEntry> TrayMenuEntries(const Settings& s, bool engineCanBlock) {
  const bool internet = s.GetImageFromInternet;
  const std::string pauseWord = s.ChangeAtTime ? "&Pause" : "R&esume";
  return {
      {IDM_TRAY_SETTINGS, "Se&ttings", true},
      {IDM_TRAY_SEARCH_TEXT, s.EngineIndex != 0 ? "Change Keywords" : "Change URL", internet},
      {0, "", true},
      {IDM_TRAY_NEXT, "Load &Next Wallpaper  " + HotKeyText(s.NextModKey, s.NextKey), true},
      {IDM_TRAY_PREVIOUS, "Load P&revious Wallpaper   " + HotKeyText(s.PrevModKey, s.PrevKey), true},
      {IDM_TRAY_PAUSE, pauseWord + " Changing Wallpaper   " + HotKeyText(s.PauseModKey, s.PauseKey), true},
      {0, "", true},
      {IDM_TRAY_SAVE, "&Save Current Wallpaper  " + HotKeyText(s.SaveModKey, s.SaveKey), internet},
      {IDM_TRAY_BLOCK, "Block Image", internet && engineCanBlock},
      {IDM_TRAY_BLANK, "&Blank/Restore Wallpaper  " + HotKeyText(s.BossModKey, s.BossKey), true},
      {0, "", true},
      {IDM_TRAY_SUPPORT, "Support", true},
      {0, "", true},
      {IDM_TRAY_EXIT, "E&xit", true},
  };
}

std::string TrayTip(bool working, bool changeAtTime) {
  if (working) return "Skyframe (Working)";
  return changeAtTime ? "Skyframe" : "Skyframe (Paused)";
}

int IdleIconResource(bool changeAtTime) { return changeAtTime ? IDI_TRAY_NORMAL : IDI_TRAY_PAUSED; }

std::size_t NextAnimationFrame(std::size_t current) {
  return current + 1 < kTrayAnimationFrames.size() ? current + 1 : 0;
}

std::array<HotKeyBinding, 5> HotKeyBindings(const Settings& s) {
  return {{{HOTKEY_NEXT, s.NextModKey, s.NextKey},
           {HOTKEY_PREVIOUS, s.PrevModKey, s.PrevKey},
           {HOTKEY_PAUSE, s.PauseModKey, s.PauseKey},
           {HOTKEY_SAVE, s.SaveModKey, s.SaveKey},
           {HOTKEY_BLANK, s.BossModKey, s.BossKey}}};
}

bool HotKeyPressFilter::Accept(int id, uint32_t key, uint32_t timeMs, uint32_t nowMs, bool heldNow) {
  if (id < 0 || static_cast<size_t>(id) >= last.size()) return true;
  Last& previous = last[static_cast<size_t>(id)];
  const bool lockKey = key == 0x91 || key == 0x14 || key == 0x90;  // VK_SCROLL, VK_CAPITAL, VK_NUMLOCK
  if (previous.seen) {
    if (previous.held) {
      if (lockKey || timeMs - previous.eventMs >= kFastestRepeatMs) {
        previous.eventMs = timeMs;
        return false;
      }
    } else if (lockKey && key == previous.key &&
               static_cast<int32_t>(timeMs - previous.settledMs) < kEchoSlackMs) {  // signed: the tick wraps
      return false;
    }
  }
  previous = {true, heldNow, key, timeMs, nowMs};
  return true;
}

void HotKeyPressFilter::Released(int id, uint32_t nowMs) {
  if (id < 0 || static_cast<size_t>(id) >= last.size()) return;
  last[static_cast<size_t>(id)].held = false;
  last[static_cast<size_t>(id)].settledMs = nowMs;
}

std::vector<std::pair<int, uint32_t>> HotKeyPressFilter::Held() const {
  std::vector<std::pair<int, uint32_t>> held;
  for (size_t id = 0; id < last.size(); ++id)
    if (last[id].held) held.emplace_back(static_cast<int>(id), last[id].key);
  return held;
}

HotKeyAction HotKeyActionFor(int id, uint32_t modifiers, uint32_t key, const Settings& s, bool working) {
  switch (id) {
    case HOTKEY_NEXT:
      return modifiers == s.NextModKey && key == s.NextKey ? HotKeyAction::kNext : HotKeyAction::kNone;
    case HOTKEY_PREVIOUS:
      return working || (modifiers == s.PrevModKey && key == s.PrevKey) ? HotKeyAction::kPrevious
                                                                          : HotKeyAction::kNone;
    case HOTKEY_PAUSE:
      return HotKeyAction::kPauseToggle;
    case HOTKEY_SAVE:
      return s.GetImageFromInternet ? HotKeyAction::kSave : HotKeyAction::kNone;
    case HOTKEY_BLANK:
      return HotKeyAction::kBlank;
    default:
      return HotKeyAction::kNone;
  }
}
