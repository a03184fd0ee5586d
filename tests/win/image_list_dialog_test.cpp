// "Select Images" in the real program under Wine: opened from the settings
// dialog's Source page, driven from outside, its list file after OK, and the
// picture it shows at once.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "tests/win/program_driver_win.h"
#include "ui/imagelist_dialog/imagelist_dialog_ids.h"
#include "ui/settings/settings_dialog_ids.h"

using namespace testing_win;

namespace {

constexpr UINT kOpenSettings = WM_APP + 2;

class ImageListDialogProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    pictures = ShellFolder(CSIDL_MYPICTURES);
    DeleteFolderContents(pictures);
    const std::string fixtures = FolderOf(ProgramPath()) + "..\\test-fixtures\\pictures\\";
    for (const char* name : {"b.bmp", "g.png", "e.jpg"})
      CopyFileA((fixtures + name).c_str(), (pictures + "\\" + name).c_str(), FALSE);
    SetDword("GetImageFromInternet", 0);
    SetDword("ShowSplashScreen", 0);
    SetDword("ChangeAtStartup", 0);
    SetDword("ShuffleImagelist", 0);
    list = DataFolder() + UserName() + ".PLS";
  }
  void TearDown() override { StopRunningInstances(); }

  // The settings dialog, then Select Images from its Source page.
  HWND OpenImageList(RunningProgram& program) {
    PostMessageA(program.WaitForMainWindow(), kOpenSettings, 0, 0);
    settings = program.WaitForTopWindow("Configure Skyframe", "#32770");
    if (!settings) return nullptr;
    HWND page = nullptr;
    WaitUntil([&] { return (page = PageWith(settings, IDC_SRC_SELECT_IMAGES)) != nullptr; }, 5000);
    if (!page) return nullptr;
    HWND button = GetDlgItem(page, IDC_SRC_SELECT_IMAGES);
    EXPECT_TRUE(IsWindowEnabled(button));
    // Posted: the modal dialog runs inside the page's handling of the click.
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SRC_SELECT_IMAGES, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return program.WaitForTopWindow("Select Images", "#32770");
  }
  static HWND PageWith(HWND dialog, int id) {
    for (HWND child = FindWindowExA(dialog, nullptr, "#32770", nullptr); child;
         child = FindWindowExA(dialog, child, "#32770", nullptr))
      if (GetDlgItem(child, id)) return child;
    return nullptr;
  }
  // The caret to line `line` with the keyboard, as a user moves it.
  static void CaretTo(HWND dialog, int line) {
    HWND view = GetDlgItem(dialog, IDC_IL_LIST);
    SendMessageA(view, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < line; ++i) SendMessageA(view, WM_KEYDOWN, VK_DOWN, 0);
  }
  static bool Closes(HWND dialog) { return WaitUntil([&] { return !IsWindow(dialog); }, 5000); }
  std::string Entry(const char* name) const { return pictures + "\\" + name; }
  void WriteList() const {
    const std::string text = "[playlist]\r\nFile1=" + Entry("b.bmp") + "\r\nFile2=" + Entry("g.png") +
                             "\r\nFile3=" + Entry("e.jpg") + "\r\nNumberOfEntries=3\r\nVersion=2";
    HANDLE file = CreateFileA(list.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }

  std::string pictures, list;
  HWND settings = nullptr;
};

TEST_F(ImageListDialogProgramTest, MovingTheSecondEntryUpIsWhatTheListFileHoldsAfterOk) {
  RunningProgram program;
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 30000));
  WriteList();
  HWND dialog = OpenImageList(program);
  ASSERT_TRUE(dialog);
  CaretTo(dialog, 1);
  PostMessageA(dialog, WM_COMMAND, IDC_IL_UP, 0);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Closes(dialog));
  const std::string stored = ReadFileBytes(list);
  const size_t g = stored.find("File1=" + Entry("g.png"));
  const size_t b = stored.find("File2=" + Entry("b.bmp"));
  const size_t e = stored.find("File3=" + Entry("e.jpg"));
  EXPECT_NE(g, std::string::npos) << stored;
  EXPECT_NE(b, std::string::npos) << stored;
  EXPECT_NE(e, std::string::npos) << stored;
  PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Closes(settings));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(ImageListDialogProgramTest, SetAsWallpaperShowsTheChosenPicture) {
  RunningProgram program;
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 30000));
  WriteList();
  HWND dialog = OpenImageList(program);
  ASSERT_TRUE(dialog);
  const size_t finished = LogCount(" Wallpaper change finished");
  CaretTo(dialog, 2);
  PostMessageA(dialog, WM_COMMAND, IDC_IL_SET_WALLPAPER, 0);
  EXPECT_TRUE(WaitUntil([&] { return LogCount(" Wallpaper change finished") > finished; }, 30000));
  EXPECT_EQ(GetString("Wallpaper", HKEY_CURRENT_USER, "Control Panel\\Desktop"), WallpaperBitmapPath());
  const std::optional<Bitmap> shown = ReadBitmap(WallpaperBitmapPath());
  ASSERT_TRUE(shown);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Closes(dialog));
  PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Closes(settings));
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
