// Start-up and shutdown of the real program under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "support/version.h"
#include "tests/win/program_driver_win.h"

using namespace testing_win;

namespace {

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgramState(); }
  void TearDown() override { StopRunningInstances(); }
};

TEST_F(StartupTest, FirstStartRunsOnDefaultsLogsAndEndsCleanly) {
  RunningProgram program;
  ASSERT_TRUE(program.Started());
  // The splash is modal and comes before the message loop: the start-up phase
  // is still under way while it shows.
  ASSERT_TRUE(WaitUntil([&] { return program.FindVisibleWindowOfClass("#32770") != nullptr; }));
  EXPECT_EQ(GetDword("CrashFlag"), 1u);
  EXPECT_TRUE(program.MainWindow());
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }));
  EXPECT_EQ(GetDword("CrashFlag"), 0u);
  EXPECT_FALSE(IsWindowVisible(program.MainWindow()));

  const std::string log = ReadFileBytes(LogPath());
  // Text mode: every line ends in CR LF.
  EXPECT_EQ(log.find("\n"), log.find("\r\n") + 1);
  const std::regex header("^-{46} Log begins on (Sun|Mon|Tue|Wed|Thu|Fri|Sat) [A-Z][a-z]{2} \\d\\d \\d\\d:\\d\\d:\\d\\d \\d{4} -{46}\r\n");
  EXPECT_TRUE(std::regex_search(log, header)) << log.substr(0, 200);
  const std::regex started("\r\nI +[a-z_]+\\.cpp\\[\\d{4}\\]\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d Skyframe started\\.\r\n");
  EXPECT_TRUE(std::regex_search(log, started));
  for (const char* line : {" Version: PC " SKYFRAME_VERSION_TEXT "\r\n", " OS is Win2k/XP\r\n", "Skyframe.exe\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
  EXPECT_NE(log.find(" Path: " + ProgramPath() + "\r\n"), std::string::npos);
  EXPECT_NE(log.find(" changeAtTime: 1\r\nchangeWhen: 5\r\nchangeAtStartup: 0\r\npaperOrient: 10\r\n"
                     "lastRegularChange: 0\r\nappStartTime: 0\r\nrunAtStartup: 1\r\nshowSplashScreen: 1\r\n"
                     "ShufflePictures: 1\r\nshowThumbnails: 1\r\nindexOfLastImage: 0\r\n\r\n"),
            std::string::npos);

  // The data folders and the per-user file names.
  EXPECT_TRUE(FolderExists(DataFolder()));
  EXPECT_TRUE(FolderExists(LocalDataFolder() + "Fetchpix"));
  EXPECT_TRUE(FolderExists(LocalDataFolder() + "Error"));
  EXPECT_EQ(GetString(UserName().c_str(), HKEY_LOCAL_MACHINE, "Software\\Quillmoor\\Skyframe\\AppData"),
            DataFolder());

  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(GetDword("CrashFlag"), 0u);
  const std::string end = ReadFileBytes(LogPath());
  for (const char* line : {" Exited event loop\r\n", " Unsetting crash flag\r\n", " Releasing mutex\r\n",
                           " Successfully exiting WinMain()\r\n"})
    EXPECT_NE(end.find(line), std::string::npos) << line;
  EXPECT_TRUE(std::regex_search(end, std::regex("-{47} Log ends on .{24} -{47}\r\n\r\n\r\n\r\n\r\n$")));
  // Nothing is saved at shutdown: a first run that changed nothing leaves no settings values.
  EXPECT_FALSE(GetDword("ChangeWhen").has_value());
}

TEST(ProgramFile, CarriesItsVersionAndManifest) {
  const std::string path = ProgramPath();
  DWORD ignored = 0;
  std::string info(GetFileVersionInfoSizeA(path.c_str(), &ignored), '\0');
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  char* text = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, SKYFRAME_VERSION_TEXT);

  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(module);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_TRUE(found);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                             SizeofResource(module, found));
  for (const char* needed : {"<activeCodePage", ">UTF-8<", "PerMonitorV2", "Microsoft.Windows.Common-Controls",
                             "version=\"6.0.0.0\"", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
    EXPECT_NE(manifest.find(needed), std::string::npos) << needed;
  FreeLibrary(module);
}

TEST_F(StartupTest, WithLoggingOffNoLogFileIsWritten) {
  SetDword("DebugLog", 0);
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  ASSERT_TRUE(WaitUntil([] { return GetDword("CrashFlag") == 0u; }));
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(StartupTest, AnOldLogIsReplacedByTheNewRun) {
  RunningProgram first;
  ASSERT_TRUE(first.WaitForMainWindow());
  ASSERT_EQ(first.Close(), 0u);
  RunningProgram second;
  ASSERT_TRUE(second.WaitForMainWindow());
  ASSERT_EQ(second.Close(), 0u);
  const std::string log = ReadFileBytes(LogPath());
  EXPECT_EQ(log.find("Log begins on"), log.rfind("Log begins on"));
}

TEST_F(StartupTest, FilesOfOlderVersionsMoveFromTheProgramFolder) {
  const std::string oldBitmap = FolderOf(ProgramPath()) + UserName() + "_skyframe.bmp";
  const std::string oldList = FolderOf(ProgramPath()) + UserName() + ".PLS";
  {
    std::FILE* f = std::fopen(oldBitmap.c_str(), "wb");
    std::fputs("BM old wallpaper", f);
    std::fclose(f);
    f = std::fopen(oldList.c_str(), "wb");
    std::fputs("[playlist]\nFile1=C:\\old\\one.jpg\nNumberOfEntries=1\nVersion=2", f);
    std::fclose(f);
  }
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }));
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(ReadFileBytes(DataFolder() + UserName() + "_skyframe.bmp"), "BM old wallpaper");
  EXPECT_FALSE(FileExists(oldBitmap));
  EXPECT_NE(ReadFileBytes(DataFolder() + UserName() + ".PLS").find("File1=C:\\old\\one.jpg"), std::string::npos);
  EXPECT_FALSE(FileExists(oldList));
  DeleteFileA(oldBitmap.c_str());
  DeleteFileA(oldList.c_str());
}

TEST_F(StartupTest, TheSessionEndingWhileTheSplashShowsEndsStartUpCleanly) {
  RunningProgram program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(WaitUntil([&] { return program.FindVisibleWindowOfClass("#32770") != nullptr; }));
  HWND window = program.MainWindow();
  ASSERT_TRUE(window);
  // The splash's modal loop delivers the logoff; start-up must not go on with
  // what shutdown has taken down.
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  EXPECT_EQ(program.WaitForExit(15000), 0u);
  EXPECT_EQ(GetDword("CrashFlag"), 0u);
  EXPECT_FALSE(LogContains("Beginning event loop"));
  EXPECT_TRUE(LogContains("Received WM_QUERYENDSESSION"));
}

// Points the user's Pictures and Documents folders at a drive that does not
// exist, so that the shell can give neither; puts them back afterwards.
class NoPictureFolders {
 public:
  NoPictureFolders() {
    for (const char* key : kKeys)
      for (const char* name : kNames) {
        saved.push_back(GetString(name, HKEY_CURRENT_USER, key));
        Set(key, name, "Q:\\none");
      }
  }
  ~NoPictureFolders() {
    size_t i = 0;
    for (const char* key : kKeys)
      for (const char* name : kNames) {
        const std::optional<std::string>& old = saved[i++];
        if (old) Set(key, name, *old);
      }
  }

 private:
  static void Set(const char* key, const char* name, const std::string& value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
  }
  static constexpr const char* kKeys[] = {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"};
  static constexpr const char* kNames[] = {"My Pictures", "Personal"};
  std::vector<std::optional<std::string>> saved;
};

TEST_F(StartupTest, WithoutPicturesOrDocumentsNothingIsScanned) {
  // A picture at the root of the drive: a scan of "" would start there.
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string rootPicture = std::string(windows, 3) + "sf_root_picture.bmp";
  {
    std::FILE* f = std::fopen(rootPicture.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("BM", f);
    std::fclose(f);
  }
  {
    NoPictureFolders gone;
    RunningProgram program;
    ASSERT_TRUE(program.WaitForMainWindow());
    ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 30000));
    EXPECT_EQ(program.Close(), 0u);
  }
  DeleteFileA(rootPicture.c_str());
  const std::string list = ReadFileBytes(DataFolder() + UserName() + ".PLS");
  EXPECT_EQ(list.find("sf_root_picture"), std::string::npos) << list.substr(0, 300);
  EXPECT_EQ(list.find("File1="), std::string::npos) << list.substr(0, 300);
}

TEST_F(StartupTest, SecondStartWakesTheFirstAndExitsWithZero) {
  RunningProgram first;
  ASSERT_TRUE(first.WaitForMainWindow());
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }));
  RunningProgram second;
  // The second start waits up to 15 s for the first to end before it gives up.
  EXPECT_EQ(second.WaitForExit(25000), 0u);
  EXPECT_TRUE(WaitUntil([] { return LogContains(" Settings dialog requested\r\n"); }));
  EXPECT_EQ(GetDword("CrashFlag"), 0u);  // the second start never touches the first's flag
  EXPECT_EQ(first.Close(), 0u);
}

TEST_F(StartupTest, AStartWhileTheFirstIsEndingWaitsAndThenRuns) {
  RunningProgram first;
  HWND window = first.WaitForMainWindow();
  ASSERT_TRUE(window);
  PostMessageA(window, WM_CLOSE, 0, 0);
  RunningProgram second;
  EXPECT_EQ(first.WaitForExit(), 0u);
  EXPECT_TRUE(second.WaitForMainWindow());
  EXPECT_FALSE(second.WaitForExit(500).has_value());
  EXPECT_EQ(second.Close(), 0u);
}

TEST_F(StartupTest, AStartWaitingForAnEndingInstanceReadsItsFlagsAfterTheWait) {
  RunningProgram first;
  ASSERT_TRUE(first.WaitForMainWindow());
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }));
  // The first is in the middle of a change when the second starts and loads
  // its settings; the first then ends normally and clears its flag.
  SetDword("CrashFlag", 1);
  RunningProgram second;
  Sleep(1500);  // no signal tells that the second waits on the mutex; it waits up to 15 s
  EXPECT_EQ(first.Close(), 0u);
  ASSERT_TRUE(second.WaitForMainWindow(20000));
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 20000));
  EXPECT_EQ(second.FindTopWindow("Abnormal shutdown"), nullptr) << "the ended run was taken for a crash";
  EXPECT_EQ(second.Close(), 0u);
}

struct OfferCase {
  int button;         // IDOK ("Yes") or IDCANCEL ("No")
  bool tickDontAsk;
  DWORD expectedShowErrorReport;
};

class ReportOfferTest : public StartupTest, public ::testing::WithParamInterface<OfferCase> {};

TEST_P(ReportOfferTest, AbnormalShutdownOfferStoresTheChoice) {
  SetDword("CrashFlag", 1);
  SetDword("ShowErrorReport", 1);
  RunningProgram program;
  HWND offer = program.WaitForTopWindow("Abnormal shutdown");
  ASSERT_TRUE(offer);
  EXPECT_EQ(GetDword("CrashFlag"), 0u);  // flags cleared before the offer
  EXPECT_FALSE(program.MainWindow());    // the offer comes before the window
  EXPECT_TRUE(SendDlgItemMessageA(offer, 1090, STM_GETIMAGE, IMAGE_ICON, 0) != 0);
  if (GetParam().tickDontAsk) SendDlgItemMessageA(offer, 1025, BM_CLICK, 0, 0);
  PostMessageA(offer, WM_COMMAND, GetParam().button, 0);
  ASSERT_TRUE(program.WaitForMainWindow());
  EXPECT_EQ(GetDword("ShowErrorReport"), GetParam().expectedShowErrorReport);
  ASSERT_TRUE(WaitUntil([] { return GetDword("CrashFlag") == 0u; }));
  EXPECT_EQ(program.Close(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Choices, ReportOfferTest,
                         ::testing::Values(OfferCase{IDCANCEL, true, 0}, OfferCase{IDOK, true, 0},
                                           OfferCase{IDCANCEL, false, 1}, OfferCase{IDOK, false, 1}));

TEST_F(StartupTest, ErrorAndCrashFlagsGiveAWarningAndTwoOffers) {
  SetDword("CrashFlag", 1);
  SetDword("CriticalError", 1);
  SetDword("ShowErrorReport", 1);
  RunningProgram program;
  HWND warning = program.WaitForTopWindow("Skyframe", "#32770");
  ASSERT_TRUE(warning);
  PostMessageA(warning, WM_COMMAND, IDOK, 0);
  for (int offer = 0; offer < 2; ++offer) {
    HWND dialog = program.WaitForTopWindow("Abnormal shutdown");
    ASSERT_TRUE(dialog) << "offer " << offer;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  }
  ASSERT_TRUE(program.WaitForMainWindow());
  EXPECT_EQ(GetDword("CriticalError"), 0u);
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(StartupTest, NoOfferWhenReportsAreTurnedOff) {
  SetDword("CrashFlag", 1);
  SetDword("ShowErrorReport", 0);
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  EXPECT_FALSE(program.FindTopWindow("Abnormal shutdown"));
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace

namespace {

std::string BoxText(HWND box) {
  char text[512] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

}  // namespace

TEST_F(StartupTest, AnEmptySearchTextIsReportedAndTheSettingsOpenAtTheEnd) {
  RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "InternetString", REG_SZ, "", 1);
  RunningProgram program;
  ASSERT_TRUE(program.Started());
  const HWND box = program.WaitForTopWindow("ERROR", "#32770");
  ASSERT_TRUE(box);
  EXPECT_EQ(BoxText(box), "Could not initiate internet search because\nno search term or URL was specified.");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  // Start-up goes on, without the splash, and ends in the settings.
  ASSERT_TRUE(WaitUntil([] { return LogContains("Running Config at startup"); }, 30000));
  EXPECT_TRUE(LogContains("Fetchpix::StartSearch() failed. Reason: No search string."));
  EXPECT_TRUE(LogContains("Settings dialog requested"));
  // Start-up waits in the modal dialog until the user closes it.
  const HWND settings = program.WaitForTopWindow("Configure Skyframe", "#32770");
  ASSERT_TRUE(settings);
  EXPECT_FALSE(LogContains("Beginning event loop"));
  PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([] { return LogContains("Beginning event loop"); }, 30000));
  EXPECT_EQ(program.Close(), 0u);
}
