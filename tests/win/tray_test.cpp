// The tray of the real program under Wine: icon and tip through the states,
// the icon coming back after the taskbar restarts, the ways out, and the
// next-image hot key changing the wallpaper.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <set>
#include <vector>
#include <string>

#include "shell/tray/tray_inspect.h"
#include "shell/tray/tray_ids.h"
#include "tests/win/program_driver_win.h"

using namespace testing_win;

namespace {

std::optional<TrayInspection> Inspect(HWND mainWindow) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(mainWindow, RegisterWindowMessageA(kTrayInspectMessageName), 0, 0, SMTO_ABORTIFHUNG,
                           2000, &answer))
    return std::nullopt;
  return UnpackTrayInspection(static_cast<uint32_t>(answer));
}

bool IconIs(HWND window, int icon, TrayTipKind tip) {
  const auto i = Inspect(window);
  return i && i->iconResource == icon && i->tip == tip && !i->working;
}

// A picture big enough that loading and fitting it keeps the change busy for a while.
void WriteLargeBitmap(const std::string& path, int width, int height) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  std::string bytes(54 + static_cast<size_t>(stride) * height, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>((v >> (8 * k)) & 255);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = 24;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t at = 54 + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
      bytes[at] = static_cast<char>(x & 255);
      bytes[at + 1] = static_cast<char>(y & 255);
      bytes[at + 2] = static_cast<char>((x ^ y) & 255);
    }
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

void EmptyFolder(const std::string& folder) {
  std::string from = folder + "\\*";
  from.push_back('\0');
  SHFILEOPSTRUCTA op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationA(&op);
}

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

class TrayProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    SetDword("ShowSplashScreen", 0);
    SetDword("GetImageFromInternet", 0);
  }
  void TearDown() override { StopRunningInstances(); }

  // Two pictures in the user's Pictures folder, which the first start scans into the list.
  void LargePictures() {
    const std::string pictures = ShellFolder(CSIDL_MYPICTURES);
    EmptyFolder(pictures);
    WriteLargeBitmap(pictures + "\\large1.bmp", 3000, 2400);
    WriteLargeBitmap(pictures + "\\large2.bmp", 2800, 2200);
  }
};

TEST_F(TrayProgramTest, IconAndTipFollowPausedIdleAndWorking) {
  // A photo-sized JPEG: decoding it keeps the change working for many animation ticks.
  const std::string pictures = ShellFolder(CSIDL_MYPICTURES);
  EmptyFolder(pictures);
  const std::string photo = FolderOf(ProgramPath()) + "..\\test-fixtures\\slow\\photo.jpg";
  ASSERT_TRUE(CopyFileA(photo.c_str(), (pictures + "\\photo.jpg").c_str(), FALSE)) << photo;
  SetDword("ChangeAtTime", 0);
  RunningProgram program;
  HWND window = program.WaitForMainWindow();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitUntil([&] { return IconIs(window, IDI_TRAY_PAUSED, TrayTipKind::kPaused); }));
  EXPECT_TRUE(Inspect(window)->added);

  PostMessageA(window, WM_COMMAND, IDM_TRAY_PAUSE, 0);  // resume
  // The icon changes first, then the value is written.
  ASSERT_TRUE(WaitUntil([&] { return IconIs(window, IDI_TRAY_NORMAL, TrayTipKind::kIdle) && GetDword("ChangeAtTime") == 1u; }));

  // A change through the image worker: the frames turn while it works.
  PostMessageA(window, WM_COMMAND, IDM_TRAY_NEXT, 0);
  std::set<int> frames;
  bool sawWorkingTip = false;
  const ULONGLONG end = GetTickCount64() + 20000;
  bool ended = false;
  while (GetTickCount64() < end) {
    const auto i = Inspect(window);
    ASSERT_TRUE(i.has_value());
    if (i->working) {
      sawWorkingTip = sawWorkingTip || i->tip == TrayTipKind::kWorking;
      if (i->iconResource != IDI_TRAY_NORMAL) frames.insert(i->iconResource);
    } else if (sawWorkingTip) {
      ended = true;
      break;
    }
    Sleep(2);
  }
  ASSERT_TRUE(sawWorkingTip) << "the change never showed as working";
  ASSERT_TRUE(ended) << "the change did not end";
  // The frame order is the tray unit test's; here some frames must have shown.
  EXPECT_FALSE(frames.empty()) << "no animation frame was seen while the change worked";
  for (int f : frames) EXPECT_TRUE(f >= IDI_TRAY_FRAME_6 && f <= IDI_TRAY_FRAME_5) << f;
  EXPECT_TRUE(IconIs(window, IDI_TRAY_NORMAL, TrayTipKind::kIdle));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(TrayProgramTest, TheIconComesBackWhenTheTaskbarIsCreatedAgain) {
  RunningProgram program;
  HWND window = program.WaitForMainWindow();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitUntil([&] { return Inspect(window) && Inspect(window)->added; }));
  const int adds = Inspect(window)->addCount;
  // The taskbar went away with the icon, as when the shell restarts.
  NOTIFYICONDATAA gone = {};
  gone.cbSize = NOTIFYICONDATAA_V1_SIZE;
  gone.hWnd = window;
  gone.uID = 0;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 2000,
                      &ignored);
  ASSERT_TRUE(WaitUntil([&] { return Inspect(window) && Inspect(window)->addCount == adds + 1; }));
  // The shell holds it again: a change to it is accepted.
  NOTIFYICONDATAA probe = gone;
  probe.uFlags = NIF_TIP;
  lstrcpyA(probe.szTip, "Skyframe");
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  EXPECT_EQ(program.Close(), 0u);
}

// Each way out ends with the crash flag clear and the single-instance mutex
// released: a new start then runs at once instead of handing over.
TEST_F(TrayProgramTest, ExitFromTheMenuAndEndOfSessionEndCleanly) {
  struct Way {
    const char* name;
    UINT message;
    WPARAM wParam;
  };
  for (const Way& way : {Way{"Exit", WM_COMMAND, IDM_TRAY_EXIT}, Way{"WM_QUERYENDSESSION", WM_QUERYENDSESSION, 0}}) {
    SCOPED_TRACE(way.name);
    RunningProgram program;
    HWND window = program.WaitForMainWindow();
    ASSERT_TRUE(window);
    ASSERT_TRUE(WaitUntil([] { return GetDword("CrashFlag") == 0u; }));
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window, way.message, way.wParam, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    if (way.message == WM_QUERYENDSESSION) {
      EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    }
    EXPECT_EQ(program.WaitForExit(), 0u);
    EXPECT_EQ(GetDword("CrashFlag"), 0u);

    RunningProgram next;
    ASSERT_TRUE(next.WaitForMainWindow());
    EXPECT_FALSE(next.WaitForExit(500).has_value()) << "the new start handed over to a dead instance";
    EXPECT_EQ(next.Close(), 0u);
  }
}

// Needs the change pipeline: the hot key, pressed as the user would, loads the next picture.
TEST_F(TrayProgramTest, CtrlPageDownChangesTheWallpaper) {
  LargePictures();
  RunningProgram program;
  HWND window = program.WaitForMainWindow();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitUntil([] { return GetDword("CrashFlag") == 0u; }));
  Sleep(300);
  const std::string bitmap = DataFolder() + UserName() + "_skyframe.bmp";
  const FILETIME before = WriteTime(bitmap);
  Sleep(20);
  INPUT keys[4] = {};
  const WORD vk[4] = {VK_CONTROL, VK_NEXT, VK_NEXT, VK_CONTROL};
  for (int k = 0; k < 4; ++k) {
    keys[k].type = INPUT_KEYBOARD;
    keys[k].ki.wVk = vk[k];
    keys[k].ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk[k], MAPVK_VK_TO_VSC));
    keys[k].ki.dwFlags = (k >= 2 ? KEYEVENTF_KEYUP : 0) | (vk[k] == VK_NEXT ? KEYEVENTF_EXTENDEDKEY : 0);
  }
  ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
  ASSERT_TRUE(WaitUntil([&] {
    const FILETIME now = WriteTime(bitmap);
    return CompareFileTime(&now, &before) != 0 && GetDword("CrashFlag") == 0u &&
           Inspect(window) && !Inspect(window)->working;
  }, 30000));
  EXPECT_EQ(GetString("Wallpaper", HKEY_CURRENT_USER, "Control Panel\\Desktop"), bitmap);
  EXPECT_EQ(program.Close(), 0u);
}

void PressKeys(std::initializer_list<std::pair<WORD, bool>> strokes) {
  std::vector<INPUT> keys;
  for (const auto& [vk, up] : strokes) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    const bool extended = vk == VK_NEXT || vk == VK_PRIOR;
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    keys.push_back(in);
  }
  ASSERT_EQ(SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)), keys.size());
}

size_t LogCount(const std::string& text) {
  const std::string log = ReadFileBytes(LogPath());
  size_t count = 0;
  for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
  return count;
}

TEST_F(TrayProgramTest, CtrlPageDownTwiceQuicklyChangesOnceAndSaysSo) {
  LargePictures();
  RunningProgram program;
  HWND window = program.WaitForMainWindow();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }));
  // Both presses are queued before the first change can end.
  PressKeys({{VK_CONTROL, false}, {VK_NEXT, false}, {VK_NEXT, true}, {VK_NEXT, false}, {VK_NEXT, true},
             {VK_CONTROL, true}});
  ASSERT_TRUE(WaitUntil([] { return LogCount(" Wallpaper change finished") == 1; }, 30000));
  EXPECT_EQ(LogCount(" Status: Loading next wallpaper\r\nPlease wait..."), 1u);
  EXPECT_EQ(LogCount(" Status: Wallpaper change already in progress. Please wait..."), 1u);
  Sleep(1500);
  EXPECT_EQ(LogCount(" Wallpaper change finished"), 1u);  // one change only
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(TrayProgramTest, BlankHotKeyBlanksAndPausesThenRestores) {
  LargePictures();
  RunningProgram program;
  HWND window = program.WaitForMainWindow();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }));
  const std::string bitmap = DataFolder() + UserName() + "_skyframe.bmp";
  PostMessageA(window, WM_COMMAND, IDM_TRAY_NEXT, 0);
  ASSERT_TRUE(WaitUntil([] { return LogCount(" Wallpaper change finished") == 1; }, 30000));
  ASSERT_EQ(GetString("Wallpaper", HKEY_CURRENT_USER, "Control Panel\\Desktop"), bitmap);

  PressKeys({{VK_SHIFT, false}, {VK_SCROLL, false}, {VK_SCROLL, true}, {VK_SHIFT, true}});
  EXPECT_TRUE(WaitUntil([] {
    const auto w = GetString("Wallpaper", HKEY_CURRENT_USER, "Control Panel\\Desktop");
    return w && w->find_first_not_of(' ') == std::string::npos;
  }));
  EXPECT_TRUE(WaitUntil([&] { return IconIs(window, IDI_TRAY_PAUSED, TrayTipKind::kPaused); }));

  PressKeys({{VK_SHIFT, false}, {VK_SCROLL, false}, {VK_SCROLL, true}, {VK_SHIFT, true}});
  EXPECT_TRUE(WaitUntil([&] { return GetString("Wallpaper", HKEY_CURRENT_USER, "Control Panel\\Desktop") == bitmap; },
                        30000));
  // The hot key always leaves changing paused, and only in memory.
  EXPECT_TRUE(WaitUntil([&] { return IconIs(window, IDI_TRAY_PAUSED, TrayTipKind::kPaused); }));
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
