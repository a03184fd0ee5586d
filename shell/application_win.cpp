#include "shell/application_win.h"

#include <shlobj.h>

#include <algorithm>

#include "imagelist/folder_scan_win.h"
#include "imagelist/startup_load.h"
#include "internet/history/history_store.h"
#include "settings/flags_win.h"
#include "settings/registry_win.h"
#include "shell/command_line.h"
#include "shell/data_folders_win.h"
#include "shell/data_paths.h"
#include "shell/ids/timer_ids.h"
#include "shell/instance_win.h"
#include "shell/os_version_win.h"
#include "shell/paths_win.h"
#include "shell/previous_run_win.h"
#include "support/app_messages.h"
#include "support/localtime.h"
#include "support/log/log.h"
#include "support/version.h"
#include "ui/fade/window_fader_win.h"
#include "ui/imagelist_dialog/file_pickers_win.h"
#include "ui/imagelist_dialog/imagelist_dialog_win.h"
#include "ui/splash/splash_win.h"

namespace {

void Uninstall() {
  UniqueHandle mutex;
  if (IsAnotherInstanceRunning(mutex)) PostToOtherInstance(kMsgExitRequest);
  RemoveRegisteredFolders(std::string(kProgramKey) + kAppDataSuffix);
  RemoveRegisteredFolders(std::string(kProgramKey) + kLocalAppDataSuffix);
}

void InitialSecurity() {
  const ShellFolderSource shell = SystemShellFolders();
  const struct { int csidl; const char* suffix; } folders[] = {
      {CSIDL_APPDATA, kAppDataSuffix}, {CSIDL_LOCAL_APPDATA, kLocalAppDataSuffix}};
  for (const auto& f : folders) {
    std::string dataFolder;
    if (auto base = shell.folder(f.csidl))
      if (CreateProgramDataFolder(*base, dataFolder)) RegisterDataFolder(dataFolder, kProgramKey, f.suffix);
  }
}

bool CanOpenForReading(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

void MoveLegacyBitmap(const AppPaths& paths) {
  const std::string& target = paths.wallpaperBitmapPath;
  const std::string old = paths.programFolder + target.substr(target.find_last_of('\\') + 1);
  if (!CanOpenForReading(target) && CanOpenForReading(old))
    MoveFileExA(old.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH);
}

void ReadDecimalSeparator(char (&out)[2]) {
  char separator[2] = {};
  out[0] = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 2) > 0 ? separator[0] : '.';
  out[1] = 0;
}

int MessageLoop() {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

Application::Application(HINSTANCE instance) : instance(instance) {}

Application::~Application() {
  if (ending || abandoned)
    StopParts();
  else
    Shutdown();
  // The parts go in reverse order of construction; the window last, once
  // nothing holds it any more. The search hears nothing more from here on.
  if (internetSource) internetSource->AttachSink(nullptr);
  scheduler.reset();
  pipeline.reset();
  tray.reset();
  applier.reset();
  settingsDialog.reset();
  settingsWindow.reset();
  statusPopup.reset();
  localSource.reset();
  dispatcher.reset();
  history.reset();
  internetSource.reset();
  plugin.reset();
  if (mainWindow) DestroyWindow(mainWindow);
  g_logger = nullptr;
}

int Application::Run(int showCommand) {
  // 1. Command line.
  const StartMode mode = ParseCommandLine(GetCommandLineA());
  configureAtStart = mode == StartMode::Configure;

  // 2-3. Settings and paths.
  settings.Load();
  if (mode == StartMode::Uninstall) {
    abandoned = true;
    Uninstall();
    return 0;
  }
  if (mode == StartMode::InitialSecurity) {
    abandoned = true;
    InitialSecurity();
    return 0;
  }
  SetupPaths(paths, settings, SystemShellFolders());

  // 4. The error folder, where crash dumps go.
  CreateDirectoryA(paths.errorFolder.c_str(), nullptr);

  // 5. Older versions kept the wallpaper bitmap beside the program. (The list
  // file moves when the image lists load.)
  MoveLegacyBitmap(paths);

  // 6. Single instance: hand over to the running one.
  if (IsAnotherInstanceRunning(instanceMutex)) {
    // The running instance owns the flags: this one must not clear them.
    abandoned = true;
    PostToOtherInstance(kMsgOpenSettings);
    return 0;
  }

  // 7. How did the previous run end? An instance that was still ending while
  // this one started has set its flags since they were loaded.
  ReadRunFlags(settings);
  CheckPreviousRun(instance, settings);

  // 8-9. The log.
  if (settings.DebugLog != 0) {
    logger = std::make_unique<Logger>(paths.appDataFolder + kLogFileName, LogVariant::Program);
    g_logger = logger.get();
    SF_LOG(kLogInfo, "Skyframe started.");
    SF_LOG(kLogInfo, std::string("Version: ") + kProgramVersion);
  }
  SF_LOG(kLogInfo, QueryWindowsVersion().isWin2000OrLater ? "OS is Win2k/XP" : "OS is not Win2k/XP");
  SF_LOG(kLogInfo, "Path: " + paths.programPath);
  SF_LOG(kLogInfo, SettingsSummary(settings));

  // 10-12. The plug-in; without it the program cannot do what it is for.
  if (!LoadPlugin()) {
    abandoned = true;
    return 1;
  }

  if (!BuildParts(showCommand)) {
    if (!ending) abandoned = true;
    return 0;
  }

  // 24-26.
  SF_LOG(kLogInfo, "Beginning event loop");
  SetCrashFlag(0);
  const int exitCode = MessageLoop();
  SF_LOG(kLogInfo, "Exited event loop");
  SetCrashFlag(1);
  Shutdown();
  SF_LOG(kLogInfo, "Successfully exiting WinMain()");
  return exitCode;
}

bool Application::LoadPlugin() {
  plugin = std::make_unique<FetchpixLibrary>();
  internetSource = std::make_unique<InternetSource>(*plugin, settings, *this, paths.picturesFolder);
  // By its full path: a library of the same name elsewhere on the search path is never taken.
  if (plugin->Load(paths.programFolder + "Fetchpix.dll", 1, paths.pluginDataFolder) != SUCCESS) {
    SF_LOG(kLogFatal, "Cannot load Fetchpix.DLL!");
    MessageBoxA(nullptr, "Unable to load Fetchpix.DLL!\nPlease re-install the application.", "ERROR", MB_ICONHAND);
    return false;
  }
  internetSource->LoadEngines();
  // The search below fetches its first page at once: it must ask with the
  // user's filter, grouping and explicit-content options, not the plug-in's
  // defaults. Notifications follow once the main window exists.
  internetSource->SendOptions();
  if (settings.GetImageFromInternet && internetSource->StartConfiguredSearch() != SUCCESS) {
    if (settings.InternetString.empty()) {
      SF_LOG(kLogError, "Fetchpix::StartSearch() failed. Reason: No search string.");
      MessageBoxA(nullptr, "Could not initiate internet search because\nno search term or URL was specified.", "ERROR",
                  MB_ICONHAND);
      configureAtStart = true;
    } else {
      SF_LOG(kLogFatal, "Fetchpix::StartSearch() failed. Reason: Unknown.");
      MessageBoxA(nullptr, "Could not initiate search for images!\nPlease re-install the application.", "ERROR",
                  MB_ICONHAND);
    }
  }
  return true;
}

void Application::ConnectInternetSource() {
  internetSource->SetWindow(mainWindow);
  InternetSourceLink link;
  link.engineCanBlock = [this](int32_t engine) { return internetSource->CanBlock(engine); };
  link.sendSearchOptions = [this] { internetSource->SendOptions(); };
  link.followSource = [this](bool sourceChanged) { internetSource->FollowSource(sourceChanged); };
  link.recordSearchHistory = [this](bool fromDialog) { RecordSearchHistory(fromDialog); };
  applier->SetInternetLink(std::move(link));
  pipeline->AttachInternetSource(internetSource.get());
  internetSource->AttachSink(pipeline.get());
}

namespace {

// Both lists are written up to twice the history size (the size a user may
// grow back to without losing entries); never an overflowing product.
int32_t HistoryFileLimit(int32_t historySize) {
  return static_cast<int32_t>(std::min<int64_t>(2 * static_cast<int64_t>(historySize), INT32_MAX));
}

}  // namespace

void Application::RecordSearchHistory(bool fromDialog) {
  const int32_t type = settings.EngineIndex == 0 ? 1 : 0;
  // Adding an entry that is there already moves it to the front.
  AddToSearchHistory(history, settings.InternetString, type, settings.HistorySize, *internetSource);
  if (fromDialog && history) TrimSearchHistory(*history, settings.HistorySize, *internetSource);
  SaveSearchHistory(history.get(), historyFiles, paths.historyFilePath, HistoryFileLimit(settings.HistorySize));
}

bool Application::BuildParts(int /*showCommand*/) {
  // 13. The hidden main window, and the one way from workers back to it.
  if (!RegisterMainWindowClass(instance)) return false;
  mainWindow = CreateMainWindow(instance, *this);
  if (!mainWindow) return false;
  dispatcher = std::make_unique<UiDispatcher>();

  lists.SetListFilePath(paths.listFilePath);
  localSource = std::make_unique<LocalImageSource>(lists, settings);
  statusPopup = std::make_unique<StatusPopupNotifier>(instance, mainWindow, paths.skinPath, settings,
                                                      LayeredWindowsAvailable());
  settingsWindow = std::make_unique<SettingsDialog>(instance, *this);
  settingsDialog = std::make_unique<SettingsDialogHost>(mainWindow);
  settingsDialog->SetLink(settingsWindow->Link());
  applier = std::make_unique<SettingsApplier>(settings, paths.programPath, *settingsDialog, *this);
  tray = std::make_unique<Tray>(mainWindow, settings, *this, *settingsDialog, *this);
  PipelinePaths pipelinePaths{paths.wallpaperBitmapPath, paths.flashPagePath, paths.programFolder};
  pipeline = std::make_unique<ChangePipeline>(settings, std::move(pipelinePaths), *localSource, *tray, *this,
                                              *dispatcher);
  ConnectInternetSource();

  // 14. The plug-in's options, notifications to the main window among them.
  internetSource->SendOptions();

  // 16.
  ReadDecimalSeparator(decimalSeparator);

  // 17. The searches used before; a history shipped beside the program seeds a first run.
  history = LoadSearchHistoryAtStartup(historyFiles, paths.historyFilePath, paths.programFolder + "searches.xml",
                                       HistoryFileLimit(settings.HistorySize));

  // 18-20. Splash, image lists, and the change at start-up (which leaves
  // LastRegularChange alone). The splash runs a modal loop in which the
  // session may end: start-up stops then.
  if (!configureAtStart && settings.ShowSplashScreen)
    ShowSplash(instance, mainWindow, paths.programFolder, LayeredWindowsAvailable());
  if (ending) return false;
  LoadImageLists();
  if (settings.ChangeAtStartup) pipeline->ChangeWallpaper(false, true, false);

  // 21-22. The schedule starts now, so the start itself is no reason to catch up.
  settings.appStartTime = NowSeconds();
  CChangeScheduler::Hooks hooks;
  hooks.readSettings = [this] {
    return ScheduleSettings{settings.ChangeAtTime, settings.ChangeWhen, settings.LastRegularChange,
                            settings.appStartTime};
  };
  hooks.requestChange = [this] { pipeline->ChangeWallpaper(true, true, false); };
  scheduler = std::make_unique<CChangeScheduler>(mainWindow, std::move(hooks));
  scheduler->ArmScheduler();

  if (configureAtStart) {
    SF_LOG(kLogInfo, "Running Config at startup");
    settingsDialog->Open(nullptr);
    if (ending) return false;
  }
  return true;
}

void Application::LoadImageLists() {
  StartupLoadOptions options;
  options.listFilePath = paths.listFilePath;
  const std::string& list = paths.listFilePath;
  options.legacyListFilePath = paths.programFolder + list.substr(list.find_last_of('\\') + 1);
  options.shuffle = settings.ShuffleImagelist != 0;
  options.lastSeed = settings.LastSeed;
  // Without a Pictures or Documents folder nothing is scanned (never the drive's root).
  options.scanPictures = [](Playlist& target) { return ScanPicturesFolder(target); };
  options.log = [](const std::string& line) { SF_LOG(kLogInfo, line); };
  LoadImageListsAtStartup(lists, options);
}

void Application::SelectImages(HWND owner) {
  CommonDialogPickers pickers;
  ImageListDialog dialog(instance, *this, pickers);
  dialog.Run(owner);
}

void Application::ListCommitted(bool written, bool replaced) {
  // An emptied list keeps the lists in memory until the next start, which finds no list file.
  if (!written) return;
  if (replaced) {
    settings.IndexOfLastImage = 0;
    settings.Save();
  }
  lists.ReloadBoth(settings.ShuffleImagelist != 0, settings.LastSeed);
}

void Application::ShowAsWallpaper(const std::string& path) {
  if (pipeline) pipeline->ChangeWallpaper(false, true, true, path);
}

void Application::StopParts() {
  // Late worker completions are dropped from here on; then the workers end.
  if (dispatcher) dispatcher->Close();
  if (pipeline) pipeline->Stop();
  if (statusPopup) statusPopup->Stop();
  if (scheduler) scheduler->Stop();
  if (tray) tray->Remove();
}

void Application::Shutdown() {
  ending = true;
  StopParts();
  history.reset();
  SetCrashFlag(0);
  SF_LOG(kLogInfo, "Unsetting crash flag");
  // A download in progress may hold the plug-in for a while: the flags are
  // written before it is asked to stop.
  if (internetSource) internetSource->Stop();
  if (plugin) plugin->Unload();
  SF_LOG(kLogInfo, "Releasing mutex");
  if (instanceMutex) {
    ReleaseMutex(instanceMutex.get());
    instanceMutex.reset();
  }
}

LRESULT Application::EndSession(HWND window) {
  SF_LOG(kLogInfo, "Received WM_QUERYENDSESSION");
  if (tray) tray->Remove();
  SF_LOG(kLogInfo, "Deleted notify icon");
  Shutdown();
  PostQuitMessage(0);
  SF_LOG(kLogInfo, "Posted Quit message");
  DestroyWindow(window);
  SF_LOG(kLogInfo, "Called DestroyWindow()");
  return TRUE;
}

LRESULT Application::OnMainWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  LRESULT result = 0;
  if (tray && tray->HandleMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_TIMER:
      if (wParam == kChangeTimerId && scheduler) {
        scheduler->OnTimer(wParam);
        return 0;
      }
      break;
    case kMsgSearchNotify:
      if (internetSource && !ending) internetSource->OnNotification(wParam, lParam);
      return 0;
    case kMsgOpenSettings:
      // A second instance or a popup click while the dialog is open: it comes to the front.
      if (settingsDialog) settingsDialog->BringForward();
      return 0;
    case kMsgOpenInternetSettings:
      if (settingsDialog) settingsDialog->ShowPage("Internet");
      return 0;
    case WM_SYSCOLORCHANGE: {
      const uint32_t color = GetSysColor(COLOR_BACKGROUND);
      if (color != settings.DesktopColor) {
        settings.DesktopColor = color;
        settings.Save();
      }
      break;  // default processing follows
    }
    case kMsgExitRequest:
      Shutdown();
      PostQuitMessage(0);
      DestroyWindow(window);
      return 1;
    case WM_QUERYENDSESSION:
      return EndSession(window);
    case WM_DESTROY:
      if (tray) tray->Remove();
      if (scheduler) scheduler->Stop();
      if (mainWindow == window) mainWindow = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  handled = false;
  return 0;
}

bool Application::ChangeRunning() const { return pipeline && pipeline->ChangeRunning(); }

void Application::NextImage(bool hotKey) {
  if (pipeline) pipeline->NextImageCommand(hotKey);
}

void Application::PreviousImage(bool hotKey) {
  if (pipeline) pipeline->PreviousImageCommand(hotKey);
}

void Application::SaveWallpaper(bool hotKey) {
  if (pipeline) pipeline->SaveWallpaperCommand(hotKey);
}

void Application::BlockImage() {
  if (pipeline) pipeline->BlockImageCommand();
}

void Application::BlankOrRestore() {
  if (pipeline) pipeline->BlankOrRestoreCommand();
}

void Application::RearmSchedule() {
  if (scheduler) scheduler->ArmScheduler();
}

void Application::ApplySearchText(const std::string& text) {
  if (::ApplySearchText(*applier, settings, text) && pipeline) pipeline->ChangeWallpaper(false, true, true);
}

bool Application::EngineCanBlock(int32_t engineIndex) const {
  return internetSource && internetSource->CanBlock(engineIndex);
}

void Application::ResetEndOfResultsCount() {
  if (pipeline) pipeline->ResetEndOfResultsCount();
}

void Application::RefreshTray() {
  if (!tray) return;
  tray->SyncMenu();
  tray->RefreshIcon();
  tray->ReRegisterHotKeys();
}

void Application::ReloadPlayOrderList() {
  if (localSource) localSource->ReloadPlayOrder();
}

std::vector<EngineChoice> Application::Engines() const {
  std::vector<EngineChoice> out;
  if (!internetSource) return out;
  for (const Engine& e : internetSource->Engines()) out.push_back({e.id, e.name, e.capabilities});
  return out;
}

void Application::ReloadHistory() {
  // A file that cannot be read keeps the history in memory.
  if (auto loaded = LoadSearchHistory(historyFiles, paths.historyFilePath)) history = std::move(loaded);
}

std::vector<std::string> Application::HistoryEntries(bool addresses) const {
  std::vector<std::string> out;
  if (!history) return out;
  for (auto* node = history->ListFor(addresses ? 1 : 0).Head(); node; node = node->next) out.push_back(node->value.string);
  return out;
}

void Application::ClearHistory(bool addressInUse, int32_t historySize) {
  if (!history || !internetSource) return;
  TrimSearchList(history->keywordItems, addressInUse ? 0 : 1, *internetSource);
  TrimSearchList(history->addressItems, addressInUse ? 1 : 0, *internetSource);
  // An empty history is never written, so its old file must go instead.
  if (history->Empty())
    DeleteFileA(paths.historyFilePath.c_str());
  else
    SaveSearchHistory(history.get(), historyFiles, paths.historyFilePath, HistoryFileLimit(historySize));
}

void Application::ClearCache() {
  if (!plugin) return;
  // The search starts again from the settings in force, not from the dialog's unapplied values.
  if (internetSource && internetSource->HasSearch()) {
    internetSource->FollowSource(true);
    if (tray) tray->RefreshIcon();
  }
  plugin->ClearImageCache();
}

bool Application::Apply(Settings& workingCopy) {
  if (!applier->Apply(workingCopy, true)) return false;
  // The record's own save leaves the folder out; it must survive a restart.
  WriteRegString(kProgramKey, "WallpaperSavePath", settings.WallpaperSavePath);
  return true;
}

void Application::ShowStatus(const std::string& text, bool force, int32_t durationMs, uint32_t clickMessage) {
  // What the user was told is worth having in the log when something goes wrong.
  SF_LOG(kLogInfo, "Status: " + text);
  if (statusPopup && !ending) statusPopup->ShowStatus(text, force, durationMs, clickMessage);
}
