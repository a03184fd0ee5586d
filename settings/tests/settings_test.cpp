#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "settings/settings.h"

namespace {

// A registry key in memory that keeps raw bytes, as the real one does, and
// records the order of every read and write.
class MemoryStore : public RegistryStore {
 public:
  bool exists = true;
  int32_t createResult = 0;
  std::map<std::string, std::string> values;  // name -> raw bytes
  std::vector<std::string> reads, writes;

  int32_t OpenForRead() override { return exists ? 0 : 2; }
  int32_t CreateForWrite() override {
    if (createResult == 0) exists = true;
    return createResult;
  }
  int32_t Close() override { return 0; }
  bool QueryDword(const char* name, uint32_t& value) override {
    reads.push_back(name);
    auto it = values.find(name);
    if (it == values.end() || it->second.size() > 4) return false;
    uint8_t bytes[4] = {};
    std::memcpy(bytes, it->second.data(), std::min<size_t>(it->second.size(), sizeof bytes));
    value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return true;
  }
  bool QueryString(const char* name, std::string& value) override {
    reads.push_back(name);
    auto it = values.find(name);
    if (it == values.end() || it->second.size() >= 1024) return false;
    value = it->second.c_str();
    return true;
  }
  void SetDword(const char* name, uint32_t value) override {
    writes.push_back(name);
    values[name] = std::string({static_cast<char>(value), static_cast<char>(value >> 8),
                                static_cast<char>(value >> 16), static_cast<char>(value >> 24)});
  }
  void SetString(const char* name, const std::string& value) override {
    writes.push_back(name);
    values[name] = value;
  }
  uint32_t Dword(const std::string& name) {
    uint32_t v = 0;
    EXPECT_TRUE(QueryDword(name.c_str(), v)) << name;
    return v;
  }
};

std::string Le32(uint32_t v) {
  return std::string({static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                      static_cast<char>(v >> 24)});
}

// Installs a desktop-colour source for one test and takes it away again.
class ColourSource {
 public:
  explicit ColourSource(DesktopColorSource source) { SetDesktopColorSource(source); }
  ~ColourSource() { SetDesktopColorSource(nullptr); }
};

TEST(Settings, NewRecordTakesTheDesktopColourFromTheSource) {
  {
    ColourSource source([]() -> uint32_t { return 0x00A56E3A; });
    Settings s;
    EXPECT_EQ(s.DesktopColor, 0x00A56E3Au);
    // Copies keep the colour they were made with; Load still reads the system anew.
    Settings copy = s;
    EXPECT_EQ(copy.DesktopColor, 0x00A56E3Au);
    MemoryStore store;
    store.exists = false;
    s.LoadFrom(store, 0x00010203);
    EXPECT_EQ(s.DesktopColor, 0x00010203u);
  }
  // Each new record asks again: a colour changed in between is the one it gets.
  {
    static uint32_t current = 0x000000FF;
    ColourSource source([]() { return current; });
    EXPECT_EQ(Settings().DesktopColor, 0x000000FFu);
    current = 0x0000FF00;
    EXPECT_EQ(Settings().DesktopColor, 0x0000FF00u);
  }
  EXPECT_EQ(Settings().DesktopColor, 0u);
}

TEST(Settings, FirstRunKeepsEveryDefaultAndTakesTheSystemColour) {
  MemoryStore store;
  store.exists = false;
  Settings s;
  EXPECT_EQ(s.LoadFrom(store, 0x00112233), 2);
  EXPECT_TRUE(store.reads.empty());
  EXPECT_EQ(s.DesktopColor, 0x00112233u);
  EXPECT_EQ(s.ChangeWhen, 5);
  EXPECT_TRUE(s.ChangeAtTime);
  EXPECT_EQ(s.PaperOrient, 10);
  EXPECT_EQ(s.InternetString, "Landscape wallpaper");
  const std::pair<uint32_t, uint32_t> hotKeys[] = {{s.NextModKey, s.NextKey}, {s.PrevModKey, s.PrevKey},
                                                    {s.PauseModKey, s.PauseKey}, {s.SaveModKey, s.SaveKey},
                                                    {s.BossModKey, s.BossKey}};
  const std::pair<uint32_t, uint32_t> expected[] = {{2, 0x22}, {2, 0x21}, {4, 0x13}, {4, 0x2C}, {4, 0x91}};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(hotKeys[i], expected[i]) << "hot key " << i + 1;
  EXPECT_EQ(s.ShuffleImagelist, 1);
  EXPECT_EQ(s.DebugLog, 1);
  EXPECT_FALSE(s.ChangeAtStartup);
  EXPECT_EQ(s.MinImageWidth, 640u);
  EXPECT_EQ(s.MinImageHeight, 480u);
  EXPECT_EQ(s.MinPixels, 300000u);
  EXPECT_EQ(s.FilterType, 2);
  EXPECT_EQ(s.HistorySize, 10);
  EXPECT_EQ(s.NumResultsToCache, 1000);
  EXPECT_EQ(s.CacheSize, 50000000);
  EXPECT_TRUE(s.GetImageFromInternet);
  EXPECT_EQ(s.EngineIndex, 1);
  EXPECT_EQ(s.ChangeTimeNames[0], "every 15 Seconds");
  EXPECT_EQ(s.ChangeTimeNames[5], "on the quarter hour (every 15 min)");
  EXPECT_EQ(s.ChangeTimeNames[16], "on Saturdays");
}

TEST(Settings, LoadAndSaveFollowTheirFixedOrders) {
  MemoryStore store;
  Settings s;
  s.LoadFrom(store, 0);
  const std::vector<std::string> loadOrder = {
      "DebugLog", "Crossfade", "ShowThumbnails", "ShuffleImagelist", "ChangeWhen", "ChangeAtStartup",
      "ChangeAtTime", "LastSeed", "IndexOfLastImage", "LastRegularChange", "RunAtStartup",
      "PaperOrient", "ShowSplashScreen", "CrashFlag", "CriticalError", "ShowErrorReport",
      "NextModKey", "NextKey", "PrevModKey", "PrevKey", "PauseModKey", "PauseKey", "SaveModKey",
      "SaveKey", "BossModKey", "BossKey", "UseFixedURL", "EngineIndex", "DefaultEngine",
      "GetImageFromInternet", "MinImageWidth", "MinImageHeight", "MaxImageWidth", "MaxImageHeight",
      "MaxFileSize", "MinFileSize", "MinPixels", "FilterResults", "FilterType", "AskWhereToSave",
      "BlockExplicit", "GroupResults", "HistorySize", "CacheSize", "NumResultsToCache",
      "ShowStatusPopup", "StatusPopupPos", "InternetString", "WallpaperSavePath", "LastSavePath",
      "BackendServer"};
  EXPECT_EQ(store.reads, loadOrder);

  ASSERT_EQ(s.SaveTo(store), 0);
  const std::vector<std::string> saveOrder = {
      "DebugLog", "ShuffleImagelist", "Crossfade", "ChangeWhen", "ChangeAtStartup", "ChangeAtTime",
      "PaperOrient", "LastSeed", "IndexOfLastImage", "LastRegularChange", "RunAtStartup",
      "ShowSplashScreen", "ShowErrorReport", "NextModKey", "NextKey", "PrevModKey", "PrevKey",
      "PauseModKey", "PauseKey", "SaveModKey", "SaveKey", "BossModKey", "BossKey", "UseFixedURL",
      "EngineIndex", "DefaultEngine", "GetImageFromInternet", "MinImageWidth", "MinImageHeight",
      "MaxImageWidth", "MaxImageHeight", "MinFileSize", "MaxFileSize", "MinPixels", "FilterResults",
      "FilterType", "AskWhereToSave", "BlockExplicit", "GroupResults", "HistorySize", "CacheSize",
      "NumResultsToCache", "ShowStatusPopup", "StatusPopupPos", "InternetString"};
  EXPECT_EQ(store.writes, saveOrder);  // never ShowThumbnails, the flags, the two paths or the server
}

TEST(Settings, BackendServerIsReadOnlyWhenUsable) {
  struct Case {
    std::string stored;
    const char* expected;
  };
  const Case cases[] = {
      {"127.0.0.1:8123", "127.0.0.1:8123"},
      {"backend.example", "backend.example"},
      {"", kDefaultBackendServer},
      {"127.0.0.1:0", kDefaultBackendServer},
      {"127.0.0.1:70000", kDefaultBackendServer},
      {"\\\\server\\share", kDefaultBackendServer},
      {"host name", kDefaultBackendServer},
      {std::string("127.0.0.1:80\0junk", 17), "127.0.0.1:80"},
  };
  for (const Case& c : cases) {
    MemoryStore store;
    store.values["BackendServer"] = c.stored;
    Settings s;
    s.LoadFrom(store, 0);
    EXPECT_EQ(s.BackendServer, c.expected) << c.stored;
  }
  EXPECT_EQ(Settings().BackendServer, kDefaultBackendServer);
}

TEST(Settings, StoredValuesAreReadByTheirRules) {
  MemoryStore store;
  store.values["ChangeAtStartup"] = Le32(7);
  store.values["ChangeAtTime"] = Le32(0);
  store.values["ChangeWhen"] = std::string("\x09", 1);        // short data: its bytes over zeros
  store.values["PaperOrient"] = std::string(8, '\x01');        // longer than four bytes: default stays
  store.values["LastRegularChange"] = Le32(0xF0000000u);
  store.values["InternetString"] = std::string(1024, 'x');   // does not fit: default stays
  store.values["WallpaperSavePath"] = "C:\\Pics";
  store.values["LastSavePath"] = std::string("C:\\a.bmp\0junk", 13);
  Settings s;
  s.LoadFrom(store, 0);
  EXPECT_TRUE(s.ChangeAtStartup);
  EXPECT_FALSE(s.ChangeAtTime);
  EXPECT_EQ(s.ChangeWhen, 9);
  EXPECT_EQ(s.PaperOrient, 10);
  EXPECT_EQ(s.LastRegularChange, 0xF0000000LL);  // high half 0, never sign-extended
  EXPECT_EQ(s.InternetString, "Landscape wallpaper");
  EXPECT_EQ(s.WallpaperSavePath, "C:\\Pics");
  EXPECT_EQ(s.LastSavePath, "C:\\a.bmp");

  s.SaveTo(store);
  EXPECT_EQ(store.Dword("ChangeAtStartup"), 1u);
}

TEST(Settings, TimesBeyond2038AreStoredAsTheirLowHalf) {
  MemoryStore store;
  Settings s;
  s.LastRegularChange = 0x1'2345'6789LL;
  s.SaveTo(store);
  EXPECT_EQ(store.Dword("LastRegularChange"), 0x23456789u);
  Settings back;
  back.LoadFrom(store, 0);
  EXPECT_EQ(back.LastRegularChange, 0x23456789LL);
}

TEST(Settings, SaveWritesNothingWhenTheKeyCannotBeCreated) {
  MemoryStore store;
  store.createResult = 5;
  Settings s;
  EXPECT_EQ(s.SaveTo(store), 5);
  EXPECT_TRUE(store.writes.empty());
}

TEST(Settings, AssigningUserOptionsKeepsRunValues) {
  Settings live;
  live.CrashFlag = 1;
  live.CriticalError = 2;
  live.LastSeed = 77;
  live.IndexOfLastImage = 12;
  live.LastRegularChange = 1000;
  live.appStartTime = 2000;
  live.ChangeTimeNames[3] = "kept";

  Settings copy;
  copy.ChangeWhen = 9;
  copy.InternetString = "mountains";
  copy.WallpaperSavePath = "D:\\";
  copy.LastSavePath = "D:\\x.bmp";
  copy.BossKey = 0x7B;
  copy.DesktopColor = 0xABCDEF;
  copy.ShowThumbnails = 0;
  copy.GroupResults = true;
  copy.MaxFileSize = 9;
  copy.CrashFlag = 0;
  copy.LastSeed = 1;
  copy.IndexOfLastImage = 1;
  copy.LastRegularChange = 1;
  copy.appStartTime = 1;
  live.AssignUserOptions(copy);

  EXPECT_EQ(live.ChangeWhen, 9);
  EXPECT_EQ(live.InternetString, "mountains");
  EXPECT_EQ(live.WallpaperSavePath, "D:\\");
  EXPECT_EQ(live.LastSavePath, "D:\\x.bmp");
  EXPECT_EQ(live.BossKey, 0x7Bu);
  EXPECT_EQ(live.DesktopColor, 0xABCDEFu);
  EXPECT_EQ(live.ShowThumbnails, 0);
  EXPECT_TRUE(live.GroupResults);
  EXPECT_EQ(live.MaxFileSize, 9u);
  EXPECT_EQ(live.CrashFlag, 1);
  EXPECT_EQ(live.CriticalError, 2);
  EXPECT_EQ(live.LastSeed, 77);
  EXPECT_EQ(live.IndexOfLastImage, 12);
  EXPECT_EQ(live.LastRegularChange, 1000);
  EXPECT_EQ(live.appStartTime, 2000);
  EXPECT_EQ(live.ChangeTimeNames[3], "kept");
}

}  // namespace
