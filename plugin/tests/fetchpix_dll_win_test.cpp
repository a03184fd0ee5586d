// Drives the real Fetchpix.dll the way the program does: loaded with
// LoadLibrary, bound by export name through the shared header's pointer
// types, notifications received on a message-only window, against the HTTP
// stand-in on 127.0.0.1.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "plugin/archive/archive.h"
#include "plugin/archive/archive_file_win.h"
#include "plugin/include/fetchpix.h"
#include "support/tests/stand_in_server_win.h"
#include "plugin/tests/fault_report_win.h"
#include "plugin/tests/plugin_driver_win.h"
#include "support/tests/temp_dir.h"

namespace {

using namespace plugin_test;

using Api = FetchpixApi;
HMODULE g_dll = nullptr;
Api g_api{};
StandInServer* g_server = nullptr;

std::string ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s = path;
  return s.substr(0, s.find_last_of('\\') + 1);
}

class FetchpixDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InstallFaultReport();
    g_server = new StandInServer(NET_STAND_IN_SCRIPT, 280);
    LoadLibraryInto();
  }
  // Loads the library and binds every export; false when it did not load.
  static bool LoadLibraryInto() {
    g_dll = LoadLibraryA((ExeFolder() + "Fetchpix.dll").c_str());
    if (!g_dll) return false;
    BindFetchpix(g_dll, g_api);
    return true;
  }
  static void TearDownTestSuite() {
    delete g_server;
    g_server = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(g_dll, nullptr) << "Fetchpix.dll did not load";
    ASSERT_NE(g_server->port(), 0) << "the HTTP stand-in did not start";
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordNotification;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FetchpixTestSink";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    g_notes.clear();
    folder_ = dir_.path().string() + "\\";
  }
  void TearDown() override {
    if (loaded_) g_api.UnloadDll();
    if (window_) DestroyWindow(window_);
  }

  void Init() {
    ASSERT_NE(g_api.InitDll, nullptr);
    ASSERT_EQ(g_api.InitDll(1, FETCHPIX_INTERFACE_VERSION, folder_.c_str()), static_cast<uint32_t>(SUCCESS));
    loaded_ = true;
    ASSERT_EQ(g_api.SetSearchOption(FETCHPIX_OPTION_NOTIFY, reinterpret_cast<uintptr_t>(window_), kNotifyMessage),
              static_cast<uint32_t>(SUCCESS));
  }
  void Unload() {
    EXPECT_EQ(g_api.UnloadDll(), static_cast<uint32_t>(SUCCESS));
    loaded_ = false;
  }
  SearchHandle Start(const std::string& path) {
    SearchHandle h = nullptr;
    EXPECT_EQ(g_api.StartSearch(g_server->Url(path).c_str(), 0, &h), static_cast<uint32_t>(SUCCESS));
    return h;
  }
  // Waits until the control thread has carried out the stop.
  bool WaitGone(SearchHandle h, int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
      if (g_api.CheckSearch(h) == INVALIDHANDLE) return true;
      Pump(10);
    }
    return false;
  }
  std::string Fetch(SearchHandle h, uint32_t* code = nullptr) {
    ImageData* image = nullptr;
    const uint32_t c = g_api.FetchSearch(h, &image);
    if (code) *code = c;
    if (c != SUCCESS || !image) return "";
    std::string bytes(reinterpret_cast<const char*>(image->bytes), image->size);
    g_api.FreeImage(&image);
    return bytes;
  }
  // A single image whose download has its first block and then waits on a
  // server that sends nothing more.
  SearchHandle StartStalledDownload() {
    const int before = CountOf(g_server->Get("/requests"), "GET /stall");
    SearchHandle h = Start("/stall");
    g_api.QueueImage(h, 1);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (CountOf(g_server->Get("/requests"), "GET /stall") == before && Clock::now() < deadline) Pump(50);
    // The stand-in sends the block at once, then nothing.
    Pump(300);
    EXPECT_LT(Clock::now(), deadline) << "the download did not start";
    EXPECT_EQ(std::stoll("0" + g_server->Get("/sent?path=/stall")), 8192);
    return h;
  }
  std::string Log() { return ReadWholeFile(folder_ + "Log\\Fetchpix.log"); }

  TempDir dir_;
  std::string folder_;
  HWND window_ = nullptr;
  bool loaded_ = false;
};

int g_enumCalls = 0;
std::vector<std::pair<uint32_t, std::string>> g_engines;
int32_t FETCHPIX_CALL StopAtOnce(const EngineInfo*) {
  ++g_enumCalls;
  return STOPENUMERATION;
}
int32_t FETCHPIX_CALL Collect(const EngineInfo* e) {
  g_engines.emplace_back(e->id, e->name);
  return SUCCESS;
}

TEST_F(FetchpixDll, EveryExportIsFoundByItsBareName) {
  const char* names[] = {"InitDll",     "UnloadDll",  "SetSearchOption", "EnumerateSearch",
                         "StartSearch", "StopSearch", "CheckSearchMode", "CheckSearch",
                         "FetchSearch", "QueueImage", "FreeImage",       "ClearImageCache",
                         "ClearSpecificHistoryCache", "CondemnImage",    "IsCritical"};
  for (const char* n : names) EXPECT_NE(GetProcAddress(g_dll, n), nullptr) << n;
}

TEST_F(FetchpixDll, FixedStatusCodes) {
  EXPECT_EQ(g_api.InitDll(1, 0x20060718, folder_.c_str()), static_cast<uint32_t>(VERSIONMISMATCH));
  Init();
  SearchHandle h = reinterpret_cast<SearchHandle>(uintptr_t{1});
  EXPECT_EQ(g_api.StartSearch("", 0, &h), static_cast<uint32_t>(NOKEYWORDS));
  EXPECT_EQ(h, nullptr);
  h = reinterpret_cast<SearchHandle>(uintptr_t{1});
  EXPECT_EQ(g_api.StartSearch(nullptr, 0, &h), static_cast<uint32_t>(NOKEYWORDS));
  EXPECT_EQ(h, nullptr);
  for (int32_t mode : {0, 1, -1, 12345}) EXPECT_EQ(g_api.CheckSearchMode(mode), static_cast<uint32_t>(NOTSUPPORTED));
  EXPECT_EQ(g_api.SetSearchOption(10, 1, 1), 0u);
  EXPECT_EQ(g_api.SetSearchOption(5, 10, 0), static_cast<uint32_t>(SUCCESS));

  // A handle that was never given out, checked without being read.
  CurrentSearch* bogus = reinterpret_cast<CurrentSearch*>(uintptr_t{0x1000});
  uint8_t critical = 0x55;
  ImageData* image = nullptr;
  EXPECT_EQ(g_api.FetchSearch(bogus, nullptr), static_cast<uint32_t>(BADPARAMETER));
  EXPECT_EQ(g_api.FetchSearch(bogus, &image), static_cast<uint32_t>(INVALIDHANDLE));
  EXPECT_EQ(g_api.StopSearch(bogus), static_cast<uint32_t>(INVALIDHANDLE));
  EXPECT_EQ(g_api.CheckSearch(bogus), static_cast<uint32_t>(INVALIDHANDLE));
  EXPECT_EQ(g_api.QueueImage(bogus, 1), static_cast<uint32_t>(INVALIDHANDLE));
  EXPECT_EQ(g_api.CondemnImage(bogus), static_cast<uint32_t>(INVALIDHANDLE));
  EXPECT_EQ(g_api.IsCritical(bogus, &critical), static_cast<uint32_t>(INVALIDHANDLE));
  EXPECT_EQ(critical, 0x55);

  EXPECT_EQ(g_api.FreeImage(nullptr), static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(g_api.FreeImage(&image), static_cast<uint32_t>(SUCCESS));

  g_enumCalls = 0;
  EXPECT_EQ(g_api.EnumerateSearch(&StopAtOnce), static_cast<uint32_t>(STOPENUMERATION));
  EXPECT_EQ(g_enumCalls, 1);
  g_engines.clear();
  EXPECT_EQ(g_api.EnumerateSearch(&Collect), static_cast<uint32_t>(SUCCESS));
  ASSERT_FALSE(g_engines.empty());
  EXPECT_EQ(g_engines[0], (std::pair<uint32_t, std::string>{0, "User URL"}));

  EXPECT_EQ(g_api.ClearImageCache(), static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(g_api.ClearSpecificHistoryCache(nullptr), static_cast<uint32_t>(SUCCESS));
}

TEST_F(FetchpixDll, AStoppedHandleIsUnknownAndAnEngineItCannotServeIsReported) {
  Init();
  SearchHandle h = Start("/image.jpg");
  uint8_t critical = 0x55;
  EXPECT_EQ(g_api.IsCritical(h, &critical), static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(g_api.StopSearch(h), static_cast<uint32_t>(SUCCESS));
  ASSERT_TRUE(WaitGone(h, 10000));
  ImageData* image = nullptr;
  EXPECT_EQ(g_api.FetchSearch(h, &image), static_cast<uint32_t>(INVALIDHANDLE));
  EXPECT_EQ(g_api.StopSearch(h), static_cast<uint32_t>(INVALIDHANDLE));

  // Commands queued behind a stop (a second stop, a next) find their record
  // gone and do nothing; the plug-in goes on serving.
  SearchHandle twice = Start("/image.jpg");
  g_api.QueueImage(twice, 1);
  EXPECT_EQ(g_api.StopSearch(twice), static_cast<uint32_t>(SUCCESS));
  for (int i = 0; i < 3; ++i) {
    const uint32_t again = g_api.StopSearch(twice), next = g_api.QueueImage(twice, 1);
    EXPECT_TRUE(again == SUCCESS || again == INVALIDHANDLE) << again;
    EXPECT_TRUE(next == SUCCESS || next == INVALIDHANDLE) << next;
  }
  ASSERT_TRUE(WaitGone(twice, 10000));
  SearchHandle after = Start("/image.jpg");
  g_api.QueueImage(after, 1);
  EXPECT_EQ(WaitNote(after, 20000), static_cast<uint32_t>(SUCCESS));

  SearchHandle e = nullptr;
  ASSERT_EQ(g_api.StartSearch("sunset", 7, &e), static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(WaitNote(e, 10000), static_cast<uint32_t>(ENGINEUNAVAILABLE));
  critical = 0;
  EXPECT_EQ(g_api.IsCritical(e, &critical), static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(critical, 1);
  EXPECT_EQ(g_api.CheckSearch(e), static_cast<uint32_t>(ENGINEUNAVAILABLE));
  EXPECT_NE(Log().find("Unable to initialise search"), std::string::npos);
}

TEST_F(FetchpixDll, SingleImageEndToEnd) {
  Init();
  SearchHandle h = Start("/image.jpg");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(g_api.QueueImage(h, 1), static_cast<uint32_t>(SUCCESS));
  ASSERT_EQ(WaitNote(h, 20000), static_cast<uint32_t>(SUCCESS));
  ImageData* image = nullptr;
  ASSERT_EQ(g_api.FetchSearch(h, &image), static_cast<uint32_t>(SUCCESS));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->size, 20000u);
  EXPECT_EQ(image->width, 0u);
  EXPECT_EQ(image->height, 0u);
  EXPECT_EQ(image->reserved, 0u);
  EXPECT_STREQ(image->fileName, "image.jpg");
  bool same = image->size == 20000;
  for (uint32_t i = 0; same && i < image->size; ++i) same = image->bytes[i] == static_cast<uint8_t>((i * 7 + 3) % 256);
  EXPECT_TRUE(same) << "the bytes differ from what the server sent";
  EXPECT_EQ(g_api.FreeImage(&image), static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(g_api.CheckSearch(h), static_cast<uint32_t>(SUCCESS));
  const std::string requests = g_server->Get("/requests");
  const size_t head = requests.find("HEAD /image.jpg"), get = requests.find("GET /image.jpg");
  EXPECT_NE(head, std::string::npos) << requests;
  EXPECT_NE(get, std::string::npos) << requests;
  EXPECT_LT(head, get) << requests;
}

TEST_F(FetchpixDll, StartFailuresAreNotifiedAndRepostedAndAddressesWithBlanksAreEncoded) {
  Init();
  SearchHandle missing = Start("/missing file.jpg");
  EXPECT_EQ(WaitNote(missing, 15000), static_cast<uint32_t>(URLUNAVAILABLE));
  EXPECT_NE(g_server->Get("/requests").find("HEAD /missing%20file.jpg"), std::string::npos);
  EXPECT_EQ(g_api.QueueImage(missing, 1), static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(WaitNote(missing, 5000), static_cast<uint32_t>(URLUNAVAILABLE));
  uint8_t critical = 0;
  g_api.IsCritical(missing, &critical);
  EXPECT_EQ(critical, 1);

  const std::string before = g_server->Get("/connections");
  SearchHandle ftp = nullptr;
  const std::string ftpUrl = "ftp://127.0.0.1:" + std::to_string(g_server->port()) + "/a.jpg";
  ASSERT_EQ(g_api.StartSearch(ftpUrl.c_str(), 0, &ftp), static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(WaitNote(ftp, 15000), static_cast<uint32_t>(URLNOTHTTP));
  // Only the control request itself reached the server.
  EXPECT_EQ(std::stoi(g_server->Get("/connections")), std::stoi(before) + 1);

  // A history clear names the text as typed; the live search with it stops.
  EXPECT_EQ(g_api.ClearSpecificHistoryCache(g_server->Url("/missing file.jpg").c_str()),
            static_cast<uint32_t>(SUCCESS));
  EXPECT_TRUE(WaitGone(missing, 10000));
  EXPECT_NE(g_api.CheckSearch(ftp), static_cast<uint32_t>(INVALIDHANDLE));
}

TEST_F(FetchpixDll, AZeroWindowTurnsNotificationsOff) {
  Init();
  ASSERT_EQ(g_api.SetSearchOption(FETCHPIX_OPTION_NOTIFY, 0, kNotifyMessage), static_cast<uint32_t>(SUCCESS));
  SearchHandle h = Start("/missing.jpg");
  const auto end = Clock::now() + std::chrono::seconds(15);
  while (g_api.CheckSearch(h) != URLUNAVAILABLE && Clock::now() < end) Pump(20);
  EXPECT_EQ(g_api.CheckSearch(h), static_cast<uint32_t>(URLUNAVAILABLE));
  g_api.QueueImage(h, 1);
  EXPECT_EQ(WaitNote(h, 500), kNoNote);
}

TEST_F(FetchpixDll, BusyServerAndHtmlAtAnImageAddressKeepTheSearchAlive) {
  Init();
  struct Case {
    const char* path;
    uint32_t code;
  };
  for (const Case& c : {Case{"/head-image/busy", SERVERBUSY}, Case{"/head-image/html", CONTENTNOTUSABLE}}) {
    SearchHandle h = Start(c.path);
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(g_api.QueueImage(h, 1), static_cast<uint32_t>(SUCCESS));
      EXPECT_EQ(WaitNote(h, 20000), c.code) << c.path << " round " << round;
    }
    EXPECT_EQ(g_api.CheckSearch(h), static_cast<uint32_t>(SUCCESS)) << c.path;
    uint32_t code = 0;
    EXPECT_EQ(Fetch(h, &code), "");
    EXPECT_EQ(code, static_cast<uint32_t>(IMAGENOTREADY)) << c.path;
    uint8_t critical = 0x55;
    g_api.IsCritical(h, &critical);
    EXPECT_EQ(critical, 0x55) << c.path;  // a live search leaves the answer alone
  }
}

TEST_F(FetchpixDll, FiveKeptImagesThenNoPrevious) {
  Init();
  SearchHandle h = Start("/numbered.jpg");
  std::vector<int> seen;
  for (int i = 1; i <= 6; ++i) {
    g_api.QueueImage(h, 1);
    ASSERT_EQ(WaitNote(h, 20000), static_cast<uint32_t>(SUCCESS));
    EXPECT_EQ(Fetch(h), "image-" + std::to_string(i));
  }
  for (int i = 5; i >= 2; --i) {
    g_api.QueueImage(h, 0);
    ASSERT_EQ(WaitNote(h, 10000), static_cast<uint32_t>(SUCCESS));
    EXPECT_EQ(Fetch(h), "image-" + std::to_string(i));
  }
  g_api.QueueImage(h, 0);
  EXPECT_EQ(WaitNote(h, 10000), static_cast<uint32_t>(NOPREVIOUS));
  EXPECT_EQ(Fetch(h), "image-2");  // the first image was dropped; the view stays on the oldest kept
  g_api.QueueImage(h, 1);
  ASSERT_EQ(WaitNote(h, 10000), static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(Fetch(h), "image-3");  // walked forward without a download
  EXPECT_EQ(CountOf(g_server->Get("/requests"), "GET /numbered.jpg"), 6);
}

TEST_F(FetchpixDll, StopDuringALargeDownloadEndsWithinABlock) {
  Init();
  SearchHandle h = Start("/large");
  g_api.QueueImage(h, 1);
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (std::stoll("0" + g_server->Get("/sent?path=/large")) < 100000 && Clock::now() < deadline) Pump(50);
  ASSERT_LT(Clock::now(), deadline) << "the download did not start";
  // The download holds no lock that FetchSearch needs.
  uint32_t code = 0;
  const auto fetchStart = Clock::now();
  Fetch(h, &code);
  EXPECT_LT(Clock::now() - fetchStart, std::chrono::milliseconds(500));
  EXPECT_EQ(code, static_cast<uint32_t>(IMAGENOTREADY));
  EXPECT_NE(Log().find("SearchThread, CheckSearchStatus, GetStatus() == STATUS_ACTIVE"), std::string::npos);
  const auto stop = Clock::now();
  EXPECT_EQ(g_api.StopSearch(h), static_cast<uint32_t>(SUCCESS));
  ASSERT_TRUE(WaitGone(h, 10000));
  EXPECT_LT(Clock::now() - stop, std::chrono::seconds(2));
  Pump(300);
  const long long sent = std::stoll("0" + g_server->Get("/sent?path=/large"));
  Pump(500);
  // The server's writes fail once the client has gone: nothing more goes out.
  EXPECT_LE(std::stoll("0" + g_server->Get("/sent?path=/large")) - sent, 8192 * 2);
  EXPECT_EQ(WaitNote(h, 200), kNoNote);  // a stopped search says nothing more
}

TEST_F(FetchpixDll, SilentServerAndEndlessBodyNeverHangTheCaller) {
  Init();
  SearchHandle silent = Start("/silent");
  // The exports answer at once while the control thread waits on the server.
  const auto t0 = Clock::now();
  EXPECT_EQ(g_api.CheckSearch(silent), static_cast<uint32_t>(IMAGENOTQUEUE));
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500));
  EXPECT_EQ(WaitNote(silent, 70000), static_cast<uint32_t>(CONNECTIONREFUSED));

  SearchHandle endless = Start("/endless");
  g_api.QueueImage(endless, 1);
  const uint32_t code = WaitNote(endless, 90000);
  EXPECT_NE(code, kNoNote) << "no answer for an endless body";
  EXPECT_NE(code, static_cast<uint32_t>(SUCCESS));
}

// The stops that wait behind a blocked transfer: a probe on the control
// thread, a single image's download stalled after its first block. Each ends
// well within the receive time-out (15 s), which is all that ends the blocked
// call itself under Wine.
TEST_F(FetchpixDll, StopsDuringASilentTransferEndWithinSeconds) {
  enum class How { Stop, ClearHistory };
  const struct {
    const char* name;
    const char* path;
    bool download;
    How how;
  } cases[] = {
      {"StopSearch during the probe", "/silent", false, How::Stop},
      {"ClearSpecificHistoryCache during the probe", "/silent", false, How::ClearHistory},
      {"StopSearch during a stalled download", "/stall", true, How::Stop},
      {"ClearSpecificHistoryCache during a stalled download", "/stall", true, How::ClearHistory},
  };
  Init();
  for (const auto& c : cases) {
    SearchHandle h = nullptr;
    if (c.download) {
      h = StartStalledDownload();
    } else {
      h = Start(c.path);
      Pump(700);
    }
    const auto t0 = Clock::now();
    if (c.how == How::Stop) {
      EXPECT_EQ(g_api.StopSearch(h), static_cast<uint32_t>(SUCCESS)) << c.name;
    } else {
      EXPECT_EQ(g_api.ClearSpecificHistoryCache(g_server->Url(c.path).c_str()), static_cast<uint32_t>(SUCCESS))
          << c.name;
    }
    EXPECT_TRUE(WaitGone(h, 20000)) << c.name;
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("%s: the search was gone %.2f s after the call\n", c.name, seconds);
    EXPECT_LT(seconds, 5.0) << c.name;
    EXPECT_EQ(WaitNote(h, 200), kNoNote) << c.name << ": a stopped search says nothing more";
  }
  // The plug-in still serves.
  SearchHandle h = Start("/image.jpg");
  g_api.QueueImage(h, 1);
  EXPECT_EQ(WaitNote(h, 20000), static_cast<uint32_t>(SUCCESS));
}

// What the program does at exit: UnloadDll with a probe and a download both
// blocked on silent servers.
TEST_F(FetchpixDll, UnloadDuringASilentProbeAndDownloadEndsWithinSeconds) {
  Init();
  StartStalledDownload();
  Start("/silent");
  Pump(700);
  const auto t0 = Clock::now();
  Unload();
  const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  std::printf("UnloadDll returned after %.2f s\n", seconds);
  EXPECT_LT(seconds, 5.0);
}

// The calls left blocked by the unload above end at the receive time-out
// (15 s), after the program has freed the library: they must find its code
// still mapped. The library is then loaded again for the tests after this one.
TEST_F(FetchpixDll, FreeLibraryRightAfterAnUnloadThatLeftCallsBlocked) {
  Init();
  StartStalledDownload();
  Start("/silent");
  Pump(700);
  Unload();
  ASSERT_TRUE(FreeLibrary(g_dll));
  g_dll = nullptr;
  Pump(17000);
  ASSERT_TRUE(LoadLibraryInto());
  Init();
  SearchHandle h = Start("/image.jpg");
  g_api.QueueImage(h, 1);
  EXPECT_EQ(WaitNote(h, 20000), static_cast<uint32_t>(SUCCESS));
}

// Unloads that land on searches in every state: probing, downloading a
// flowing body, caching, idle. Each stop aborts a transfer on the control
// thread while the search's own thread leaves it and closes its session, and
// the loop repeats that race; every unload must end quickly and the plug-in
// load again.
TEST_F(FetchpixDll, RepeatedStartsAndUnloadsDuringTransfers) {
  const char* paths[] = {"/large", "/endless", "/image.jpg", "/numbered.jpg"};
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    Init();
    for (const char* path : paths) {
      SearchHandle h = Start(path);
      g_api.QueueImage(h, 1);
    }
    Pump(40 + round % 4 * 60);
    const auto t0 = Clock::now();
    Unload();
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(5));
  }
  Init();
  SearchHandle h = Start("/image.jpg");
  g_api.QueueImage(h, 1);
  EXPECT_EQ(WaitNote(h, 20000), static_cast<uint32_t>(SUCCESS));
}

TEST_F(FetchpixDll, UnloadStopsThreeLiveSearchesAndTheArchiveCountsRuns) {
  Init();
  for (int i = 0; i < 3; ++i) {
    SearchHandle h = Start("/image.jpg");
    g_api.QueueImage(h, 1);
    ASSERT_EQ(WaitNote(h, 20000), static_cast<uint32_t>(SUCCESS));
  }
  Unload();
  const std::string log = Log();
  EXPECT_EQ(CountOf(log, "Send Control Search Handle Quit Message"), 3) << log;
  EXPECT_EQ(CountOf(log, "Quit Control Message Received"), 1);
  EXPECT_NE(log.find("Send Control Quit - EndSession"), std::string::npos);

  for (uint32_t expected : {1u, 2u}) {
    if (expected == 2) {
      Init();
      Unload();
    }
    Archive archive(Win32ArchiveFileSystem());
    archive.Open(folder_ + "Cache\\", "Backup\\", "Settings.Fetchpix Data Archive");
    ArchiveNode* settings = archive.Find(nullptr, nullptr, kNodeSettings);
    ASSERT_NE(settings, nullptr);
    uint32_t runs = 0;
    ASSERT_TRUE(archive.FindU32(settings, kNodeRunCounter, runs));
    EXPECT_EQ(runs, expected);
  }
}

}  // namespace
