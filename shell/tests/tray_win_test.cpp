// The tray on a real hidden window under Wine: icon data given to the shell,
// menu, hot keys, mouse timing, commands, applying settings and the
// quick-entry box. The program behind TrayCommands and SettingsTargets is a
// stand-in that records calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "settings/registry_win.h"
#include "shell/application_win.h"
#include "shell/apply_settings_win.h"
#include "shell/tray/quick_entry_win.h"
#include "shell/tray/tray_ids.h"
#include "shell/tray/tray_inspect.h"
#include "shell/tray/tray_model.h"
#include "shell/tray/tray_win.h"
#include "support/app_messages.h"
#include "ui/placement/placement_win.h"
#include "ui/test_support/pump_win.h"

namespace {

constexpr UINT_PTR kCloseMenuTimer = 4242;

struct StatusRecord {
  std::string text;
  bool force;
  int32_t duration;
  uint32_t click;
};

class RecordingSink : public StatusSink {
 public:
  void ShowStatus(const std::string& text, bool force, int32_t durationMs, uint32_t click) override {
    shown.push_back({text, force, durationMs, click});
  }
  std::vector<StatusRecord> shown;
};

std::vector<std::string> g_calls;
std::string CallLine() {
  std::string line;
  for (const std::string& c : g_calls) line += (line.empty() ? "" : " ") + c;
  return line;
}
const char* Variant(bool hotKey) { return hotKey ? "(hot key)" : "(menu)"; }

// The program behind the tray: records each command; applying settings runs
// the real applier against the real tray.
class StandInProgram final : public TrayCommands, public SettingsTargets {
 public:
  bool ChangeRunning() const override { return running; }
  void NextImage(bool hotKey) override { g_calls.push_back(std::string("Next") + Variant(hotKey)); }
  void PreviousImage(bool hotKey) override { g_calls.push_back(std::string("Previous") + Variant(hotKey)); }
  void SaveWallpaper(bool hotKey) override { g_calls.push_back(std::string("Save") + Variant(hotKey)); }
  void BlockImage() override { g_calls.push_back("Block"); }
  void BlankOrRestore() override { g_calls.push_back("Blank"); }
  void RearmSchedule() override { g_calls.push_back("Arm"); }
  void ApplySearchText(const std::string& text) override {
    if (::ApplySearchText(*applier, *live, text)) g_calls.push_back("Change(011)");
  }
  bool EngineCanBlock(int32_t engine) const override { return canBlock && canBlock(engine); }
  void ResetEndOfResultsCount() override { g_calls.push_back("ResetWraps"); }
  void RefreshTray() override {
    if (!tray) return;
    tray->SyncMenu();
    tray->RefreshIcon();
    tray->ReRegisterHotKeys();
  }
  void ReloadPlayOrderList() override { g_calls.push_back("Reload"); }

  bool running = false;
  std::function<bool(int32_t)> canBlock;
  Settings* live = nullptr;
  SettingsApplier* applier = nullptr;
  Tray* tray = nullptr;
};

// What the test window saw of the menus the tray opened.
struct MenuWatch {
  int opened = 0;
  ULONGLONG lastOpenedAt = 0;
};
MenuWatch g_menus;

Tray* g_tray = nullptr;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (g_tray && g_tray->HandleMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_INITMENUPOPUP:
      ++g_menus.opened;
      g_menus.lastOpenedAt = GetTickCount64();
      // The menu runs a modal loop; a timer inside it closes it again.
      SetTimer(window, kCloseMenuTimer, 30, nullptr);
      return 0;
    case WM_TIMER:
      if (wParam == kCloseMenuTimer) {
        KillTimer(window, kCloseMenuTimer);
        EndMenu();
        return 0;
      }
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::optional<DWORD> RegDword(const char* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kProgramKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

std::optional<std::string> RegString(const char* key, const char* name) {
  char text[2048] = {};
  DWORD size = sizeof text;
  if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(text);
}

void ForgetRegistry() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
  HKEY run = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
    RegDeleteValueA(run, "Skyframe");
    RegCloseKey(run);
  }
}

// True when another registration of this combination is refused: the tray holds it.
bool ComboIsTaken(UINT modifiers, UINT key) {
  if (RegisterHotKey(nullptr, 0x7000, modifiers, key)) {
    UnregisterHotKey(nullptr, 0x7000);
    return false;
  }
  return true;
}

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetRegistry();
    g_calls.clear();
    g_menus = {};
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SkyframeTrayTest";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, wc.lpszClassName, "Skyframe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                             nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    dialog = std::make_unique<SettingsDialogHost>(window);
    applier = std::make_unique<SettingsApplier>(live, "C:\\Program Files\\Skyframe\\Skyframe.exe", *dialog, program);
    program.live = &live;
    program.applier = applier.get();
  }

  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    DestroyTray();
    g_tray = nullptr;
    tray.reset();
    ForgetRegistry();
  }

  void CreateTray(HWND owner) {
    tray = std::make_unique<Tray>(owner, live, program, *dialog, sink);
    g_tray = tray.get();
    program.tray = tray.get();
  }
  void DestroyTray() {
    if (tray) tray->Remove();
  }
  Tray& TheTray() { return *tray; }
  Settings& Live() { return live; }
  void SetSettingsDialogLink(SettingsDialogLink link) { dialog->SetLink(std::move(link)); }
  void SetInternetSourceLink(InternetSourceLink link) {
    program.canBlock = link.engineCanBlock;
    applier->SetInternetLink(std::move(link));
  }
  void ShowWorking() { tray->OnChangeStarted(); }
  void ShowIdle() { tray->OnChangeEnded(); }
  bool IsWorking() { return tray->Working(); }
  void UpdateTrayMenu() { tray->SyncMenu(); }
  void RefreshTrayIcon() { tray->RefreshIcon(); }
  bool ApplySettings(Settings& copy, const char* page) { return applier->Apply(copy, page != nullptr); }

  TrayInspection Inspect() {
    return UnpackTrayInspection(
        static_cast<uint32_t>(SendMessageA(window, RegisterWindowMessageA(kTrayInspectMessageName), 0, 0)));
  }

  std::string MenuLabel(UINT id) {
    char text[256] = {};
    GetMenuStringA(TheTray().Menu().Handle(), id, text, sizeof text, MF_BYCOMMAND);
    return text;
  }
  bool MenuEnabled(UINT id) { return !(GetMenuState(TheTray().Menu().Handle(), id, MF_BYCOMMAND) & MF_GRAYED); }

  void Command(WORD id) { SendMessageA(window, WM_COMMAND, id, 0); }
  // Posted like the system posts it, with its time; handled before this returns.
  // Presses come 40 ms apart, as no hand presses faster (a lock key's echo is closer).
  void HotKey(int id, UINT modifiers, UINT key) {
    uitest::PumpFor(40);
    PostMessageA(window, WM_HOTKEY, id, MAKELPARAM(modifiers, key));
    uitest::PumpFor(10);
  }
  void Mouse(UINT mouseMessage) { PostMessageA(window, kMsgTrayCallback, 0, mouseMessage); }

  HWND window = nullptr;
  RecordingSink sink;
  Settings live;
  StandInProgram program;
  std::unique_ptr<SettingsDialogHost> dialog;
  std::unique_ptr<SettingsApplier> applier;
  std::unique_ptr<Tray> tray;
};

TEST_F(TrayTest, CreatingAddsTheIconBuildsTheMenuAndRegistersTheHotKeys) {
  CreateTray(window);
  const TrayInspection i = Inspect();
  EXPECT_EQ(i.iconResource, IDI_TRAY_NORMAL);
  EXPECT_EQ(i.tip, TrayTipKind::kIdle);
  EXPECT_TRUE(i.added);
  EXPECT_FALSE(i.working);
  // Every icon came from the resources at the small-icon size.
  for (int id : {IDI_TRAY_NORMAL, IDI_TRAY_PAUSED, IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_2, IDI_TRAY_FRAME_3,
                 IDI_TRAY_FRAME_4, IDI_TRAY_FRAME_5, IDI_TRAY_FRAME_6}) {
    HICON icon = TheTray().Icon().IconHandle(id);
    ASSERT_NE(icon, nullptr) << id;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm = {};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXSMICON)) << id;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }

  HMENU menu = TheTray().Menu().Handle();
  ASSERT_NE(menu, nullptr);
  const std::vector<TrayMenuEntry> expected = TrayMenuEntries(Live(), false);
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(expected.size()));
  for (int pos = 0; pos < GetMenuItemCount(menu); ++pos) {
    const TrayMenuEntry& e = expected[pos];
    EXPECT_EQ(GetMenuItemID(menu, pos), e.id == 0 ? 0u : e.id) << pos;
    if (e.id == 0) {
      EXPECT_TRUE(GetMenuState(menu, pos, MF_BYPOSITION) & MF_SEPARATOR) << pos;
      continue;
    }
    EXPECT_EQ(MenuLabel(e.id), e.label);
  }
  EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(IDM_TRAY_SETTINGS));
  // Without an engine that can block, "Block Image" is grey even with the internet source.
  EXPECT_FALSE(MenuEnabled(IDM_TRAY_BLOCK));
  EXPECT_TRUE(MenuEnabled(IDM_TRAY_SAVE));

  for (const HotKeyBinding& b : HotKeyBindings(Live())) EXPECT_TRUE(ComboIsTaken(b.modifiers, b.key)) << b.id;
  DestroyTray();
  EXPECT_FALSE(TheTray().Icon().Added());
  for (const HotKeyBinding& b : HotKeyBindings(Live())) EXPECT_FALSE(ComboIsTaken(b.modifiers, b.key)) << b.id;
  DestroyTray();  // twice is harmless
}

TEST_F(TrayTest, StartingPausedShowsThePausedIconAndInternetOffGreysItsEntries) {
  Live().ChangeAtTime = false;
  Live().GetImageFromInternet = false;
  Live().EngineIndex = 0;
  SetInternetSourceLink({[](int32_t) { return true; }});
  CreateTray(window);
  EXPECT_EQ(Inspect().iconResource, IDI_TRAY_PAUSED);
  EXPECT_EQ(Inspect().tip, TrayTipKind::kPaused);
  EXPECT_EQ(MenuLabel(IDM_TRAY_PAUSE), "R&esume Changing Wallpaper   Shift + Pause/Break");
  EXPECT_EQ(MenuLabel(IDM_TRAY_SEARCH_TEXT), "Change URL");
  for (UINT id : {IDM_TRAY_SAVE, IDM_TRAY_BLOCK, IDM_TRAY_SEARCH_TEXT}) EXPECT_FALSE(MenuEnabled(id)) << id;
  // With the internet source the block entry asks the engine.
  Live().GetImageFromInternet = true;
  UpdateTrayMenu();
  for (UINT id : {IDM_TRAY_SAVE, IDM_TRAY_BLOCK, IDM_TRAY_SEARCH_TEXT}) EXPECT_TRUE(MenuEnabled(id)) << id;
  // The save hot key does nothing without the internet source.
  Live().GetImageFromInternet = false;
  HotKey(HOTKEY_SAVE, MOD_SHIFT, VK_SNAPSHOT);
  Command(IDM_TRAY_SAVE);
  EXPECT_EQ(CallLine(), "");
}

TEST_F(TrayTest, PauseHotKeyTwiceTogglesWritesAndTellsTheUserEachTime) {
  CreateTray(window);
  HotKey(HOTKEY_PAUSE, MOD_SHIFT, VK_PAUSE);
  EXPECT_FALSE(Live().ChangeAtTime);
  EXPECT_EQ(RegDword("ChangeAtTime"), 0u);
  EXPECT_EQ(Inspect().iconResource, IDI_TRAY_PAUSED);
  EXPECT_EQ(Inspect().tip, TrayTipKind::kPaused);
  EXPECT_EQ(MenuLabel(IDM_TRAY_PAUSE), "R&esume Changing Wallpaper   Shift + Pause/Break");
  // Only this one value: the rest of the record is not saved by a toggle.
  EXPECT_FALSE(RegString(kProgramKey, "InternetString").has_value());

  HotKey(HOTKEY_PAUSE, MOD_SHIFT, VK_PAUSE);
  EXPECT_TRUE(Live().ChangeAtTime);
  EXPECT_EQ(RegDword("ChangeAtTime"), 1u);
  EXPECT_EQ(Inspect().iconResource, IDI_TRAY_NORMAL);
  EXPECT_EQ(Inspect().tip, TrayTipKind::kIdle);
  EXPECT_EQ(MenuLabel(IDM_TRAY_PAUSE), "&Pause Changing Wallpaper   Shift + Pause/Break");

  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_EQ(sink.shown[0].text, "Automatic wallpaper changing disabled");
  EXPECT_EQ(sink.shown[1].text, "Automatic wallpaper changing resumed");
  for (const StatusRecord& r : sink.shown) {
    EXPECT_TRUE(r.force);
    EXPECT_EQ(r.duration, 2000);
    EXPECT_EQ(r.click, 0u);
  }
  EXPECT_EQ(CallLine(), "Arm Arm");

  // The menu entry toggles too, without a message.
  Command(IDM_TRAY_PAUSE);
  EXPECT_FALSE(Live().ChangeAtTime);
  EXPECT_EQ(RegDword("ChangeAtTime"), 0u);
  EXPECT_EQ(sink.shown.size(), 2u);
}

TEST_F(TrayTest, PauseToggleTellsAnOpenSettingsDialog) {
  CreateTray(window);
  uitest::RecordingWindow dialogWindow;
  SettingsDialogLink link;
  link.window = [&] { return dialogWindow.Handle(); };
  // While the modal dialog runs, the user pauses from the tray.
  link.run = [&](HWND, const char*) { Command(IDM_TRAY_PAUSE); };
  SetSettingsDialogLink(link);
  Command(IDM_TRAY_PAUSE);
  EXPECT_TRUE(dialogWindow.messages.empty());  // closed: nobody to tell
  dialog->Open(nullptr);
  ASSERT_EQ(dialogWindow.messages.size(), 1u);
  EXPECT_EQ(dialogWindow.messages[0].msg, static_cast<UINT>(kMsgPauseChanged));
}

TEST_F(TrayTest, HotKeysReachTheirCommandsOnlyUnderTheirGuards) {
  CreateTray(window);
  struct Case {
    int id;
    UINT mods, key;
    bool working;
    const char* calls;
  };
  const Case cases[] = {
      {HOTKEY_NEXT, MOD_CONTROL, VK_NEXT, false, "Next(hot key)"},
      {HOTKEY_NEXT, MOD_SHIFT, VK_NEXT, false, ""},
      {HOTKEY_PREVIOUS, MOD_CONTROL, VK_PRIOR, false, "Previous(hot key)"},
      {HOTKEY_PREVIOUS, MOD_ALT, VK_PRIOR, false, ""},
      {HOTKEY_PREVIOUS, MOD_ALT, VK_PRIOR, true, "Previous(hot key)"},
      {HOTKEY_SAVE, MOD_SHIFT, VK_SNAPSHOT, false, "Save(hot key)"},
      {7, MOD_CONTROL, VK_NEXT, false, ""},
  };
  for (const Case& c : cases) {
    g_calls.clear();
    program.running = c.working;
    HotKey(c.id, c.mods, c.key);
    program.running = false;
    EXPECT_EQ(CallLine(), c.calls) << "id " << c.id << " mods " << c.mods;
  }
}

TEST_F(TrayTest, BlankHotKeyAlwaysPausesAndTheMenuEntryToggles) {
  CreateTray(window);
  HotKey(HOTKEY_BLANK, MOD_SHIFT, VK_SCROLL);
  EXPECT_FALSE(Live().ChangeAtTime);
  HotKey(HOTKEY_BLANK, MOD_SHIFT, VK_SCROLL);
  EXPECT_FALSE(Live().ChangeAtTime);
  EXPECT_EQ(MenuLabel(IDM_TRAY_PAUSE), "R&esume Changing Wallpaper   Shift + Pause/Break");
  EXPECT_EQ(Inspect().iconResource, IDI_TRAY_PAUSED);
  Command(IDM_TRAY_BLANK);
  EXPECT_TRUE(Live().ChangeAtTime);
  EXPECT_EQ(Inspect().iconResource, IDI_TRAY_NORMAL);
  Command(IDM_TRAY_BLANK);
  EXPECT_FALSE(Live().ChangeAtTime);
  EXPECT_EQ(CallLine(), "Blank Arm Blank Arm Blank Arm Blank Arm");
  // In memory only: the registry learns it with the next full save.
  EXPECT_FALSE(RegDword("ChangeAtTime").has_value());
}

TEST_F(TrayTest, MenuCommandsReachThePipelineAndUnknownIdsAreLeftAlone) {
  CreateTray(window);
  struct Case {
    WORD id;
    const char* calls;
  };
  const Case cases[] = {
      {IDM_TRAY_NEXT, "Next(menu)"}, {IDM_TRAY_PREVIOUS, "Previous(menu)"}, {IDM_TRAY_SAVE, "Save(menu)"},
      {IDM_TRAY_BLOCK, "Block"},     {IDM_TRAY_SETTINGS, ""},               {IDM_TRAY_SUPPORT, ""},
  };
  for (const Case& c : cases) {
    g_calls.clear();
    Command(c.id);
    EXPECT_EQ(CallLine(), c.calls) << c.id;
  }
  LRESULT result = 0;
  for (WORD id : {102, 104, 105, 113, 0})
    EXPECT_FALSE(TheTray().HandleMessage(WM_COMMAND, id, 0, result)) << id;
}

TEST_F(TrayTest, SettingsDialogRequestsOpenOnceAndSwitchPagesWhenOpen) {
  CreateTray(window);
  std::vector<std::string> runs, pages;
  bool openDuringRun = false;
  std::function<void()> whileOpen;
  SettingsDialogLink link;
  link.run = [&](HWND owner, const char* start) {
    EXPECT_EQ(owner, window);
    openDuringRun = dialog->IsOpen();
    runs.push_back(start ? start : "-");
    if (whileOpen) std::exchange(whileOpen, nullptr)();
  };
  link.showPage = [&](const char* page) { pages.push_back(page); };
  SetSettingsDialogLink(link);

  Command(IDM_TRAY_SETTINGS);
  Command(IDM_TRAY_SUPPORT);
  EXPECT_EQ(runs, (std::vector<std::string>{"-", "Support"}));
  EXPECT_TRUE(openDuringRun);
  EXPECT_FALSE(dialog->IsOpen());
  EXPECT_TRUE(pages.empty());

  // While the dialog is open: no second dialog, the pages switch instead.
  runs.clear();
  whileOpen = [&] {
    Command(IDM_TRAY_SETTINGS);
    Command(IDM_TRAY_SUPPORT);
    Command(IDM_TRAY_SEARCH_TEXT);
  };
  dialog->Open(nullptr);
  EXPECT_EQ(runs, (std::vector<std::string>{"-"}));
  EXPECT_EQ(pages, (std::vector<std::string>{"Support", "Source"}));
}

TEST_F(TrayTest, ExitDestroysTheWindowRemovesTheIconAndFreesTheHotKeys) {
  CreateTray(window);
  Command(IDM_TRAY_EXIT);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(TheTray().Icon().Added());
  EXPECT_FALSE(ComboIsTaken(MOD_CONTROL, VK_NEXT));
  // Later indicator calls from a finishing change touch nothing.
  ShowWorking();
  ShowIdle();
  EXPECT_FALSE(IsWorking());
}

TEST_F(TrayTest, WorkingAnimatesThroughTheFramesAndIdleEndsIt) {
  CreateTray(window);
  ShowWorking();
  EXPECT_TRUE(IsWorking());
  EXPECT_EQ(Inspect().tip, TrayTipKind::kWorking);
  std::vector<int> seen;
  ASSERT_TRUE(uitest::PumpUntil([&] {
    const int icon = Inspect().iconResource;
    if (seen.empty() || seen.back() != icon) seen.push_back(icon);
    return seen.size() >= 9;
  }));
  // Starting from the normal icon, the frames in their order, round again.
  EXPECT_EQ(seen, (std::vector<int>{IDI_TRAY_NORMAL, IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_2, IDI_TRAY_FRAME_3,
                                  IDI_TRAY_FRAME_4, IDI_TRAY_FRAME_5, IDI_TRAY_FRAME_6, IDI_TRAY_FRAME_1,
                                  IDI_TRAY_FRAME_2}));
  // A refresh while working leaves the animation alone.
  RefreshTrayIcon();
  EXPECT_EQ(Inspect().tip, TrayTipKind::kWorking);
  Live().ChangeAtTime = false;
  ShowIdle();
  EXPECT_FALSE(IsWorking());
  EXPECT_EQ(Inspect().iconResource, IDI_TRAY_PAUSED);
  EXPECT_EQ(Inspect().tip, TrayTipKind::kPaused);
  uitest::PumpFor(200);
  EXPECT_EQ(Inspect().iconResource, IDI_TRAY_PAUSED);  // the animation timer is gone
}

TEST_F(TrayTest, SingleClickOpensTheMenuAfterTheDoubleClickTimeAndDoubleClickOpensNone) {
  CreateTray(window);
  int dialogRuns = 0;
  SettingsDialogLink link;
  link.run = [&](HWND, const char*) { ++dialogRuns; };
  SetSettingsDialogLink(link);
  const UINT doubleClick = GetDoubleClickTime();

  // Right button: at once.
  Mouse(WM_RBUTTONUP);
  ASSERT_TRUE(uitest::PumpUntil([] { return g_menus.opened == 1; }, 3000));

  // Single left click: after the double-click time plus 10 ms.
  const ULONGLONG clickedAt = GetTickCount64();
  Mouse(WM_LBUTTONDOWN);
  Mouse(WM_LBUTTONUP);
  ASSERT_TRUE(uitest::PumpUntil([] { return g_menus.opened == 2; }, doubleClick + 3000));
  EXPECT_GE(g_menus.lastOpenedAt - clickedAt, doubleClick);

  // Double click: the settings dialog, no menu, and the closing button-up opens nothing either.
  Mouse(WM_LBUTTONDOWN);
  Mouse(WM_LBUTTONUP);
  Mouse(WM_LBUTTONDBLCLK);
  Mouse(WM_LBUTTONUP);
  uitest::PumpFor(doubleClick + 400);
  EXPECT_EQ(g_menus.opened, 2);
  EXPECT_EQ(dialogRuns, 1);

  // Double click while the dialog is open: it comes to the front; no second dialog, no menu.
  uitest::RecordingWindow dialogWindow;
  link.window = [&] { return dialogWindow.Handle(); };
  link.run = [&](HWND, const char*) {
    ++dialogRuns;
    Mouse(WM_LBUTTONDOWN);
    Mouse(WM_LBUTTONUP);
    Mouse(WM_LBUTTONDBLCLK);
    Mouse(WM_LBUTTONUP);
    uitest::PumpFor(doubleClick + 400);
  };
  SetSettingsDialogLink(link);
  dialog->Open(nullptr);
  EXPECT_EQ(g_menus.opened, 2);
  EXPECT_EQ(dialogRuns, 2);
  EXPECT_EQ(GetForegroundWindow(), dialogWindow.Handle());
}

TEST_F(TrayTest, TaskbarCreatedAddsTheIconAgain) {
  CreateTray(window);
  const int added = Inspect().addCount;
  // The shell lost the icon, as when its taskbar ends.
  NOTIFYICONDATAA gone = {};
  gone.cbSize = NOTIFYICONDATAA_V1_SIZE;
  gone.hWnd = window;
  gone.uID = 0;
  Shell_NotifyIconA(NIM_DELETE, &gone);
  SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(Inspect().addCount, (added + 1) % 256);
  EXPECT_TRUE(Inspect().added);
  // The icon is there again: changing it works.
  NOTIFYICONDATAA probe = gone;
  probe.uFlags = NIF_TIP;
  lstrcpyA(probe.szTip, "Skyframe");
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));
}

TEST_F(TrayTest, SystemColourChangeIsStoredInTheSettings) {
  // The application's main window handler, before any of its parts exist.
  Application app(GetModuleHandleA(nullptr));
  const uint32_t system = GetSysColor(COLOR_BACKGROUND);
  app.LiveSettings().DesktopColor = system ^ 0x00FFFFFF;
  bool handled = true;
  app.OnMainWindowMessage(window, WM_SYSCOLORCHANGE, 0, 0, handled);
  EXPECT_FALSE(handled);  // default processing follows
  EXPECT_EQ(app.LiveSettings().DesktopColor, system);
  EXPECT_EQ(RegDword("ChangeWhen"), 5u);  // the record was saved
}

class ApplySettingsTest : public TrayTest {
 protected:
  void SetUp() override {
    TrayTest::SetUp();
    CreateTray(window);
    InternetSourceLink internet;
    internet.engineCanBlock = [](int32_t engine) { return engine == 2; };
    internet.sendSearchOptions = [] { g_calls.push_back("Options"); };
    internet.followSource = [](bool changed) { g_calls.push_back(changed ? "Follow(1)" : "Follow(0)"); };
    internet.recordSearchHistory = [](bool fromDialog) {
      g_calls.push_back(fromDialog ? "History(dialog)" : "History");
    };
    SetInternetSourceLink(internet);
    g_calls.clear();
    copy = Live();
    copy.DesktopColor = GetSysColor(COLOR_BACKGROUND);
  }
  Settings copy;
};

TEST_F(ApplySettingsTest, NewValuesReachTheRecordRegistryMenuIconHotKeysAndSchedule) {
  copy.NextModKey = MOD_ALT;
  copy.NextKey = VK_F5;
  copy.ChangeAtTime = false;
  copy.ChangeWhen = 9;
  copy.RunAtStartup = true;
  copy.EngineIndex = 2;
  copy.CrashFlag = 1;  // not a user option: stays as it is
  ASSERT_TRUE(ApplySettings(copy, nullptr));

  EXPECT_EQ(Live().NextKey, static_cast<uint32_t>(VK_F5));
  EXPECT_EQ(Live().ChangeWhen, 9);
  EXPECT_EQ(Live().CrashFlag, 0);
  EXPECT_EQ(RegDword("ChangeWhen"), 9u);
  EXPECT_EQ(RegDword("ChangeAtTime"), 0u);
  EXPECT_EQ(RegString(kRunKey, "Skyframe"), "C:\\Program Files\\Skyframe\\Skyframe.exe");

  EXPECT_EQ(MenuLabel(IDM_TRAY_NEXT), "Load &Next Wallpaper  Alt + F5");
  EXPECT_EQ(MenuLabel(IDM_TRAY_PAUSE), "R&esume Changing Wallpaper   Shift + Pause/Break");
  EXPECT_TRUE(MenuEnabled(IDM_TRAY_BLOCK));  // engine 2 can block
  EXPECT_EQ(Inspect().iconResource, IDI_TRAY_PAUSED);
  EXPECT_TRUE(ComboIsTaken(MOD_ALT, VK_F5));
  EXPECT_FALSE(ComboIsTaken(MOD_CONTROL, VK_NEXT));

  EXPECT_EQ(CallLine(), "Options ResetWraps Follow(1) Reload History Arm");
}

TEST_F(ApplySettingsTest, InternetOffGreysTheEntriesAndAutostartOffRemovesTheRunEntry) {
  SetRunEntry("C:\\Program Files\\Skyframe\\Skyframe.exe", "Skyframe");
  copy.GetImageFromInternet = false;
  copy.EngineIndex = 0;
  copy.RunAtStartup = false;
  ASSERT_TRUE(ApplySettings(copy, "Misc."));
  EXPECT_FALSE(RegString(kRunKey, "Skyframe").has_value());
  EXPECT_EQ(MenuLabel(IDM_TRAY_SEARCH_TEXT), "Change URL");
  for (UINT id : {IDM_TRAY_SAVE, IDM_TRAY_BLOCK, IDM_TRAY_SEARCH_TEXT}) EXPECT_FALSE(MenuEnabled(id)) << id;
  EXPECT_EQ(CallLine(), "Options ResetWraps Follow(1) Reload History(dialog) Arm");

  // The same values again: the source did not change.
  g_calls.clear();
  ASSERT_TRUE(ApplySettings(copy, nullptr));
  EXPECT_EQ(CallLine(), "Options ResetWraps Follow(0) Reload History Arm");
}

TEST_F(ApplySettingsTest, APageThatRefusesKeepsEverythingAsItIs) {
  SettingsDialogLink link;
  bool refuse = true;
  link.currentPageRefuses = [&] { return refuse; };
  SetSettingsDialogLink(link);
  copy.ChangeWhen = 2;
  EXPECT_FALSE(ApplySettings(copy, "Wallpaper"));
  EXPECT_EQ(Live().ChangeWhen, 5);
  EXPECT_FALSE(RegDword("ChangeWhen").has_value());
  EXPECT_EQ(CallLine(), "");
  // Without a page the page is not asked.
  EXPECT_TRUE(ApplySettings(copy, nullptr));
  EXPECT_EQ(Live().ChangeWhen, 2);
  refuse = false;
  copy.ChangeWhen = 3;
  EXPECT_TRUE(ApplySettings(copy, "Wallpaper"));
  EXPECT_EQ(Live().ChangeWhen, 3);
}

// The quick-entry box, driven from a timer inside its own modal loop.
class QuickEntryTest : public TrayTest {
 protected:
  using Action = std::function<void(HWND box, HWND edit)>;

  // Opens the box through the menu command; `act` runs once it is up.
  void OpenAndDo(Action act) {
    g_action = std::move(act);
    g_box = nullptr;
    g_seenText.clear();
    g_selection = {};
    g_box_rect = {};
    g_topmost = false;
    SetTimer(nullptr, 0, 50, &QuickEntryTest::Poll);
    Command(IDM_TRAY_SEARCH_TEXT);
  }

  static void CALLBACK Poll(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", nullptr);
    if (!box || !IsWindowVisible(box) || g_box) return;
    KillTimer(nullptr, id);
    g_box = box;
    HWND edit = GetDlgItem(box, IDC_QUICK_ENTRY_TEXT);
    char text[2048] = {};
    GetWindowTextA(edit, text, sizeof text);
    g_seenText = text;
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    g_selection = {start, end};
    GetWindowRect(box, &g_box_rect);
    g_topmost = (GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    char title[64] = {};
    GetWindowTextA(box, title, sizeof title);
    g_title = title;
    g_action(box, edit);
  }

  static inline Action g_action;
  static inline HWND g_box = nullptr;
  static inline std::string g_seenText, g_title;
  static inline std::pair<DWORD, DWORD> g_selection;
  static inline RECT g_box_rect;
  static inline bool g_topmost = false;
};

TEST_F(QuickEntryTest, OpensNextToTheTaskbarWithTheTextSelectedAndOkAppliesANewText) {
  CreateTray(window);
  Live().InternetString = "sunset";
  OpenAndDo([](HWND box, HWND edit) {
    SetWindowTextA(edit, "mountain lake");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  ASSERT_NE(g_box, nullptr);
  EXPECT_FALSE(IsWindow(g_box));
  EXPECT_EQ(g_seenText, "sunset");
  EXPECT_EQ(g_selection, (std::pair<DWORD, DWORD>{0, 6}));
  EXPECT_EQ(g_title, "Change Keywords");
  EXPECT_TRUE(g_topmost);
  const PlacePoint at = PlaceWindow(QueryDesktopLayout(), kPopupAutomatic, g_box_rect.right - g_box_rect.left,
                                    g_box_rect.bottom - g_box_rect.top);
  EXPECT_EQ(g_box_rect.left, at.x);
  EXPECT_EQ(g_box_rect.top, at.y);

  EXPECT_EQ(Live().InternetString, "mountain lake");
  EXPECT_EQ(RegString(kProgramKey, "InternetString"), "mountain lake");
  // Applied, then a change for the new source.
  EXPECT_EQ(CallLine(), "ResetWraps Reload Arm Change(011)");
}

TEST_F(QuickEntryTest, EnterActsAsOkAndTheSameTextStartsNoChange) {
  CreateTray(window);
  Live().InternetString = "http://example.com/a.jpg";
  Live().EngineIndex = 0;
  OpenAndDo([](HWND, HWND edit) {
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
  });
  EXPECT_EQ(g_title, "Change URL");
  EXPECT_FALSE(IsWindow(g_box));
  EXPECT_EQ(CallLine(), "ResetWraps Reload Arm");
  EXPECT_EQ(RegString(kProgramKey, "InternetString"), "http://example.com/a.jpg");
}

TEST_F(QuickEntryTest, CancelAnEmptyTextAndLosingTheActivationChangeNothing) {
  CreateTray(window);
  Live().InternetString = "clouds";
  const std::vector<Action> ways = {
      [](HWND box, HWND) { PostMessageA(box, WM_COMMAND, IDCANCEL, 0); },
      [](HWND box, HWND edit) {
        SetWindowTextA(edit, "");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
      },
      [](HWND box, HWND edit) {
        SetWindowTextA(edit, "ignored");
        SendMessageA(box, WM_ACTIVATE, WA_INACTIVE, 0);
      },
  };
  for (size_t i = 0; i < ways.size(); ++i) {
    g_calls.clear();
    OpenAndDo(ways[i]);
    ASSERT_NE(g_box, nullptr) << i;
    EXPECT_FALSE(IsWindow(g_box)) << i;
    EXPECT_EQ(Live().InternetString, "clouds") << i;
    EXPECT_EQ(CallLine(), "") << i;
  }
  EXPECT_FALSE(RegString(kProgramKey, "InternetString").has_value());
}

TEST_F(QuickEntryTest, ATextOfMoreThan1024CharactersIsCutThere) {
  CreateTray(window);
  OpenAndDo([](HWND box, HWND edit) {
    const std::string huge(3000, 'k');
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(huge.c_str()));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(Live().InternetString, std::string(1024, 'k'));
}

}  // namespace
