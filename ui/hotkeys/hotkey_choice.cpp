#include "ui/hotkeys/hotkey_choice.h"

HotKeySet HotKeysOf(const Settings& s) {
  return {{{s.NextModKey, s.NextKey},
           {s.PrevModKey, s.PrevKey},
           {s.PauseModKey, s.PauseKey},
           {s.SaveModKey, s.SaveKey},
           {s.BossModKey, s.BossKey}}};
}

void StoreHotKeys(const HotKeySet& k, Settings& s) {
  s.NextModKey = k[kHotKeyNext].modifier;
  s.NextKey = k[kHotKeyNext].key;
  s.PrevModKey = k[kHotKeyPrev].modifier;
  s.PrevKey = k[kHotKeyPrev].key;
  s.PauseModKey = k[kHotKeyPause].modifier;
  s.PauseKey = k[kHotKeyPause].key;
  s.SaveModKey = k[kHotKeySave].modifier;
  s.SaveKey = k[kHotKeySave].key;
  s.BossModKey = k[kHotKeyBlank].modifier;
  s.BossKey = k[kHotKeyBlank].key;
}

int32_t ListIndexForCode(const KeyNameTable& table, uint32_t code) {
  int32_t selected = -1;
  for (int32_t i = 0; i < table.Count(); ++i) {
    if (table.CodeAt(i) == code) selected = i;
  }
  return selected;
}

HotKeyVerdict StoreSelections(const HotKeySelections& selections, Settings& workingCopy) {
  HotKeySet keys = HotKeysOf(workingCopy);
  for (size_t i = 0; i < keys.size(); ++i) {
    keys[i].modifier = selections[i].modifier.value_or(keys[i].modifier);
    keys[i].key = selections[i].key.value_or(keys[i].key);
  }
  // Only next and previous are compared; a clash among the others leaves the
  // later registration failing, which the main window does not report.
  if (keys[kHotKeyPrev] == keys[kHotKeyNext]) return HotKeyVerdict::kSameNextAndPrevious;
  StoreHotKeys(keys, workingCopy);
  return HotKeyVerdict::kStored;
}
