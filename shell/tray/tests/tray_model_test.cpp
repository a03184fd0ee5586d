// The tray's menu, icon, tip and hot-key decisions as plain values.
#include <gtest/gtest.h>

#include <set>

#include "shell/tray/tray_ids.h"
#include "shell/tray/tray_inspect.h"
#include "shell/tray/tray_model.h"

namespace {

const TrayMenuEntry* Find(const std::vector<TrayMenuEntry>& entries, uint32_t id) {
  for (const TrayMenuEntry& e : entries)
    if (e.id == id) return &e;
  return nullptr;
}

TEST(TrayMenu, DefaultSettingsGiveTheWholeMenuInOrderWithHotKeyNames) {
  const std::vector<TrayMenuEntry> expected = {
      {101, "Se&ttings", true},
      {112, "Change Keywords", true},
      {0, "", true},
      {106, "Load &Next Wallpaper  Ctrl + Page Dn", true},
      {107, "Load P&revious Wallpaper   Ctrl + Page Up", true},
      {108, "&Pause Changing Wallpaper   Shift + Pause/Break", true},
      {0, "", true},
      {109, "&Save Current Wallpaper  Shift + Print Screen", true},
      {111, "Block Image", true},
      {110, "&Blank/Restore Wallpaper  Shift + Scroll Lock", true},
      {0, "", true},
      {103, "Support", true},
      {0, "", true},
      {100, "E&xit", true},
  };
  EXPECT_EQ(TrayMenuEntries(Settings(), true), expected);
}

TEST(TrayMenu, InternetSwitchEngineAndCapabilityDecideTheInternetEntries) {
  struct Case {
    bool internet;
    int32_t engine;
    bool canBlock;
    const char* searchLabel;
    bool searchEnabled, saveEnabled, blockEnabled;
  };
  const Case cases[] = {
      {true, 1, true, "Change Keywords", true, true, true},
      {true, 1, false, "Change Keywords", true, true, false},
      {true, 0, true, "Change URL", true, true, true},
      {false, 1, true, "Change Keywords", false, false, false},
      {false, 0, false, "Change URL", false, false, false},
      {true, 3, true, "Change Keywords", true, true, true},
  };
  for (const Case& c : cases) {
    Settings s;
    s.GetImageFromInternet = c.internet;
    s.EngineIndex = c.engine;
    const auto entries = TrayMenuEntries(s, c.canBlock);
    SCOPED_TRACE(testing::Message() << c.internet << " " << c.engine << " " << c.canBlock);
    EXPECT_EQ(Find(entries, 112)->label, c.searchLabel);
    EXPECT_EQ(Find(entries, 112)->enabled, c.searchEnabled);
    EXPECT_EQ(Find(entries, 109)->enabled, c.saveEnabled);
    EXPECT_EQ(Find(entries, 111)->enabled, c.blockEnabled);
    // Everything else is always enabled.
    for (uint32_t id : {100u, 101u, 103u, 106u, 107u, 108u, 110u}) EXPECT_TRUE(Find(entries, id)->enabled) << id;
  }
}

TEST(TrayMenu, PauseEntryNamesWhatItWillDoAndLabelsFollowTheHotKeys) {
  Settings s;
  s.ChangeAtTime = false;
  s.PauseModKey = 8;
  s.PauseKey = 0x08;
  s.NextModKey = 1;
  s.NextKey = 0x70;
  s.PrevModKey = 2;
  s.PrevKey = 0x24;    // "Home" stands twice in the key table: the first name is taken
  s.BossModKey = 16;   // no such modifier: an empty name
  s.BossKey = 0xFF;    // no such key: an empty name
  const auto entries = TrayMenuEntries(s, false);
  EXPECT_EQ(Find(entries, 108)->label, "R&esume Changing Wallpaper   WinKey + Backspace");
  EXPECT_EQ(Find(entries, 106)->label, "Load &Next Wallpaper  Alt + F1");
  EXPECT_EQ(Find(entries, 107)->label, "Load P&revious Wallpaper   Ctrl + Home");
  EXPECT_EQ(Find(entries, 110)->label, "&Blank/Restore Wallpaper   + ");
}

TEST(TrayLook, TipAndIconForEachState) {
  struct Case {
    bool working, changeAtTime;
    const char* tip;
  };
  for (const Case& c : {Case{false, true, "Skyframe"}, Case{false, false, "Skyframe (Paused)"},
                        Case{true, true, "Skyframe (Working)"}, Case{true, false, "Skyframe (Working)"}})
    EXPECT_EQ(TrayTip(c.working, c.changeAtTime), c.tip);
  EXPECT_EQ(IdleIconResource(true), IDI_TRAY_NORMAL);
  EXPECT_EQ(IdleIconResource(false), IDI_TRAY_PAUSED);
}

TEST(TrayLook, AnimationVisitsTheSixFramesInOrderAndWraps) {
  std::vector<int> shown;
  std::size_t frame = kTrayAnimationFrames.size() - 1;
  for (int i = 0; i < 13; ++i) {
    frame = NextAnimationFrame(frame);
    shown.push_back(kTrayAnimationFrames[frame]);
  }
  constexpr int f1 = IDI_TRAY_FRAME_1, f2 = IDI_TRAY_FRAME_2, f3 = IDI_TRAY_FRAME_3, f4 = IDI_TRAY_FRAME_4,
                f5 = IDI_TRAY_FRAME_5, f6 = IDI_TRAY_FRAME_6;
  EXPECT_EQ(shown, (std::vector<int>{f1, f2, f3, f4, f5, f6, f1, f2, f3, f4, f5, f6, f1}));
  // Out of range (never produced, but never read past the table either).
  EXPECT_EQ(NextAnimationFrame(99), 0u);
}

TEST(TrayHotKeys, BindingsFollowTheSettingsWords) {
  Settings s;
  s.SaveModKey = 1;
  s.SaveKey = 0x53;
  const auto b = HotKeyBindings(s);
  ASSERT_EQ(b.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(b[i].id, i + 1);
  EXPECT_EQ(b[0].modifiers, 2u);
  EXPECT_EQ(b[0].key, 0x22u);
  EXPECT_EQ(b[1].key, 0x21u);
  EXPECT_EQ(b[2].key, 0x13u);
  EXPECT_EQ(b[3].modifiers, 1u);
  EXPECT_EQ(b[3].key, 0x53u);
  EXPECT_EQ(b[4].modifiers, 4u);
  EXPECT_EQ(b[4].key, 0x91u);
}

TEST(TrayHotKeys, MessagesAreActedOnOnlyUnderTheirGuards) {
  using A = HotKeyAction;
  struct Case {
    int id;
    uint32_t mods, key;
    bool internet, working;
    A expected;
  };
  // Defaults: next Ctrl+PageDn (2, 0x22), previous Ctrl+PageUp (2, 0x21).
  const Case cases[] = {
      {1, 2, 0x22, true, false, A::kNext},
      {1, 2, 0x22, true, true, A::kNext},  // the command itself answers "in progress"
      {1, 4, 0x22, true, false, A::kNone},
      {1, 2, 0x21, true, false, A::kNone},
      {2, 2, 0x21, true, false, A::kPrevious},
      {2, 2, 0x22, true, false, A::kNone},
      {2, 1, 0x21, true, false, A::kNone},
      {2, 2, 0x22, true, true, A::kPrevious},  // while working the message comes regardless
      {3, 0, 0, true, false, A::kPauseToggle},
      {3, 0, 0, false, true, A::kPauseToggle},
      {4, 4, 0x2C, true, false, A::kSave},
      {4, 4, 0x2C, false, false, A::kNone},
      {5, 4, 0x91, false, false, A::kBlank},
      {5, 0, 0, true, true, A::kBlank},
      {0, 2, 0x22, true, false, A::kNone},
      {6, 2, 0x22, true, false, A::kNone},
      {-1, 0, 0, true, false, A::kNone},
  };
  for (const Case& c : cases) {
    Settings s;
    s.GetImageFromInternet = c.internet;
    EXPECT_EQ(HotKeyActionFor(c.id, c.mods, c.key, s, c.working), c.expected)
        << "id " << c.id << " mods " << c.mods << " key " << c.key << " working " << c.working;
  }
}

TEST(TrayHotKeys, OnePressActsOnceThroughRepeatsAndLockKeyEchoes) {
  constexpr uint32_t kNext = 0x22, kScroll = 0x91;
  // An event stamped `timeMs` and handled at `nowMs`, or (id 0) the key of
  // hot key `releasedId` seen up at `nowMs`.
  struct Event {
    int id;
    uint32_t key, timeMs, nowMs;
    bool held, accepted;
    int releasedId = 0;
  };
  struct Case {
    const char* name;
    std::vector<Event> events;
  };
  const Case cases[] = {
      {"a held key repeats after the keyboard's delay: only its first event acts, also one handled after the release",
       {{1, kNext, 1000, 1001, true, true}, {1, kNext, 1660, 1661, true, false}, {1, kNext, 1700, 1701, true, false},
        {1, kNext, 2500, 2510, false, false}, {0, 0, 0, 2520, false, false, 1}, {1, kNext, 2600, 2601, false, true}}},
      {"two quick presses, each released before it is handled: both act",
       {{1, kNext, 1000, 1005, false, true}, {1, kNext, 1002, 1006, false, true}}},
      {"two presses sent at once, the first handled while still down: both act",
       {{1, kNext, 1000, 1000, true, true}, {1, kNext, 1001, 1003, false, true}}},
      {"a quick second press after the first was seen released acts",
       {{1, kNext, 1000, 1001, true, true}, {0, 0, 0, 1100, false, false, 1}, {1, kNext, 1150, 1151, true, true}}},
      {"a lock key pressed and released before it is handled: its echo is dropped, the next press acts",
       {{5, kScroll, 5000, 5010, false, true}, {5, kScroll, 5004, 5011, false, false},
        {5, kScroll, 5300, 5301, false, true}}},
      {"a held lock key: no repeat, and no echo whether it is handled before or after the release is seen",
       {{5, kScroll, 100, 101, true, true}, {5, kScroll, 760, 761, true, false}, {5, kScroll, 1500, 1502, true, false},
        {0, 0, 0, 1540, false, false, 5}, {5, kScroll, 1500, 1541, false, false},
        {5, kScroll, 3000, 3001, false, true}}},
      {"other keys have no echo", {{2, kNext, 100, 110, false, true}, {2, kNext, 105, 111, false, true}}},
      {"hot keys are kept apart", {{1, kNext, 100, 101, true, true}, {2, kNext, 110, 111, true, true}}},
      {"the tick count wraps for the echo",
       {{5, kScroll, 0xFFFFFFF0u, 0xFFFFFFFAu, false, true}, {5, kScroll, 0xFFFFFFF2u, 0x2, false, false},
        {5, kScroll, 0x40, 0x41, false, true}}},
      {"ids outside the table pass", {{9, kNext, 1, 1, true, true}, {9, kNext, 2, 2, true, true}}},
  };
  for (const Case& c : cases) {
    HotKeyPressFilter filter;
    for (size_t i = 0; i < c.events.size(); ++i) {
      const Event& e = c.events[i];
      if (e.id == 0) {
        filter.Released(e.releasedId, e.nowMs);
        continue;
      }
      EXPECT_EQ(filter.Accept(e.id, e.key, e.timeMs, e.nowMs, e.held), e.accepted) << c.name << ", event " << i;
    }
  }
  HotKeyPressFilter filter;
  filter.Accept(3, 0x13, 10, 11, true);
  EXPECT_EQ(filter.Held(), (std::vector<std::pair<int, uint32_t>>{{3, 0x13}}));
  filter.Released(3, 50);
  EXPECT_TRUE(filter.Held().empty());
}

TEST(TrayInspect, PackedValuesComeBackAndTipsAreClassified) {
  const TrayInspection samples[] = {
      {IDI_TRAY_NORMAL, TrayTipKind::kIdle, false, true, 1},
      {IDI_TRAY_PAUSED, TrayTipKind::kPaused, false, false, 0},
      {IDI_TRAY_FRAME_6, TrayTipKind::kWorking, true, true, 255},
      {0, TrayTipKind::kOther, true, false, 17},
  };
  for (const TrayInspection& i : samples) EXPECT_EQ(UnpackTrayInspection(PackTrayInspection(i)), i);
  TrayInspection wrapped{IDI_TRAY_NORMAL, TrayTipKind::kIdle, false, true, 257};
  EXPECT_EQ(UnpackTrayInspection(PackTrayInspection(wrapped)).addCount, 1);
  EXPECT_EQ(TipKindOf("Skyframe"), TrayTipKind::kIdle);
  EXPECT_EQ(TipKindOf("Skyframe (Paused)"), TrayTipKind::kPaused);
  EXPECT_EQ(TipKindOf("Skyframe (Working)"), TrayTipKind::kWorking);
  EXPECT_EQ(TipKindOf("Skyframe "), TrayTipKind::kOther);
  EXPECT_EQ(TipKindOf(""), TrayTipKind::kOther);
}

}  // namespace
