#include "ui/hotkeys/key_names.h"

#include <gtest/gtest.h>

#include <set>

#include "ui/hotkeys/hotkey_choice.h"

namespace {

struct Row {
  int32_t index;
  const char* name;
  uint32_t code;
};

// Every block boundary of the key table, both duplicates and the last entry.
constexpr Row kKeyRows[] = {
    {0, "0", 0x30},          {9, "9", 0x39},           {10, "A", 0x41},
    {35, "Z", 0x5A},         {36, "F1", 0x70},         {47, "F12", 0x7B},
    {48, "Page Up", 0x21},   {49, "Page Dn", 0x22},    {50, "Up", 0x26},
    {51, "Down", 0x28},      {52, "Left", 0x25},       {53, "Right", 0x27},
    {54, "Home", 0x24},      {55, "End", 0x23},        {56, "Tab", 0x09},
    {57, "Backspace", 0x08}, {58, "Spacebar", 0x20},   {59, "Print Screen", 0x2C},
    {60, "Scroll Lock", 0x91}, {61, "Pause/Break", 0x13}, {62, "Num Lock", 0x90},
    {63, "Insert", 0x2D},    {64, "Home", 0x24},       {65, "End", 0x23},
    {66, "Delete", 0x2E},    {67, "Keypad +", 0x6B},   {68, "Keypad -", 0x6D},
    {69, "Keypad *", 0x6A},  {70, "Keypad /", 0x6F},   {71, "Keypad .", 0x6E},
    {72, "Keypad 0", 0x60},  {76, "Keypad 4", 0x64},   {81, "Keypad 9", 0x69},
};

TEST(KeyTable, HoldsEightyTwoEntriesInOrder) {
  const KeyNameTable& t = KeyTable();
  ASSERT_EQ(t.Count(), 82);
  for (const Row& r : kKeyRows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(t.NameAt(r.index), r.name);
    EXPECT_EQ(t.CodeAt(r.index), r.code);
  }
  // Letters and digits run without gaps; their names are the characters of their codes.
  for (int32_t i = 0; i < 36; ++i) {
    EXPECT_EQ(t.NameAt(i), std::string(1, static_cast<char>(t.CodeAt(i)))) << i;
  }
  for (int32_t i = 0; i < 12; ++i) {
    EXPECT_EQ(t.NameAt(36 + i), "F" + std::to_string(i + 1));
    EXPECT_EQ(t.CodeAt(36 + i), 0x70u + static_cast<uint32_t>(i));
  }
}

TEST(KeyTable, OnlyHomeAndEndStandTwice) {
  const KeyNameTable& t = KeyTable();
  std::multiset<uint32_t> codes;
  for (int32_t i = 0; i < t.Count(); ++i) codes.insert(t.CodeAt(i));
  for (uint32_t code : codes) {
    EXPECT_EQ(codes.count(code), code == 0x24 || code == 0x23 ? 2u : 1u) << std::hex << code;
  }
}

TEST(KeyTable, LookupsOutsideTheTable) {
  const KeyNameTable& t = KeyTable();
  for (int32_t index : {-1, 82, 1000, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(t.NameAt(index), std::nullopt) << index;
    EXPECT_EQ(t.CodeAt(index), 0u) << index;
  }
  EXPECT_EQ(t.NameOfCode(0x24), "Home");
  EXPECT_EQ(t.NameOfCode(0x07), std::nullopt);
  EXPECT_EQ(t.NameOfCode(0xFFFFFFFFu), std::nullopt);
}

TEST(KeyNameTable, StartsEmptyAndFindsTheFirstOfDuplicates) {
  KeyNameTable t;
  EXPECT_EQ(t.Count(), 0);
  EXPECT_EQ(t.NameAt(0), std::nullopt);
  EXPECT_EQ(t.NameOfCode(0), std::nullopt);
  t.Add("first", 7);
  t.Add("second", 7);
  t.Add("", 9);
  EXPECT_EQ(t.Count(), 3);
  EXPECT_EQ(t.NameOfCode(7), "first");
  EXPECT_EQ(t.NameOfCode(9), "");
  EXPECT_EQ(t.NameAt(1), "second");
}

TEST(ModifierTables, SameCodesInSameOrderWithTheirOwnNames) {
  struct M {
    uint32_t code;
    const char* dialog;
    const char* menu;
  };
  constexpr M kRows[] = {{2, "Control", "Ctrl"}, {1, "Alt", "Alt"}, {4, "Shift", "Shift"}, {8, "Windows key", "WinKey"}};
  ASSERT_EQ(DialogModifierTable().Count(), 4);
  ASSERT_EQ(MenuModifierTable().Count(), 4);
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(DialogModifierTable().CodeAt(i), kRows[i].code);
    EXPECT_EQ(MenuModifierTable().CodeAt(i), kRows[i].code);
    EXPECT_EQ(DialogModifierTable().NameAt(i), kRows[i].dialog);
    EXPECT_EQ(MenuModifierTable().NameAt(i), kRows[i].menu);
  }
}

TEST(HotKeyText, MenuLabels) {
  struct Case {
    uint32_t modifier, key;
    const char* text;
  };
  constexpr Case kCases[] = {
      {2, 0x22, "Ctrl + Page Dn"},
      {8, 0x08, "WinKey + Backspace"},
      {4, 0x2C, "Shift + Print Screen"},
      {1, 0x24, "Alt + Home"},
      {4, 0x6E, "Shift + Keypad ."},
      // Combined or unknown modifiers and unknown keys print as empty names.
      {3, 0x41, " + A"},
      {2, 0x07, "Ctrl + "},
      {0, 0, " + "},
  };
  for (const Case& c : kCases) EXPECT_EQ(HotKeyText(c.modifier, c.key), c.text);
}

TEST(ListIndexForCode, LaterDuplicateWinsAndUnknownHasNone) {
  EXPECT_EQ(ListIndexForCode(KeyTable(), 0x24), 64);
  EXPECT_EQ(ListIndexForCode(KeyTable(), 0x23), 65);
  EXPECT_EQ(ListIndexForCode(KeyTable(), 0x22), 49);
  EXPECT_EQ(ListIndexForCode(KeyTable(), 0x07), -1);
  EXPECT_EQ(ListIndexForCode(DialogModifierTable(), 8), 3);
  EXPECT_EQ(ListIndexForCode(DialogModifierTable(), 3), -1);
}

HotKeySelections SelectionsOf(const HotKeySet& keys) {
  HotKeySelections s;
  for (size_t i = 0; i < keys.size(); ++i) s[i] = {keys[i].modifier, keys[i].key};
  return s;
}

TEST(StoreSelections, RefusesOnlyNextEqualToPrevious) {
  const HotKeySet defaults = HotKeysOf(Settings());
  struct Case {
    const char* name;
    HotKeySet chosen;
    HotKeyVerdict verdict;
  };
  const Case kCases[] = {
      {"next equals previous", {{{1, 0x41}, {1, 0x41}, {4, 0x13}, {4, 0x2C}, {4, 0x91}}}, HotKeyVerdict::kSameNextAndPrevious},
      {"same key, other modifier", {{{1, 0x41}, {2, 0x41}, {4, 0x13}, {4, 0x2C}, {4, 0x91}}}, HotKeyVerdict::kStored},
      {"same modifier, other key", {{{1, 0x41}, {1, 0x42}, {4, 0x13}, {4, 0x2C}, {4, 0x91}}}, HotKeyVerdict::kStored},
      {"pause equals save", {{{2, 0x22}, {2, 0x21}, {8, 0x24}, {8, 0x24}, {4, 0x91}}}, HotKeyVerdict::kStored},
      {"next equals blank", {{{4, 0x91}, {2, 0x21}, {4, 0x13}, {4, 0x2C}, {4, 0x91}}}, HotKeyVerdict::kStored},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Settings copy;
    EXPECT_EQ(StoreSelections(SelectionsOf(c.chosen), copy), c.verdict);
    EXPECT_EQ(HotKeysOf(copy), c.verdict == HotKeyVerdict::kStored ? c.chosen : defaults);
  }
}

TEST(StoreSelections, ListWithoutSelectionKeepsTheWorkingCopysValue) {
  Settings copy;
  copy.NextModKey = 3;  // Ctrl+Alt: in the registry, but not in the lists
  copy.SaveKey = 0x07;
  HotKeySelections s = SelectionsOf(HotKeysOf(copy));
  s[kHotKeyNext].modifier.reset();
  s[kHotKeySave].key.reset();
  s[kHotKeyPause] = {1, 0x41};
  ASSERT_EQ(StoreSelections(s, copy), HotKeyVerdict::kStored);
  EXPECT_EQ(copy.NextModKey, 3u);
  EXPECT_EQ(copy.SaveKey, 0x07u);
  EXPECT_EQ(copy.PauseModKey, 1u);
  EXPECT_EQ(copy.PauseKey, 0x41u);
}

TEST(StoreSelections, KeptValueCountsInTheNextPreviousComparison) {
  Settings copy;
  copy.NextModKey = 3;
  copy.NextKey = 0x41;
  HotKeySelections s = SelectionsOf(HotKeysOf(copy));
  s[kHotKeyNext].modifier.reset();
  s[kHotKeyPrev] = {3, 0x41};
  EXPECT_EQ(StoreSelections(s, copy), HotKeyVerdict::kSameNextAndPrevious);
  EXPECT_EQ(copy.PrevModKey, 2u);
}

TEST(HotKeysOf, RoundTripsThroughTheTenSettingsWords) {
  Settings s;
  const HotKeySet keys = {{{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}}};
  StoreHotKeys(keys, s);
  EXPECT_EQ(s.NextModKey, 1u);
  EXPECT_EQ(s.NextKey, 2u);
  EXPECT_EQ(s.PrevModKey, 3u);
  EXPECT_EQ(s.PrevKey, 4u);
  EXPECT_EQ(s.PauseModKey, 5u);
  EXPECT_EQ(s.PauseKey, 6u);
  EXPECT_EQ(s.SaveModKey, 7u);
  EXPECT_EQ(s.SaveKey, 8u);
  EXPECT_EQ(s.BossModKey, 9u);
  EXPECT_EQ(s.BossKey, 10u);
  EXPECT_EQ(HotKeysOf(s), keys);
}

}  // namespace
