#include "settings/settings.h"

#include <atomic>
#include <type_traits>

#include "support/http/http_reply.h"

namespace {

const std::array<std::string, kChangeTimeCount> kChangeTimeNames = {
    "every 15 Seconds",
    "every 30 Seconds",
    "every minute",
    "every 5 minutes",
    "every 10 minutes",
    "on the quarter hour (every 15 min)",
    "on the half hour (every 30 min)",
    "on the hour",
    "at Noon",
    "at Midnight",
    "on Sundays",
    "on Mondays",
    "on Tuesdays",
    "on Wednesdays",
    "on Thursdays",
    "on Fridays",
    "on Saturdays",
};

template <typename Field>
void ReadDword(RegistryStore& store, const char* name, Field& field) {
  uint32_t raw = 0;
  if (!store.QueryDword(name, raw)) return;
  if constexpr (std::is_same_v<Field, bool>) {
    field = raw != 0;
  } else {
    field = static_cast<Field>(raw);
  }
}

template <typename Field>
void WriteDword(RegistryStore& store, const char* name, Field field) {
  if constexpr (std::is_same_v<Field, bool>) {
    store.SetDword(name, field ? 1u : 0u);
  } else {
    store.SetDword(name, static_cast<uint32_t>(field));
  }
}

// A stored address the HTTP client could not use keeps the default.
bool IsBackendAddress(const std::string& text) {
  http::ServerAddress ignored;
  return http::ParseServerAddress(text, ignored);
}

// Constant-initialised, so it is usable however the static initialisers are ordered.
std::atomic<DesktopColorSource> g_desktopColorSource{nullptr};

}  // namespace

void SetDesktopColorSource(DesktopColorSource source) { g_desktopColorSource.store(source); }

Settings::Settings() : ChangeTimeNames(kChangeTimeNames) {
  if (const DesktopColorSource source = g_desktopColorSource.load()) DesktopColor = source();
}

int32_t Settings::LoadFrom(RegistryStore& store, uint32_t systemDesktopColor) {
  const int32_t opened = store.OpenForRead();
  if (opened == 0) {
    ReadDword(store, "DebugLog", DebugLog);
    ReadDword(store, "Crossfade", Crossfade);
    ReadDword(store, "ShowThumbnails", ShowThumbnails);
    ReadDword(store, "ShuffleImagelist", ShuffleImagelist);
    ReadDword(store, "ChangeWhen", ChangeWhen);
    ReadDword(store, "ChangeAtStartup", ChangeAtStartup);
    ReadDword(store, "ChangeAtTime", ChangeAtTime);
    ReadDword(store, "LastSeed", LastSeed);
    ReadDword(store, "IndexOfLastImage", IndexOfLastImage);
    uint32_t lastChange = 0;
    if (store.QueryDword("LastRegularChange", lastChange)) LastRegularChange = lastChange;
    ReadDword(store, "RunAtStartup", RunAtStartup);
    ReadDword(store, "PaperOrient", PaperOrient);
    ReadDword(store, "ShowSplashScreen", ShowSplashScreen);
    ReadDword(store, "CrashFlag", CrashFlag);
    ReadDword(store, "CriticalError", CriticalError);
    ReadDword(store, "ShowErrorReport", ShowErrorReport);
    ReadDword(store, "NextModKey", NextModKey);
    ReadDword(store, "NextKey", NextKey);
    ReadDword(store, "PrevModKey", PrevModKey);
    ReadDword(store, "PrevKey", PrevKey);
    ReadDword(store, "PauseModKey", PauseModKey);
    ReadDword(store, "PauseKey", PauseKey);
    ReadDword(store, "SaveModKey", SaveModKey);
    ReadDword(store, "SaveKey", SaveKey);
    ReadDword(store, "BossModKey", BossModKey);
    ReadDword(store, "BossKey", BossKey);
    ReadDword(store, "UseFixedURL", UseFixedURL);
    ReadDword(store, "EngineIndex", EngineIndex);
    ReadDword(store, "DefaultEngine", DefaultEngine);
    ReadDword(store, "GetImageFromInternet", GetImageFromInternet);
    ReadDword(store, "MinImageWidth", MinImageWidth);
    ReadDword(store, "MinImageHeight", MinImageHeight);
    ReadDword(store, "MaxImageWidth", MaxImageWidth);
    ReadDword(store, "MaxImageHeight", MaxImageHeight);
    ReadDword(store, "MaxFileSize", MaxFileSize);
    ReadDword(store, "MinFileSize", MinFileSize);
    ReadDword(store, "MinPixels", MinPixels);
    ReadDword(store, "FilterResults", FilterResults);
    ReadDword(store, "FilterType", FilterType);
    ReadDword(store, "AskWhereToSave", AskWhereToSave);
    ReadDword(store, "BlockExplicit", BlockExplicit);
    ReadDword(store, "GroupResults", GroupResults);
    ReadDword(store, "HistorySize", HistorySize);
    ReadDword(store, "CacheSize", CacheSize);
    ReadDword(store, "NumResultsToCache", NumResultsToCache);
    ReadDword(store, "ShowStatusPopup", ShowStatusPopup);
    ReadDword(store, "StatusPopupPos", StatusPopupPos);
    std::string text;
    if (store.QueryString("InternetString", text)) InternetString = text;
    if (store.QueryString("WallpaperSavePath", text)) WallpaperSavePath = text;
    if (store.QueryString("LastSavePath", text)) LastSavePath = text;
    if (store.QueryString("BackendServer", text) && IsBackendAddress(text)) BackendServer = text;
    store.Close();
  }
  DesktopColor = systemDesktopColor;
  return opened;
}

int32_t Settings::SaveTo(RegistryStore& store) const {
  const int32_t created = store.CreateForWrite();
  if (created != 0) return created;
  WriteDword(store, "DebugLog", DebugLog);
  WriteDword(store, "ShuffleImagelist", ShuffleImagelist);
  WriteDword(store, "Crossfade", Crossfade);
  WriteDword(store, "ChangeWhen", ChangeWhen);
  WriteDword(store, "ChangeAtStartup", ChangeAtStartup);
  WriteDword(store, "ChangeAtTime", ChangeAtTime);
  WriteDword(store, "PaperOrient", PaperOrient);
  WriteDword(store, "LastSeed", LastSeed);
  WriteDword(store, "IndexOfLastImage", IndexOfLastImage);
  store.SetDword("LastRegularChange", static_cast<uint32_t>(LastRegularChange & 0xFFFFFFFF));
  WriteDword(store, "RunAtStartup", RunAtStartup);
  WriteDword(store, "ShowSplashScreen", ShowSplashScreen);
  WriteDword(store, "ShowErrorReport", ShowErrorReport);
  WriteDword(store, "NextModKey", NextModKey);
  WriteDword(store, "NextKey", NextKey);
  WriteDword(store, "PrevModKey", PrevModKey);
  WriteDword(store, "PrevKey", PrevKey);
  WriteDword(store, "PauseModKey", PauseModKey);
  WriteDword(store, "PauseKey", PauseKey);
  WriteDword(store, "SaveModKey", SaveModKey);
  WriteDword(store, "SaveKey", SaveKey);
  WriteDword(store, "BossModKey", BossModKey);
  WriteDword(store, "BossKey", BossKey);
  WriteDword(store, "UseFixedURL", UseFixedURL);
  WriteDword(store, "EngineIndex", EngineIndex);
  WriteDword(store, "DefaultEngine", DefaultEngine);
  WriteDword(store, "GetImageFromInternet", GetImageFromInternet);
  WriteDword(store, "MinImageWidth", MinImageWidth);
  WriteDword(store, "MinImageHeight", MinImageHeight);
  WriteDword(store, "MaxImageWidth", MaxImageWidth);
  WriteDword(store, "MaxImageHeight", MaxImageHeight);
  WriteDword(store, "MinFileSize", MinFileSize);
  WriteDword(store, "MaxFileSize", MaxFileSize);
  WriteDword(store, "MinPixels", MinPixels);
  WriteDword(store, "FilterResults", FilterResults);
  WriteDword(store, "FilterType", FilterType);
  WriteDword(store, "AskWhereToSave", AskWhereToSave);
  WriteDword(store, "BlockExplicit", BlockExplicit);
  WriteDword(store, "GroupResults", GroupResults);
  WriteDword(store, "HistorySize", HistorySize);
  WriteDword(store, "CacheSize", CacheSize);
  WriteDword(store, "NumResultsToCache", NumResultsToCache);
  WriteDword(store, "ShowStatusPopup", ShowStatusPopup);
  WriteDword(store, "StatusPopupPos", StatusPopupPos);
  store.SetString("InternetString", InternetString);
  return store.Close();
}

void Settings::AssignUserOptions(const Settings& o) {
  ShuffleImagelist = o.ShuffleImagelist;
  DebugLog = o.DebugLog;
  ShowThumbnails = o.ShowThumbnails;
  Crossfade = o.Crossfade;
  ChangeAtTime = o.ChangeAtTime;
  ChangeWhen = o.ChangeWhen;
  ChangeAtStartup = o.ChangeAtStartup;
  AskWhereToSave = o.AskWhereToSave;
  PaperOrient = o.PaperOrient;
  MinImageWidth = o.MinImageWidth;
  MinImageHeight = o.MinImageHeight;
  MinPixels = o.MinPixels;
  MaxImageWidth = o.MaxImageWidth;
  MaxImageHeight = o.MaxImageHeight;
  MinFileSize = o.MinFileSize;
  MaxFileSize = o.MaxFileSize;
  FilterType = o.FilterType;
  HistorySize = o.HistorySize;
  NumResultsToCache = o.NumResultsToCache;
  CacheSize = o.CacheSize;
  RunAtStartup = o.RunAtStartup;
  ShowSplashScreen = o.ShowSplashScreen;
  ShowStatusPopup = o.ShowStatusPopup;
  StatusPopupPos = o.StatusPopupPos;
  GetImageFromInternet = o.GetImageFromInternet;
  UseFixedURL = o.UseFixedURL;
  EngineIndex = o.EngineIndex;
  DefaultEngine = o.DefaultEngine;
  FilterResults = o.FilterResults;
  BlockExplicit = o.BlockExplicit;
  GroupResults = o.GroupResults;
  DesktopColor = o.DesktopColor;
  ShowErrorReport = o.ShowErrorReport;
  NextModKey = o.NextModKey;
  NextKey = o.NextKey;
  PrevModKey = o.PrevModKey;
  PrevKey = o.PrevKey;
  PauseModKey = o.PauseModKey;
  PauseKey = o.PauseKey;
  SaveModKey = o.SaveModKey;
  SaveKey = o.SaveKey;
  BossModKey = o.BossModKey;
  BossKey = o.BossKey;
  InternetString = o.InternetString;
  WallpaperSavePath = o.WallpaperSavePath;
  LastSavePath = o.LastSavePath;
}
