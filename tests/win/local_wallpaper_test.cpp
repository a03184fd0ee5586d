// Local pictures become the wallpaper: the real program under Wine, with a
// Pictures folder of every scanned format, a corrupt picture, a page and a movie.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "shell/tray/tray_ids.h"
#include "tests/win/program_driver_win.h"

using namespace testing_win;

namespace {

bool ColourNear(uint32_t a, uint32_t b, int tolerance = 12) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > tolerance) return false;
  return true;
}

struct Picture {
  const char* relative;  // below the Pictures folder
  uint32_t colour;
  int fitWidth, fitHeight;  // on the 1280 x 1024 screen
};

// Scan order: a subfolder's files first, then the folder's own, grouped by pattern.
const std::vector<Picture> kScanOrder = {
    {"sub\\inner.jpg", 0x20C040, 1280, 959}, {"a.tga", 0xC02020, 1280, 959},
    {"b.bmp", 0x2040C0, 1280, 959},          {"c.pcx", 0xE0C020, 682, 1024},
    {"d.tif", 0xC020C0, 1280, 719},          {"e.jpg", 0x20C0C0, 1280, 959},
    {"broken.jpeg", 0, 0, 0},                {"f.gif", 0x808000, 1280, 1024},
    {"g.png", 0xF08040, 1280, 959},          {"page.htm", 0, 0, 0},
    {"movie.swf", 0, 0, 0},
};

std::string FixtureFolder() { return FolderOf(ProgramPath()) + "..\\test-fixtures\\pictures"; }

void CopyTree(const std::string& from, const std::string& to) {
  CreateDirectoryA(to.c_str(), nullptr);
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((from + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CopyTree(from + "\\" + name, to + "\\" + name);
    else
      CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
}

class LocalWallpaperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    pictures = ShellFolder(CSIDL_MYPICTURES);
    DeleteFolderContents(pictures);
    CopyTree(FixtureFolder(), pictures);
    ASSERT_TRUE(FileExists(pictures + "\\g.png")) << "fixtures missing in " << FixtureFolder();
    SetDword("ChangeAtStartup", 1);
    SetDword("GetImageFromInternet", 0);
    SetDword("ShowSplashScreen", 0);
    bitmap = DataFolder() + UserName() + "_skyframe.bmp";
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  }
  void TearDown() override { StopRunningInstances(); }

  FILETIME BitmapTime() {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(bitmap.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
  }
  static size_t FinishedChanges() {
    const std::string log = ReadFileBytes(LogPath());
    size_t count = 0;
    for (size_t at = log.find(" Wallpaper change finished"); at != std::string::npos;
         at = log.find(" Wallpaper change finished", at + 1))
      ++count;
    return count;
  }
  // Waits until a change has rewritten the bitmap and ended.
  std::optional<Bitmap> WaitForNewBitmap(FILETIME before, size_t finishedBefore) {
    const bool changed = WaitUntil([&] {
      const FILETIME now = BitmapTime();
      return CompareFileTime(&now, &before) != 0 && FinishedChanges() > finishedBefore;
    }, 20000);
    if (!changed) return std::nullopt;
    return ReadBitmap(bitmap);
  }
  const Picture* PictureOf(const Bitmap& b) {
    for (const Picture& p : kScanOrder)
      if (p.fitWidth && ColourNear(p.colour, b.center)) return &p;
    return nullptr;
  }
  std::optional<Bitmap> Command(RunningProgram& program, int id) {
    const FILETIME before = BitmapTime();
    const size_t finished = FinishedChanges();
    Sleep(20);  // file times have a coarse grain
    PostMessageA(program.MainWindow(), WM_COMMAND, id, 0);
    return WaitForNewBitmap(before, finished);
  }

  std::string pictures, bitmap;
};

TEST_F(LocalWallpaperTest, FirstStartScansThePicturesIntoTheListFile) {
  SetDword("ChangeAtStartup", 0);
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  const std::string list = DataFolder() + UserName() + ".PLS";
  ASSERT_TRUE(WaitUntil([&] { return FileExists(list); }));
  std::string expected = "[playlist]\r\nPlaylistName=Farther Afield playlist\r\n";
  int i = 1;
  for (const Picture& p : kScanOrder) {
    std::string name = p.relative;
    name = name.substr(name.find_last_of('\\') + 1);
    name = name.substr(0, name.find_last_of('.'));
    expected += "File" + std::to_string(i) + "=" + pictures + "\\" + p.relative + "\r\n";
    expected += "Title" + std::to_string(i) + "=" + name + "\r\n";
    ++i;
  }
  expected += "NumberOfEntries=11\r\nVersion=2";
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(list) == expected; }, 5000));
  EXPECT_EQ(ReadFileBytes(list), expected);
  EXPECT_TRUE(LogContains("Saving new playlist at: " + list));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(LocalWallpaperTest, EachChangeComposesTheFittedBitmapAndSkipsTheCorruptPicture) {
  SetDword("ShuffleImagelist", 0);
  const FILETIME before = BitmapTime();
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  // The change at start-up steps forward from the stored cursor 0: entry 1.
  std::optional<Bitmap> shown = WaitForNewBitmap(before, 0);
  ASSERT_TRUE(shown);
  const Picture* p = PictureOf(*shown);
  ASSERT_TRUE(p) << std::hex << shown->center;
  EXPECT_STREQ(p->relative, "a.tga");
  EXPECT_EQ(GetString("Wallpaper", HKEY_CURRENT_USER, "Control Panel\\Desktop"), bitmap);

  // Forward through the rest: every decodable picture at its fitted size; the
  // corrupt one is passed over to the next.
  for (const char* expected : {"b.bmp", "c.pcx", "d.tif", "e.jpg", "f.gif"}) {
    shown = Command(program, 106);
    ASSERT_TRUE(shown) << "after " << expected;
    p = PictureOf(*shown);
    ASSERT_TRUE(p) << expected << " " << std::hex << shown->center;
    EXPECT_STREQ(p->relative, expected);
    EXPECT_EQ(shown->width, p->fitWidth) << expected;
    EXPECT_EQ(shown->height, p->fitHeight) << expected;
  }
  EXPECT_EQ(GetDword("IndexOfLastImage"), 7u);  // f.gif, past the corrupt entry 6
  // And back again.
  shown = Command(program, 107);
  ASSERT_TRUE(shown);
  p = PictureOf(*shown);
  ASSERT_TRUE(p);
  EXPECT_STREQ(p->relative, "e.jpg");  // stepping back over the corrupt entry goes on back

  // The virtual desktop draws the bitmap: the middle of the screen shows the picture.
  HDC screen = GetDC(nullptr);
  const COLORREF pixel = GetPixel(screen, 640, 512);
  ReleaseDC(nullptr, screen);
  const uint32_t rgb = GetRValue(pixel) << 16 | GetGValue(pixel) << 8 | GetBValue(pixel);
  EXPECT_TRUE(WaitUntil([&] {
    HDC dc = GetDC(nullptr);
    const COLORREF c = GetPixel(dc, 640, 512);
    ReleaseDC(nullptr, dc);
    return ColourNear(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c), 0x20C0C0, 16);
  }, 5000)) << std::hex << rgb;
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(GetDword("CrashFlag"), 0u);
}

TEST_F(LocalWallpaperTest, CentreModeKeepsSizesAppliesBitmapsAsTheyAreAndWrapsMoviesInAPage) {
  SetDword("ShuffleImagelist", 0);
  SetDword("PaperOrient", 0);
  const FILETIME before = BitmapTime();
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  std::optional<Bitmap> shown = WaitForNewBitmap(before, 0);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->width, 400);  // a.tga, saved unscaled
  EXPECT_EQ(shown->height, 300);
  EXPECT_EQ(GetString("WallpaperStyle", HKEY_CURRENT_USER, "Control Panel\\Desktop"), "0");

  // A bitmap goes to the desktop as it is, without the worker.
  const FILETIME composed = BitmapTime();
  PostMessageA(program.MainWindow(), WM_COMMAND, IDM_TRAY_NEXT, 0);
  EXPECT_TRUE(WaitUntil([&] {
    return GetString("Wallpaper", HKEY_CURRENT_USER, "Control Panel\\Desktop") == pictures + "\\b.bmp";
  }));
  const FILETIME after = BitmapTime();
  EXPECT_EQ(CompareFileTime(&composed, &after), 0);

  // On through the list to the movie: its page is written and names it.
  const std::string page = DataFolder() + UserName() + "_flashpage.htm";
  for (int i = 0; i < 8 && !FileExists(page); ++i) {
    PostMessageA(program.MainWindow(), WM_COMMAND, IDM_TRAY_NEXT, 0);
    WaitUntil([&] { return FileExists(page); }, 3000);
  }
  ASSERT_TRUE(FileExists(page));
  EXPECT_NE(ReadFileBytes(page).find(pictures + "\\movie.swf"), std::string::npos);
  EXPECT_EQ(GetDword("IndexOfLastImage"), 10u);
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(LocalWallpaperTest, ARestartResumesAtTheSamePlaceInTheSameShuffledOrder) {
  // Only pictures here, so that every step rewrites the bitmap.
  for (const char* other : {"\\page.htm", "\\movie.swf", "\\broken.jpeg"}) DeleteFileA((pictures + other).c_str());
  std::vector<std::string> firstRun;
  {
    const FILETIME before = BitmapTime();
    RunningProgram program;
    ASSERT_TRUE(program.WaitForMainWindow());
    std::optional<Bitmap> shown = WaitForNewBitmap(before, 0);
    ASSERT_TRUE(shown);
    for (int i = 0; i < 4; ++i) {
      const Picture* p = PictureOf(*shown);
      firstRun.push_back(p ? p->relative : "?");
      shown = Command(program, 106);
      ASSERT_TRUE(shown);
    }
    const Picture* p = PictureOf(*shown);
    firstRun.push_back(p ? p->relative : "?");
    // Back two steps: the cursor now rests on the third picture shown.
    ASSERT_TRUE(Command(program, 107));
    ASSERT_TRUE(Command(program, 107));
    ASSERT_EQ(program.Close(), 0u);
  }
  const FILETIME before = BitmapTime();
  RunningProgram again;
  ASSERT_TRUE(again.WaitForMainWindow());
  std::optional<Bitmap> shown = WaitForNewBitmap(before, 0);
  ASSERT_TRUE(shown);
  const Picture* p = PictureOf(*shown);
  ASSERT_TRUE(p);
  // The start-up change steps forward from the stored cursor: the fourth picture of the first run.
  EXPECT_EQ(std::string(p->relative), firstRun[3]);
  EXPECT_NE(firstRun[0] + firstRun[1] + firstRun[2], "a.tgab.bmpc.pcx");  // shuffled, not stored order
  EXPECT_EQ(again.Close(), 0u);
}

}  // namespace
