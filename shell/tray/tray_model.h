#pragma once
// What the tray shows, as plain values: the menu's entries with their labels
// and states, the icon and tip for each state, and which hot-key messages are
// acted on. The Win32 side only copies these into the shell's objects.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "shell/tray/tray_ids.h"

// One entry of the tray menu; id 0 is a separator.
struct TrayMenuEntry {
  uint32_t id = 0;
  std::string label;
  bool enabled = true;
  friend bool operator==(const TrayMenuEntry&, const TrayMenuEntry&) = default;
};

// The whole menu, top to bottom. `engineCanBlock`: the engine of EngineIndex
// can block images (its capability byte 4).
std::vector<TrayMenuEntry> TrayMenuEntries(const Settings& settings, bool engineCanBlock);

// "Skyframe", "Skyframe (Working)" or "Skyframe (Paused)".
std::string TrayTip(bool working, bool changeAtTime);
// The icon resource shown while no change is working.
int IdleIconResource(bool changeAtTime);

// Animation frames in the order they are shown.
inline constexpr std::array<int, 6> kTrayAnimationFrames = {IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_2, IDI_TRAY_FRAME_3,
                                                           IDI_TRAY_FRAME_4, IDI_TRAY_FRAME_5, IDI_TRAY_FRAME_6};
// The frame after `current`; after the last one the first again.
std::size_t NextAnimationFrame(std::size_t current);

// The registration of one hot key.
struct HotKeyBinding {
  int id = 0;
  uint32_t modifiers = 0;
  uint32_t key = 0;
};
// Hot keys 1 to 5 with the settings' modifier and key words.
std::array<HotKeyBinding, 5> HotKeyBindings(const Settings& settings);

enum class HotKeyAction { kNone, kNext, kPrevious, kPauseToggle, kSave, kBlank };

// What a WM_HOTKEY message asks for. Next and previous are acted on only when
// the message carries the configured pair, except that previous always
// answers while a change is working (with the in-progress message); save
// needs the internet source.
HotKeyAction HotKeyActionFor(int id, uint32_t modifiers, uint32_t key, const Settings& settings, bool working);
