// Internet wallpapers end to end: the real program and its real plug-in under
// Wine, with the engine stand-in answering as WinInet's proxy for every engine
// and image host. The stand-in's pictures are solid colours that name their
// record, so the wallpaper bitmap (and the screen) tells which result is shown.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/tests/stand_in_server_win.h"
#include "plugin/tests/stand_in_colours.h"
#include "shell/tray/tray_ids.h"
#include "support/win/unique_handle_win.h"
#include "tests/win/program_driver_win.h"

using namespace testing_win;

namespace {

constexpr const char* kChangeFinished = " Wallpaper change finished";
constexpr const char* kFirstPage = "images.google.com /images?q=Landscape%20wallpaper&start=0";

// The stand-in record whose colour this is (0xRRGGBB), or -1.
int RecordOf(uint32_t rgb) {
  return stand_in::NumberOf({static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                             static_cast<uint8_t>(rgb)});
}

uint32_t ScreenColour(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// Plain file names in a folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

// The plug-in's cache files ("i<digits>.Fetchpix Cache") anywhere below its data folder.
void CollectCacheFiles(const std::string& folder, std::set<std::string>& out) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CollectCacheFiles(folder + "\\" + name, out);
      continue;
    }
    const std::string suffix = ".Fetchpix Cache";
    if (name.size() > suffix.size() + 1 && name[0] == 'i' &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        std::all_of(name.begin() + 1, name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                    [](char c) { return c >= '0' && c <= '9'; }))
      out.insert(folder + "\\" + name);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
}

std::set<std::string> CacheFiles() {
  std::set<std::string> files;
  CollectCacheFiles(LocalDataFolder() + "Fetchpix", files);
  return files;
}

std::string HistoryItem(const std::string& text) {
  return "<SearchItem>\r\n    <Type>0</Type>\r\n    <String>" + text + "</String>\r\n</SearchItem>\r\n\r\n";
}

StandInServer* g_server = nullptr;

class InternetWallpaperTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { g_server = new StandInServer(ENGINE_STAND_IN_SCRIPT, 600); }
  static void TearDownTestSuite() {
    SetWinInetProxy("");
    delete g_server;
    g_server = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(g_server->port(), 0) << "the engine stand-in did not start";
    ResetProgramState();
    SetWinInetProxy("127.0.0.1:" + std::to_string(g_server->port()));
    Setup("");
    // Everything else stays at its default: internet images, engine 1, "Landscape wallpaper".
    SetDword("ShowSplashScreen", 0);
    SetDword("RunAtStartup", 0);
    // Paused: only the test's commands change the wallpaper.
    SetDword("ChangeAtTime", 0);
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  }
  void TearDown() override {
    StopRunningInstances();
    SetWinInetProxy("");
    if (HasFailure()) {
      // What the program did and was told is the quickest way to the cause.
      const std::vector<std::string> lines = LogLines();
      const size_t from = lines.size() > 60 ? lines.size() - 60 : 0;
      for (size_t i = from; i < lines.size(); ++i) std::printf("log: %s\n", lines[i].c_str());
      std::printf("stand-in requests:\n%s", Requests().c_str());
    }
    if (!saveFolder.empty()) {
      DeleteFolderContents(saveFolder);
      RemoveDirectoryA(saveFolder.c_str());
    }
    ResetProgramState();
  }

  static void Setup(const std::string& query) { ASSERT_EQ(g_server->Get("/setup?" + query), "ok"); }
  static void Set(const std::string& query) { ASSERT_EQ(g_server->Get("/set?" + query), "ok"); }
  static std::string Requests() { return g_server->Get("/requests"); }
  static int Gets(const std::string& hostAndPath) {
    const std::string all = Requests(), line = "GET " + hostAndPath + "\n";
    int n = 0;
    for (size_t at = all.find(line); at != std::string::npos; at = all.find(line, at + line.size())) ++n;
    return n;
  }
  // Requests for a result page, whatever parameters follow the ones given.
  static int PageGets(const std::string& hostAndPath) {
    std::istringstream all(Requests());
    const std::string start = "GET " + hostAndPath;
    int n = 0;
    for (std::string line; std::getline(all, line);)
      if (line.compare(0, start.size(), start) == 0 && (line.size() == start.size() || line[start.size()] == '&')) ++n;
    return n;
  }

  // Until the stand-in has had no new request for a second and a half.
  static void WaitForQuietStandIn() {
    std::string seen = Requests();
    for (int i = 0; i < 20; ++i) {
      Sleep(1500);
      const std::string now = Requests();
      if (now == seen) return;
      seen = now;
    }
  }

  // Posts a tray command and waits until the change it starts has ended. The
  // record the new wallpaper shows; 0 when the bitmap was not rewritten, -1
  // when it shows no stand-in colour, -2 when no change ended in time.
  static int Step(RunningProgram& program, int command) {
    const std::string bitmap = WallpaperBitmapPath();
    const FILETIME before = WriteTime(bitmap);
    const size_t finished = LogCount(kChangeFinished);
    Sleep(20);  // file times have a coarse grain
    PostMessageA(program.MainWindow(), WM_COMMAND, command, 0);
    if (!WaitUntil([&] { return LogCount(kChangeFinished) > finished; }, 40000)) return -2;
    const FILETIME after = WriteTime(bitmap);
    if (CompareFileTime(&before, &after) == 0) return 0;
    const std::optional<Bitmap> shown = ReadBitmap(bitmap);
    return shown ? RecordOf(shown->center) : -1;
  }

  // Types a search into the quick-entry box and presses its OK button; the
  // change that the new search starts has ended when this returns.
  static int EnterSearch(RunningProgram& program, const std::string& text) {
    const size_t finished = LogCount(kChangeFinished);
    PostMessageA(program.MainWindow(), WM_COMMAND, IDM_TRAY_SEARCH_TEXT, 0);
    HWND box = program.WaitForTopWindow("Change Keywords", "#32770");
    if (!box) {
      ADD_FAILURE() << "the quick-entry box did not open";
      return -2;
    }
    SendMessageA(GetDlgItem(box, IDC_QUICK_ENTRY_TEXT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    if (!WaitUntil([&] { return !IsWindow(box) && LogCount(kChangeFinished) > finished; }, 40000)) return -2;
    const std::optional<Bitmap> shown = ReadBitmap(WallpaperBitmapPath());
    return shown ? RecordOf(shown->center) : -1;
  }

  std::string saveFolder;  // removed after the test
};

TEST_F(InternetWallpaperTest, DefaultSettingsShowTheFirstResultsAndPreviousComesFromTheCache) {
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  EXPECT_EQ(Step(program, IDM_TRAY_NEXT), 1) << Requests();
  // The default search: its keywords on the first engine.
  EXPECT_EQ(PageGets(kFirstPage), 1) << Requests();
  EXPECT_EQ(GetString("Wallpaper", HKEY_CURRENT_USER, "Control Panel\\Desktop"), WallpaperBitmapPath());
  // Fitted to the screen, proportions kept (4:3 in float ratios gives 959 rows).
  const std::optional<Bitmap> fitted = ReadBitmap(WallpaperBitmapPath());
  ASSERT_TRUE(fitted);
  EXPECT_EQ(fitted->width, 1280);
  EXPECT_EQ(fitted->height, 959);
  // The virtual desktop draws it.
  EXPECT_TRUE(WaitUntil([] { return RecordOf(ScreenColour(640, 512)) == 1; }, 5000))
      << std::hex << ScreenColour(640, 512);

  EXPECT_EQ(Step(program, IDM_TRAY_NEXT), 2);
  EXPECT_TRUE(WaitUntil([] { return RecordOf(ScreenColour(640, 512)) == 2; }, 5000));
  EXPECT_EQ(Step(program, IDM_TRAY_PREVIOUS), 1);
  EXPECT_EQ(Gets("pics.example /r1.jpg"), 1) << Requests();
  EXPECT_EQ(Gets("pics.example /r2.jpg"), 1) << Requests();
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(GetDword("CrashFlag"), 0u);
}

TEST_F(InternetWallpaperTest, OnScheduleTheSearchsResultsComeOneAfterTheOther) {
  // Every 15 seconds, with nothing but the schedule asking.
  SetDword("ChangeAtTime", 1);
  SetDword("ChangeWhen", 0);
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  auto shows = [](int record) {
    const std::optional<Bitmap> shown = ReadBitmap(WallpaperBitmapPath());
    return shown && RecordOf(shown->center) == record;
  };
  EXPECT_TRUE(WaitUntil([&] { return shows(1); }, 45000)) << Requests();
  EXPECT_TRUE(WaitUntil([&] { return shows(2); }, 45000)) << Requests();
  // A scheduled change stamps its time.
  EXPECT_TRUE(WaitUntil([] { return GetDword("LastRegularChange").value_or(0) != 0; }, 5000));
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(GetDword("CrashFlag"), 0u);
}

TEST_F(InternetWallpaperTest, PastTheLastResultTheSearchSaysSoAndStartsOver) {
  Setup("count=2");
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  EXPECT_EQ(Step(program, IDM_TRAY_NEXT), 1);
  EXPECT_EQ(Step(program, IDM_TRAY_NEXT), 2);
  EXPECT_FALSE(LogContains("Status: End of results reached. Moving to beginning."));
  EXPECT_EQ(Step(program, IDM_TRAY_NEXT), 1) << Requests();
  EXPECT_TRUE(LogContains("Status: End of results reached. Moving to beginning."));
  // And on round again, not stuck at the wrap.
  EXPECT_EQ(Step(program, IDM_TRAY_NEXT), 2);
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(InternetWallpaperTest, AnUnreachableEngineIsReportedAndTheNextCommandSearchesAgain) {
  Setup("engine_down=1");
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  EXPECT_EQ(Step(program, IDM_TRAY_NEXT), 0) << "the wallpaper changed without an engine";
  EXPECT_TRUE(LogContains("Status: The search engine is currently unavailable.")) << Requests();
  EXPECT_EQ(Gets("pics.example /r1.jpg"), 0);
  const int tried = PageGets(kFirstPage);
  EXPECT_GE(tried, 1) << Requests();
  Set("engine_down=0");
  // The search starts over from its first page.
  EXPECT_EQ(Step(program, IDM_TRAY_NEXT), 1) << Requests();
  EXPECT_EQ(PageGets(kFirstPage), tried + 1) << Requests();
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(GetDword("CrashFlag"), 0u);
}

TEST_F(InternetWallpaperTest, TheHistoryKeepsTheNewestSearchesAndTheDroppedOneLosesItsCache) {
  SetDword("HistorySize", 3);
  Setup("count=3");
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  // The search the program starts with may fetch ahead: its files are not the first search's.
  WaitForQuietStandIn();
  const std::vector<std::string> searches = {"red car", "blue sky", "green hill", "grey sea"};
  std::vector<std::set<std::string>> cached;  // the cache files each search added
  for (const std::string& text : searches) {
    SCOPED_TRACE(text);
    const std::set<std::string> before = CacheFiles();
    EXPECT_EQ(EnterSearch(program, text), 1) << Requests();
    // Whatever the search fetches ahead belongs to it too.
    WaitForQuietStandIn();
    std::set<std::string> added;
    for (const std::string& f : CacheFiles())
      if (!before.count(f)) added.insert(f);
    EXPECT_FALSE(added.empty()) << "the search cached nothing";
    cached.push_back(added);
    EXPECT_EQ(GetString("InternetString"), text);
  }
  const std::string history = LocalDataFolder() + UserName() + "_searches.xml";
  EXPECT_EQ(ReadFileBytes(history), HistoryItem("grey sea") + HistoryItem("green hill") + HistoryItem("blue sky"));
  const std::set<std::string> now = CacheFiles();
  for (const std::string& f : cached[0]) EXPECT_FALSE(now.count(f)) << "kept: " << f;
  for (size_t i = 1; i < cached.size(); ++i)
    for (const std::string& f : cached[i]) EXPECT_TRUE(now.count(f)) << searches[i] << " lost " << f;

  // The oldest search used again from the box moves to the front instead of
  // staying next in line to be dropped.
  EXPECT_NE(EnterSearch(program, "blue sky"), -2);
  const std::string reordered = HistoryItem("blue sky") + HistoryItem("grey sea") + HistoryItem("green hill");
  EXPECT_EQ(ReadFileBytes(history), reordered);
  EXPECT_EQ(program.Close(), 0u);
  // The file outlives the run as it was.
  EXPECT_EQ(ReadFileBytes(history), reordered);
}

TEST_F(InternetWallpaperTest, SavingWritesTheServedPictureUnderASaneNameAndNumbersTheNext) {
  Setup("names=1&count=3");
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = saveFolder = std::string(temp) + "sf-e2e-saved";
  CreateDirectoryA(folder.c_str(), nullptr);
  DeleteFolderContents(folder);
  SetDword("AskWhereToSave", 0);
  SetString("WallpaperSavePath", folder);
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  ASSERT_EQ(Step(program, IDM_TRAY_NEXT), 1) << Requests();
  EXPECT_EQ(Gets("pics.example /th?id=OHR.Sea1.jpg&rf=1"), 1) << Requests();

  const std::string served = stand_in::PictureOf(1);
  const std::vector<std::vector<std::string>> afterEach = {{"th.bmp"}, {"th(1).bmp", "th.bmp"}};
  for (const auto& expected : afterEach) {
    PostMessageA(program.MainWindow(), WM_COMMAND, IDM_TRAY_SAVE, 0);
    EXPECT_TRUE(WaitUntil([&] { return FilesIn(folder) == expected; }, 10000))
        << FilesIn(folder).size() << " files, first " << (FilesIn(folder).empty() ? "" : FilesIn(folder)[0]);
    for (const std::string& name : FilesIn(folder)) EXPECT_EQ(ReadFileBytes(folder + "\\" + name), served) << name;
  }
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(InternetWallpaperTest, ABlockedPictureNeverComesBackAlsoAfterARestart) {
  Setup("count=4");
  {
    RunningProgram program;
    ASSERT_TRUE(program.WaitForMainWindow());
    ASSERT_EQ(Step(program, IDM_TRAY_NEXT), 1);
    ASSERT_EQ(Step(program, IDM_TRAY_NEXT), 2);
    const size_t finished = LogCount(kChangeFinished);
    PostMessageA(program.MainWindow(), WM_COMMAND, IDM_TRAY_BLOCK, 0);
    HWND box = program.WaitForTopWindow("Are you sure?", "#32770");
    ASSERT_TRUE(box) << "no question before blocking";
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_EQ(std::string(text),
              "Are you sure you wish to block this image?\n\nBlocking this image will attempt to\n"
              "keep it from appearing in the future.");
    PostMessageA(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    // Yes moves on to the next picture at once.
    ASSERT_TRUE(WaitUntil([&] { return LogCount(kChangeFinished) > finished; }, 40000));
    std::optional<Bitmap> shown = ReadBitmap(WallpaperBitmapPath());
    ASSERT_TRUE(shown);
    EXPECT_EQ(RecordOf(shown->center), 3);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) seen.push_back(Step(program, IDM_TRAY_NEXT));
    EXPECT_EQ(seen, (std::vector<int>{4, 1, 3, 4, 1})) << Requests();
    for (int i = 0; i < 3; ++i) seen.push_back(Step(program, IDM_TRAY_PREVIOUS));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 2), 0);
    EXPECT_EQ(program.Close(), 0u);
  }
  RunningProgram again;
  ASSERT_TRUE(again.WaitForMainWindow());
  std::vector<int> seen;
  for (int i = 0; i < 7; ++i) seen.push_back(Step(again, IDM_TRAY_NEXT));
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 2), 0) << Requests();
  for (int record : {1, 3, 4}) EXPECT_NE(std::count(seen.begin(), seen.end(), record), 0) << record;
  EXPECT_EQ(Gets("pics.example /r2.jpg"), 1) << "the blocked picture was asked for again";
  EXPECT_EQ(again.Close(), 0u);
}

TEST_F(InternetWallpaperTest, DuringASilentDownloadBlockWaitsAndExitEndsTheProgramWithTheCrashFlagCleared) {
  Setup("silent=1");
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  PostMessageA(program.MainWindow(), WM_COMMAND, IDM_TRAY_NEXT, 0);
  ASSERT_TRUE(WaitUntil([] { return Gets("pics.example /r1.jpg") == 1; }, 20000)) << Requests();
  Sleep(500);
  EXPECT_EQ(GetDword("CrashFlag"), 1u) << "no change was running";
  // The picture on show is not the one the search is fetching: nothing is blocked, nobody is asked.
  PostMessageA(program.MainWindow(), WM_COMMAND, IDM_TRAY_BLOCK, 0);
  EXPECT_TRUE(WaitUntil([] { return LogContains("Status: Wallpaper change already in progress. Please wait..."); }));
  EXPECT_EQ(program.FindTopWindow("Are you sure?", "#32770"), nullptr);
  const ULONGLONG start = GetTickCount64();
  PostMessageA(program.MainWindow(), WM_COMMAND, IDM_TRAY_EXIT, 0);
  const std::optional<DWORD> code = program.WaitForExit(40000);
  const ULONGLONG took = GetTickCount64() - start;
  std::printf("exit during a silent download took %llu ms\n", static_cast<unsigned long long>(took));
  ASSERT_TRUE(code) << "still running after 40 s";
  EXPECT_EQ(*code, 0u);
  // The plug-in leaves a blocked receive behind instead of waiting for it, so
  // the exit takes well under the 15 s receive time-out; the bound leaves a
  // margin for a loaded machine.
  EXPECT_LT(took, 8000u);
  EXPECT_EQ(GetDword("CrashFlag"), 0u);
}

}  // namespace
