#pragma once
// What the hot-key dialog reads from and writes to the settings working copy,
// kept apart from the dialog so that the rules run without a window.
#include <array>
#include <cstdint>
#include <optional>

#include "settings/settings.h"
#include "ui/hotkeys/key_names.h"

// Order of the dialog's rows: next, previous, pause, save, blank.
enum HotKeyFunction { kHotKeyNext, kHotKeyPrev, kHotKeyPause, kHotKeySave, kHotKeyBlank, kHotKeyFunctionCount };

struct HotKey {
  uint32_t modifier = 0;
  uint32_t key = 0;
  bool operator==(const HotKey&) const = default;
};

using HotKeySet = std::array<HotKey, kHotKeyFunctionCount>;

HotKeySet HotKeysOf(const Settings& settings);
void StoreHotKeys(const HotKeySet& keys, Settings& settings);

// The item a list filled from `table` in order shows for `code`: each match
// moves the selection, so a code that stands twice selects its later item.
// -1 when the code is not in the table.
int32_t ListIndexForCode(const KeyNameTable& table, uint32_t code);

// A list's selected code, or none when the list has no selection.
struct HotKeySelection {
  std::optional<uint32_t> modifier;
  std::optional<uint32_t> key;
};
using HotKeySelections = std::array<HotKeySelection, kHotKeyFunctionCount>;

enum class HotKeyVerdict { kStored, kSameNextAndPrevious };

// OK of the dialog. A list without a selection keeps the working copy's value
// (it can only lack one when that value is outside the tables). Refuses, and
// stores nothing, when next and previous would share one combination.
HotKeyVerdict StoreSelections(const HotKeySelections& selections, Settings& workingCopy);
