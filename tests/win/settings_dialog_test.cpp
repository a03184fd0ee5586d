// "Configure Skyframe" in the real program under Wine: opened by WM_APP+2,
// driven through its controls from outside, its values in the registry and in
// force at once after OK, nothing kept after Cancel.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "tests/win/program_driver_win.h"
#include "ui/settings/settings_dialog_ids.h"

using namespace testing_win;

namespace {

constexpr UINT kOpenSettings = WM_APP + 2;
constexpr const char* kTitle = "Configure Skyframe";

size_t FinishedChanges() { return LogCount(" Wallpaper change finished"); }

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    const std::string pictures = ShellFolder(CSIDL_MYPICTURES);
    DeleteFolderContents(pictures);
    const std::string fixtures = FolderOf(ProgramPath()) + "..\\test-fixtures\\pictures\\";
    for (const char* name : {"b.bmp", "g.png", "e.jpg"})
      CopyFileA((fixtures + name).c_str(), (pictures + "\\" + name).c_str(), FALSE);
    SetDword("GetImageFromInternet", 0);
    SetDword("ShowSplashScreen", 0);
    SetDword("ChangeAtStartup", 0);
  }
  void TearDown() override { StopRunningInstances(); }

  HWND OpenDialog(RunningProgram& program) {
    PostMessageA(program.WaitForMainWindow(), kOpenSettings, 0, 0);
    return program.WaitForTopWindow(kTitle, "#32770");
  }
  // The page on show: the dialog's one child dialog that holds control `id`.
  static HWND PageWith(HWND dialog, int id) {
    for (HWND child = FindWindowExA(dialog, nullptr, "#32770", nullptr); child;
         child = FindWindowExA(dialog, child, "#32770", nullptr))
      if (GetDlgItem(child, id)) return child;
    return nullptr;
  }
  // Moves the tab control's selection with the arrow key, as the keyboard does.
  static HWND StepTabsTo(HWND dialog, int idOnPage, int steps) {
    HWND tabs = GetDlgItem(dialog, IDC_SETTINGS_TABS);
    for (int i = 0; i < steps; ++i) {
      SendMessageA(tabs, WM_KEYDOWN, VK_RIGHT, 0);
      SendMessageA(tabs, WM_KEYUP, VK_RIGHT, 0xC0000001);
    }
    HWND page = nullptr;
    WaitUntil([&] { return (page = PageWith(dialog, idOnPage)) != nullptr; }, 5000);
    return page;
  }
  static void Choose(HWND page, int id, int index) {
    HWND list = GetDlgItem(page, id);
    SendMessageA(list, CB_SETCURSEL, index, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  }
  // WM_GETTEXT itself: GetWindowText does not ask another process's controls.
  static std::string TextOf(HWND window) {
    char text[256] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
  }
  static bool Closes(HWND dialog) { return WaitUntil([&] { return !IsWindow(dialog); }, 5000); }
};

TEST_F(SettingsDialogTest, IntervalAndStyleChangedOnTheWallpaperTabHoldAfterOk) {
  RunningProgram program;
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 30000));
  HWND dialog = OpenDialog(program);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(LogContains("Settings dialog requested"));
  // Source, Wallpaper, Misc., Support: no Internet tab with the user's own pictures.
  HWND page = StepTabsTo(dialog, IDC_WP_ORIENTATION, 1);
  ASSERT_TRUE(page);
  EXPECT_EQ(SendMessageA(GetDlgItem(page, IDC_WP_CHANGE_WHEN), CB_GETCURSEL, 0, 0), 5);
  Choose(page, IDC_WP_CHANGE_WHEN, 0);     // "every 15 Seconds"
  Choose(page, IDC_WP_ORIENTATION, 2);     // "Center"
  const size_t changesBefore = FinishedChanges();
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Closes(dialog));
  EXPECT_EQ(GetDword("ChangeWhen"), 0u);
  EXPECT_EQ(GetDword("PaperOrient"), 0u);
  // The schedule follows at once: a change within the new interval.
  EXPECT_TRUE(WaitUntil([&] { return FinishedChanges() > changesBefore; }, 40000));

  dialog = OpenDialog(program);
  ASSERT_TRUE(dialog);
  page = StepTabsTo(dialog, IDC_WP_ORIENTATION, 1);
  ASSERT_TRUE(page);
  EXPECT_EQ(SendMessageA(GetDlgItem(page, IDC_WP_CHANGE_WHEN), CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(TextOf(GetDlgItem(page, IDC_WP_ORIENTATION)), "Center");
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Closes(dialog));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(SettingsDialogTest, ASecondRequestBringsTheOpenDialogForward) {
  RunningProgram program;
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 30000));
  HWND dialog = OpenDialog(program);
  ASSERT_TRUE(dialog);
  HWND other = CreateWindowExA(0, "STATIC", "elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 3000));
  const size_t requests = LogCount("Settings dialog requested");
  PostMessageA(program.MainWindow(), kOpenSettings, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, 5000));
  Sleep(300);
  EXPECT_EQ(LogCount("Settings dialog requested"), requests);  // no second dialog
  EXPECT_EQ(program.FindTopWindow(kTitle, "#32770"), dialog);
  DestroyWindow(other);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Closes(dialog));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(SettingsDialogTest, TheSaveFolderChosenOnTheInternetTabSurvivesARestart) {
  const std::string folder = LocalDataFolder() + "saved here";
  {
    RunningProgram program;
    ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 30000));
    CreateDirectoryA(folder.c_str(), nullptr);
    HWND dialog = OpenDialog(program);
    ASSERT_TRUE(dialog);
    HWND source = PageWith(dialog, IDC_SRC_FROM_INTERNET);
    ASSERT_TRUE(source);
    SendMessageA(GetDlgItem(source, IDC_SRC_FROM_INTERNET), BM_CLICK, 0, 0);
    HWND internet = StepTabsTo(dialog, IDC_NET_SAVE_FOLDER, 4);
    ASSERT_TRUE(internet);
    SendMessageA(GetDlgItem(internet, IDC_NET_SAVE_TO_FOLDER), BM_CLICK, 0, 0);
    SetWindowTextA(GetDlgItem(internet, IDC_NET_SAVE_FOLDER), folder.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Closes(dialog));
    EXPECT_EQ(GetString("WallpaperSavePath"), folder);
    EXPECT_EQ(GetDword("AskWhereToSave"), 0u);
    EXPECT_EQ(program.Close(), 0u);
  }
  RunningProgram again;
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 30000));
  HWND dialog = OpenDialog(again);
  ASSERT_TRUE(dialog);
  HWND internet = StepTabsTo(dialog, IDC_NET_SAVE_FOLDER, 1);
  ASSERT_TRUE(internet);
  EXPECT_EQ(TextOf(GetDlgItem(internet, IDC_NET_SAVE_FOLDER)), folder);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Closes(dialog));
  EXPECT_EQ(again.Close(), 0u);
}

TEST_F(SettingsDialogTest, CancelKeepsTheRegistryAndTheHistoryFile) {
  const std::string history = LocalDataFolder() + UserName() + "_searches.xml";
  {
    // A first run makes the data folders; its history file is the one Cancel must leave alone.
    RunningProgram first;
    ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 30000));
    EXPECT_EQ(first.Close(), 0u);
  }
  const std::string saved =
      "<SEARCHITEM><TYPE>0</TYPE><STRING>one</STRING></SEARCHITEM>"
      "<SEARCHITEM><TYPE>0</TYPE><STRING>two</STRING></SEARCHITEM>"
      "<SEARCHITEM><TYPE>0</TYPE><STRING>three</STRING></SEARCHITEM>";
  HANDLE file = CreateFileA(history.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << history;
  DWORD written = 0;
  WriteFile(file, saved.data(), static_cast<DWORD>(saved.size()), &written, nullptr);
  CloseHandle(file);

  RunningProgram program;
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 30000));
  HWND dialog = OpenDialog(program);
  ASSERT_TRUE(dialog);
  HWND source = PageWith(dialog, IDC_SRC_FROM_INTERNET);
  ASSERT_TRUE(source);
  // Internet on: its tab comes back at the end; a history size of 1 there.
  SendMessageA(GetDlgItem(source, IDC_SRC_FROM_INTERNET), BM_CLICK, 0, 0);
  HWND internet = StepTabsTo(dialog, IDC_NET_HISTORY_SIZE, 4);
  ASSERT_TRUE(internet);
  SetWindowTextA(GetDlgItem(internet, IDC_NET_HISTORY_SIZE), "1");
  HWND wallpaper = nullptr;
  HWND tabs = GetDlgItem(dialog, IDC_SETTINGS_TABS);
  for (int i = 0; i < 3; ++i) SendMessageA(tabs, WM_KEYDOWN, VK_LEFT, 0);
  ASSERT_TRUE(WaitUntil([&] { return (wallpaper = PageWith(dialog, IDC_WP_ORIENTATION)) != nullptr; }, 5000));
  Choose(wallpaper, IDC_WP_CHANGE_WHEN, 0);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Closes(dialog));
  EXPECT_EQ(GetDword("GetImageFromInternet"), 0u);
  EXPECT_NE(GetDword("ChangeWhen"), std::optional<DWORD>(0u));
  EXPECT_NE(GetDword("HistorySize"), std::optional<DWORD>(1u));
  EXPECT_EQ(ReadFileBytes(history), saved);
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
