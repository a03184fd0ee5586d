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

// Keeps one press of a hot key to one action. Windows repeats a held hot key
// unless it was registered without repeat, which Wine ignores; and Wine
// delivers a lock key (Scroll, Caps or Num Lock) once on the press and again
// when it syncs the lock's state on the release. A press that is still held
// when it is handled stays "held" until the caller reports the key released
// (it watches the key while any press is held); every event until then is a
// repeat of that press, unless it follows the last event faster than any
// keyboard repeats (two presses sent at once). A lock key's event stamped
// before its last press was settled (handled after its release, or seen
// released) is that press's echo.
class HotKeyPressFilter {
 public:
  // Clock slack between message times and the tick count.
  static constexpr int32_t kEchoSlackMs = 20;
  // Keyboards repeat at most about 30 times a second; closer events are presses.
  static constexpr uint32_t kFastestRepeatMs = 15;

  // `timeMs`: the message's time; `nowMs`: the tick count as it is handled;
  // `heldNow`: the key is down as it is handled.
  bool Accept(int id, uint32_t key, uint32_t timeMs, uint32_t nowMs, bool heldNow);
  // The key of hot key `id` was seen up again at `nowMs`.
  void Released(int id, uint32_t nowMs);
  // Hot keys whose press is still held, with their keys; empty when none is.
  std::vector<std::pair<int, uint32_t>> Held() const;

 private:
  struct Last {
    bool seen = false;
    bool held = false;
    uint32_t key = 0;
    uint32_t eventMs = 0;    // the message time of this press's last event
    uint32_t settledMs = 0;  // when this press was known to be over
  };
  std::array<Last, 6> last{};
};

enum class HotKeyAction { kNone, kNext, kPrevious, kPauseToggle, kSave, kBlank };

// What a WM_HOTKEY message asks for. Next and previous are acted on only when
// the message carries the configured pair, except that previous always
// answers while a change is working (with the in-progress message); save
// needs the internet source.
HotKeyAction HotKeyActionFor(int id, uint32_t modifiers, uint32_t key, const Settings& settings, bool working);
