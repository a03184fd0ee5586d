// Keyword engines, galleries and the image cache end to end: the real
// Fetchpix.dll against engine_stand_in.py, which WinInet reaches as its proxy
// (the prefix's proxy settings), so the stand-in answers as every engine's
// host, the image hosts and a gallery site.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/archive/archive.h"
#include "plugin/archive/archive_file_win.h"
#include "plugin/engines/engine_rows.h"
#include "plugin/include/fetchpix.h"
#include "support/tests/stand_in_server_win.h"
#include "plugin/tests/fault_report_win.h"
#include "plugin/tests/plugin_driver_win.h"
#include "plugin/tests/stand_in_colours.h"
#include "support/tests/temp_dir.h"
#include "support/win/unique_handle_win.h"

namespace {

using namespace plugin_test;

using Api = FetchpixApi;
HMODULE g_dll = nullptr;
Api g_api{};
StandInServer* g_server = nullptr;

struct EngineCase {
  uint32_t id;
  const char* host;
  const char* firstPath;  // options 6 and 7 off
  const char* secondPath;
};
const EngineCase kEngines[] = {
    {1, "images.google.com", "/images?q=red%20car&start=0&filter=0&safe=off",
     "/images?q=red%20car&start=5&filter=0&safe=off"},
    {2, "images.ask.com", "/pictures?q=red%20car&qsrc=2072&tool=img&page=1",
     "/pictures?q=red%20car&qsrc=2072&tool=img&page=2"},
    {3, "images.search.yahoo.com", "/search/images?p=red%20car&toggle=1&ei=UTF-8&fr=FP-tab-img-t&b=1",
     "/search/images?p=red%20car&toggle=1&ei=UTF-8&fr=FP-tab-img-t&b=6"},
    {5, "search.lycos.com", "/?tab=multi&query=red%20car&offset=0", "/?tab=multi&query=red%20car&offset=5"},
};

class FetchpixEngines : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InstallFaultReport();
    g_server = new StandInServer(ENGINE_STAND_IN_SCRIPT, 550);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    folder = folder.substr(0, folder.find_last_of('\\') + 1);
    g_dll = LoadLibraryA((folder + "Fetchpix.dll").c_str());
    if (!g_dll) return;
    BindFetchpix(g_dll, g_api);
  }
  static void TearDownTestSuite() {
    SetWinInetProxy("");
    delete g_server;
    g_server = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(g_dll, nullptr) << "Fetchpix.dll did not load";
    ASSERT_NE(g_server->port(), 0) << "the engine stand-in did not start";
    SetWinInetProxy("127.0.0.1:" + std::to_string(g_server->port()));
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordNotification;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FetchpixEngineSink";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    g_notes.clear();
    folder_ = dir_.path().string() + "\\";
    Setup("");
  }
  void TearDown() override {
    if (loaded_) g_api.UnloadDll();
    if (window_) DestroyWindow(window_);
  }

  // Keeps the picture values too: Fetch compares every file byte for byte.
  void Setup(const std::string& query) {
    ASSERT_EQ(g_server->Get("/setup?" + query), "ok");
    values_ = {{"px_w", 32}, {"px_h", 24}, {"size", 1000}};
    std::istringstream pairs(query);
    for (std::string pair; std::getline(pairs, pair, '&');) {
      const size_t eq = pair.find('=');
      if (eq != std::string::npos) values_[pair.substr(0, eq)] = std::stoul(pair.substr(eq + 1));
    }
  }
  void Set(const std::string& query) { ASSERT_EQ(g_server->Get("/set?" + query), "ok"); }
  std::string Requests() { return g_server->Get("/requests"); }
  int Gets(const std::string& hostAndPath) { return CountOf(Requests(), "GET " + hostAndPath + "\n"); }

  void Init() {
    ASSERT_EQ(g_api.InitDll(1, FETCHPIX_INTERFACE_VERSION, folder_.c_str()), static_cast<uint32_t>(SUCCESS));
    loaded_ = true;
    g_api.SetSearchOption(FETCHPIX_OPTION_NOTIFY, reinterpret_cast<uintptr_t>(window_), kNotifyMessage);
    g_api.SetSearchOption(FETCHPIX_OPTION_GROUP, 0, 0);
    g_api.SetSearchOption(FETCHPIX_OPTION_BLOCK_EXPLICIT, 0, 0);
  }
  void Unload() {
    g_api.UnloadDll();
    loaded_ = false;
  }
  SearchHandle Start(const char* text, uint32_t engine) {
    SearchHandle h = nullptr;
    EXPECT_EQ(g_api.StartSearch(text, static_cast<uint8_t>(engine), &h), static_cast<uint32_t>(SUCCESS));
    return h;
  }
  // Which picture the search has now, told by its colour ("image-3",
  // "gallery-big1.jpg"); a file that is not exactly the stand-in's picture of
  // that colour says so instead.
  std::string Fetch(SearchHandle h, std::string* fileName = nullptr) {
    ImageData* image = nullptr;
    if (g_api.FetchSearch(h, &image) != SUCCESS || !image) return "";
    const std::string bytes(reinterpret_cast<const char*>(image->bytes), image->size);
    if (fileName) *fileName = image->fileName ? image->fileName : "(null)";
    g_api.FreeImage(&image);
    return Label(bytes);
  }
  std::string Label(const std::string& bytes) {
    if (bytes.size() < 57 || bytes.compare(0, 2, "BM") != 0)
      return "not a picture (" + std::to_string(bytes.size()) + " bytes)";
    const int n = stand_in::NumberOf({static_cast<uint8_t>(bytes[56]), static_cast<uint8_t>(bytes[55]),
                                      static_cast<uint8_t>(bytes[54])});
    if (n < 0) return "a colour the stand-in never serves";
    const std::string name = n == static_cast<int>(stand_in::kGalleryBig1)    ? "gallery-big1.jpg"
                             : n == static_cast<int>(stand_in::kGalleryLone)   ? "gallery-lone.jpg"
                             : n == static_cast<int>(stand_in::kGalleryThumb1) ? "gallery-thumb1.jpg"
                                                                                : "image-" + std::to_string(n);
    if (bytes != stand_in::PictureOf(n, values_["px_w"], values_["px_h"], values_["size"]))
      return name + " with other bytes (" + std::to_string(bytes.size()) + ")";
    return name;
  }
  // One request: its notifications up to the first that is not 0x105, and the image.
  std::string Step(SearchHandle h, bool next, uint32_t* ended = nullptr) {
    g_api.QueueImage(h, next ? 1 : 0);
    uint32_t code = WaitNote(h, 30000);
    if (code == ENDOFRESULTS) {
      if (ended) *ended = code;
      code = WaitNote(h, 30000);
    }
    if (code != SUCCESS) return "code " + std::to_string(code);
    return Fetch(h);
  }

  TempDir dir_;
  std::string folder_;
  HWND window_ = nullptr;
  bool loaded_ = false;
  std::map<std::string, uint32_t> values_;
};

TEST_F(FetchpixEngines, EveryEngineAsksItsPagesStepsBackFromMemoryAndWrapsToTheFirstPage) {
  for (const EngineCase& e : kEngines) {
    SCOPED_TRACE(e.host);
    Setup("count=8&per_page=5");
    Init();
    SearchHandle h = Start("red car", e.id);
    EXPECT_EQ(Step(h, true), "image-1");
    const std::string first = Requests();
    EXPECT_EQ(first.substr(0, first.find('\n')), std::string("GET ") + e.host + " " + e.firstPath);
    for (int i = 2; i <= 6; ++i) EXPECT_EQ(Step(h, true), "image-" + std::to_string(i));
    EXPECT_EQ(Gets(std::string(e.host) + " " + e.secondPath), 1) << Requests();
    // Back from the cache: no image is asked for again.
    EXPECT_EQ(Step(h, false), "image-5");
    EXPECT_EQ(Step(h, false), "image-4");
    EXPECT_EQ(Gets("pics.example /r5.jpg"), 1);
    EXPECT_EQ(Gets("pics.example /r4.jpg"), 1);
    for (int i = 5; i <= 8; ++i) EXPECT_EQ(Step(h, true), "image-" + std::to_string(i));
    uint32_t ended = 0;
    EXPECT_EQ(Step(h, true, &ended), "image-1");
    EXPECT_EQ(ended, static_cast<uint32_t>(ENDOFRESULTS));
    EXPECT_EQ(Gets(std::string(e.host) + " " + e.firstPath), 2) << Requests();
    EXPECT_EQ(Step(h, true), "image-2");
    Unload();
  }
}

// Images stepped over stay in memory, so stepping back asks for nothing, but
// only while the disk cache holds them: once the cache is cleared, going back
// asks for the image again.
TEST_F(FetchpixEngines, ImagesKeptInMemoryGoWithAClearedCache) {
  Setup("count=8&per_page=10");
  Init();
  SearchHandle h = Start("red car", kEngines[0].id);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(Step(h, true), "image-" + std::to_string(i));
  EXPECT_EQ(Step(h, false), "image-3");
  EXPECT_EQ(Step(h, false), "image-2");
  EXPECT_EQ(Step(h, true), "image-3");
  EXPECT_EQ(Gets("pics.example /r2.jpg"), 1);
  EXPECT_EQ(Gets("pics.example /r3.jpg"), 1);
  g_api.ClearImageCache();
  EXPECT_EQ(Step(h, false), "image-2");
  EXPECT_EQ(Gets("pics.example /r2.jpg"), 2) << Requests();
  Unload();
}

TEST_F(FetchpixEngines, SizeFilterSkipsNarrowTriesUnknownAndACondemnedImageIsNeverAskedForAgain) {
  for (const EngineCase& e : kEngines) {
    if (e.id == 2) continue;  // its links carry no size
    SCOPED_TRACE(e.host);
    // A folder of its own: the condemned list is kept for every search.
    folder_ = dir_.path().string() + "\\engine" + std::to_string(e.id) + "\\";
    std::filesystem::create_directories(folder_);
    Setup("count=4&per_page=5&narrow=1&zero=2");
    Init();
    g_api.SetSearchOption(FETCHPIX_OPTION_MIN_SIZE, 800, 0);
    SearchHandle h = Start("red car", e.id);
    EXPECT_EQ(Step(h, true), "image-2");
    EXPECT_EQ(g_api.CondemnImage(h), static_cast<uint32_t>(SUCCESS));
    EXPECT_EQ(Step(h, true), "image-3");
    EXPECT_EQ(Step(h, true), "image-4");
    EXPECT_EQ(Step(h, true), "image-3");  // round again: 1 too narrow, 2 condemned
    Unload();
    // Also in the next run.
    Init();
    g_api.SetSearchOption(FETCHPIX_OPTION_MIN_SIZE, 800, 0);
    h = Start("red car", e.id);
    EXPECT_EQ(Step(h, true), "image-4");
    EXPECT_EQ(Step(h, true), "image-3");
    EXPECT_EQ(Gets("pics.example /r1.jpg"), 0);
    EXPECT_EQ(Gets("pics.example /r2.jpg"), 1);
    Unload();
  }
}

TEST_F(FetchpixEngines, ARestartShowsTheCachedImageWithoutARequest) {
  Setup("count=8&per_page=5");
  Init();
  SearchHandle h = Start("blue sky", 1);
  EXPECT_EQ(Step(h, true), "image-1");
  EXPECT_EQ(Step(h, true), "image-2");
  Unload();
  Setup("count=8&per_page=5");
  Init();
  h = Start("blue sky", 1);
  // On view at once, from the disk cache.
  const auto end = Clock::now() + std::chrono::seconds(10);
  while (g_api.CheckSearch(h) != SUCCESS && Clock::now() < end) WaitNote(h, 50);
  EXPECT_EQ(Fetch(h), "image-2");
  EXPECT_EQ(Step(h, false), "image-1");
  EXPECT_EQ(Gets("pics.example /r1.jpg"), 0);
  EXPECT_EQ(Gets("pics.example /r2.jpg"), 0);
}

TEST_F(FetchpixEngines, TheCacheBudgetIsTrimmedOldestFirstAndTheTotalIsTheSumOfTheFiles) {
  Setup("count=12&per_page=6&size=1000&px_w=4&px_h=4");
  Init();
  g_api.SetSearchOption(FETCHPIX_OPTION_CACHE_BUDGET, 3500, 0);
  SearchHandle h = Start("green", 5);
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(Step(h, true), "image-" + std::to_string(i));
  Unload();
  uint64_t sum = 0;
  std::vector<std::string> names;
  for (const auto& f : std::filesystem::directory_iterator(folder_ + "Cache"))
    if (f.path().filename().string().find(".Fetchpix Cache") != std::string::npos) {
      sum += f.file_size();
      names.push_back(f.path().filename().string());
    }
  Archive archive(Win32ArchiveFileSystem());
  archive.Open(folder_ + "Cache\\", "Backup\\", "Settings.Fetchpix Data Archive");
  uint32_t total = 0;
  ASSERT_TRUE(archive.FindU32(archive.Find(nullptr, nullptr, kNodeSettings), kNodeCachedBytes, total));
  EXPECT_EQ(total, sum);
  EXPECT_LE(sum, 3500u);
  EXPECT_FALSE(std::filesystem::exists(folder_ + "Cache\\i1.Fetchpix Cache"));  // the oldest went first
  EXPECT_FALSE(names.empty());
}

// The cached bytes by the files on disk and by node 514 after the archive is closed.
std::pair<uint64_t, uint32_t> CachedBytes(const std::string& folder) {
  uint64_t sum = 0;
  for (const auto& f : std::filesystem::directory_iterator(folder + "Cache"))
    if (f.path().filename().string().find(".Fetchpix Cache") != std::string::npos) sum += f.file_size();
  Archive archive(Win32ArchiveFileSystem());
  archive.Open(folder + "Cache\\", "Backup\\", "Settings.Fetchpix Data Archive");
  uint32_t total = 0xFFFFFFFFu;
  archive.FindU32(archive.Find(nullptr, nullptr, kNodeSettings), kNodeCachedBytes, total);
  return {sum, total};
}

TEST_F(FetchpixEngines, ClearingTheCacheAndASearchsHistoryDeletesTheFilesAndLowersTheTotal) {
  Setup("count=4&per_page=5&size=1000&px_w=4&px_h=4");
  Init();
  SearchHandle cats = Start("cats", 1);
  EXPECT_EQ(Step(cats, true), "image-1");
  SearchHandle dogs = Start("dogs", 5);
  EXPECT_EQ(Step(dogs, true), "image-1");
  g_api.StopSearch(cats);
  // The history of one search: its files go, the other's stay.
  g_api.ClearSpecificHistoryCache("dogs");
  Unload();
  std::pair<uint64_t, uint32_t> bytes = CachedBytes(folder_);
  EXPECT_EQ(bytes.first, bytes.second);
  EXPECT_GE(bytes.first, 1000u);
  Init();
  g_api.ClearImageCache();
  Unload();
  bytes = CachedBytes(folder_);
  EXPECT_EQ(bytes.first, 0u);
  EXPECT_EQ(bytes.second, 0u);
}

TEST_F(FetchpixEngines, AGalleryGivesTheLinkedImageThenTheLoneOneAndWrapsWithoutFetching) {
  Init();
  SearchHandle h = Start("http://gallery.example/g.html", 0);
  EXPECT_EQ(Step(h, true), "gallery-big1.jpg");
  EXPECT_EQ(Step(h, true), "gallery-lone.jpg");
  uint32_t ended = 0;
  EXPECT_EQ(Step(h, true, &ended), "gallery-big1.jpg");
  EXPECT_EQ(ended, static_cast<uint32_t>(ENDOFRESULTS));
  EXPECT_EQ(Gets("gallery.example /g.html"), 1) << Requests();
  EXPECT_EQ(Gets("gallery.example /big1.jpg"), 1) << Requests();
  EXPECT_EQ(Gets("gallery.example /thumb1.jpg"), 0) << Requests();
}

TEST_F(FetchpixEngines, HtmlForEveryImageEndsInNoResultsAfterBoundedRequests) {
  for (const EngineCase& e : kEngines) {
    SCOPED_TRACE(e.host);
    Setup("count=8&per_page=5&html=1");
    Init();
    SearchHandle h = Start("red car", e.id);
    g_api.QueueImage(h, 1);
    EXPECT_EQ(WaitNote(h, 60000), static_cast<uint32_t>(NORESULTS));
    EXPECT_EQ(WaitNote(h, 1000), kNoNote);
    EXPECT_LE(CountOf(Requests(), "\n"), 20) << Requests();
    // A later previous is not taken for a next.
    g_api.QueueImage(h, 0);
    EXPECT_EQ(WaitNote(h, 10000), static_cast<uint32_t>(NOPREVIOUS));
    Unload();
  }
}

TEST_F(FetchpixEngines, AnUnreachableEngineIsReportedUnavailable) {
  for (const char* proxy : {"no-such-host.invalid:3128", "127.0.0.1:1"}) {
    SCOPED_TRACE(proxy);
    SetWinInetProxy(proxy);
    Init();
    SearchHandle h = Start("red car", 1);
    g_api.QueueImage(h, 1);
    EXPECT_EQ(WaitNote(h, 60000), static_cast<uint32_t>(ENGINEUNAVAILABLE));
    Unload();
  }
}

}  // namespace

// An image address with a query of its own survives every engine's link
// coding: it is asked for as it stands and named by its last path part.
TEST_F(FetchpixEngines, AnImageAddressWithAQueryComesBackWhole) {
  for (const EngineCase& e : kEngines) {
    SCOPED_TRACE(e.host);
    Setup("count=2&per_page=5&names=1");
    Init();
    SearchHandle h = Start("sea", e.id);
    for (int i = 1; i <= 2; ++i) {
      const std::string name = "th?id=OHR.Sea" + std::to_string(i) + ".jpg&rf=1";
      g_api.QueueImage(h, 1);
      ASSERT_EQ(WaitNote(h, 30000), static_cast<uint32_t>(SUCCESS));
      std::string fileName;
      EXPECT_EQ(Fetch(h, &fileName), "image-" + std::to_string(i));
      EXPECT_EQ(fileName, name);
      EXPECT_EQ(Gets("pics.example /" + name), 1) << Requests();
    }
    Unload();
  }
}

// An engine host that resets every connection is unavailable and the search
// ends; once the host answers again, a search started anew gets its images.
TEST_F(FetchpixEngines, AnEngineThatResetsTheConnectionIsUnavailableUntilItAnswers) {
  for (const EngineCase& e : kEngines) {
    SCOPED_TRACE(e.host);
    Setup("count=3&per_page=5&engine_down=1");
    Init();
    SearchHandle h = Start("red car", e.id);
    g_api.QueueImage(h, 1);
    EXPECT_EQ(WaitNote(h, 60000), static_cast<uint32_t>(ENGINEUNAVAILABLE)) << Requests();
    // The search may try the page once more while the request waits: it
    // says the same again, and nothing else.
    for (uint32_t again; (again = WaitNote(h, 2000)) != kNoNote;)
      EXPECT_EQ(again, static_cast<uint32_t>(ENGINEUNAVAILABLE));
    EXPECT_EQ(Gets("pics.example /r1.jpg"), 0);
    const int tried = Gets(std::string(e.host) + " " + e.firstPath);
    EXPECT_GE(tried, 1) << Requests();
    Set("engine_down=0");
    g_api.StopSearch(h);
    h = Start("red car", e.id);
    EXPECT_EQ(Step(h, true), "image-1");
    // The requests so far outlive the change, and the page is asked for anew.
    EXPECT_GT(Gets(std::string(e.host) + " " + e.firstPath), tried) << Requests();
    Unload();
  }
}

// A host that takes the request and never answers: no image arrives, the
// engine page was still served, and unloading does not hang on the download.
// Wine lets a blocked receive go only at its time-out (15 s), whatever closes
// the handle, so the bound is that and a margin.
TEST_F(FetchpixEngines, ASilentImageHostHoldsTheDownloadAndUnloadingEndsIt) {
  Setup("count=3&per_page=5&silent=1");
  Init();
  SearchHandle h = Start("red car", 1);
  g_api.QueueImage(h, 1);
  EXPECT_EQ(WaitNote(h, 3000), kNoNote);
  EXPECT_EQ(Gets(std::string(kEngines[0].host) + " " + kEngines[0].firstPath), 1) << Requests();
  EXPECT_EQ(Gets("pics.example /r1.jpg"), 1) << Requests();
  const auto start = Clock::now();
  Unload();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(25));
}
