#include "shell/startup_win.h"

#include <shlobj.h>

#include <memory>
#include <string>

#include "settings/settings.h"
#include "shell/app_win.h"
#include "shell/command_line.h"
#include "shell/data_folders_win.h"
#include "shell/data_paths.h"
#include "shell/flags_win.h"
#include "shell/instance_win.h"
#include "shell/main_window_win.h"
#include "shell/paths_win.h"
#include "shell/previous_run_win.h"
#include "imagelist/folder_scan_win.h"
#include "imagelist/startup_load.h"
#include "shell/schedule/scheduler_win.h"
#include "shell/tray/tray_win.h"
#include "ui/splash/splash_win.h"
#include "ui/status/status_notifier_win.h"
#include "wallpaper/pipeline/change_pipeline_win.h"
#include "support/localtime.h"
#include "support/log/log.h"

namespace {

std::unique_ptr<CChangeScheduler> g_scheduler;
std::unique_ptr<StatusPopupNotifier> g_statusPopup;

// Layered windows (for fading) exist from Windows 2000 on; looked up at run
// time like the program always has.
bool HasLayeredWindows() {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 && GetProcAddress(user32, "SetLayeredWindowAttributes") != nullptr;
}

void LoadImageLists(App& app) {
  const Settings& s = *app.settings;
  StartupLoadOptions options;
  options.listFilePath = app.paths.listFilePath;
  const std::string& list = app.paths.listFilePath;
  options.legacyListFilePath = app.paths.programFolder + list.substr(list.find_last_of('\\') + 1);
  options.shuffle = s.ShuffleImagelist != 0;
  options.lastSeed = s.LastSeed;
  const std::string pictures = app.paths.picturesFolder;
  options.scanPictures = [pictures](Playlist& target) { return ScanFolder(pictures, target); };
  options.log = [](const std::string& line) { SF_LOG(kLogInfo, line); };
  LoadImageListsAtStartup(TheImageLists(), options);
}

void Uninstall() {
  if (IsAnotherInstanceRunning()) PostToOtherInstance(WM_APP_EXIT_REQUEST);
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
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

void MoveLegacyBitmap(const AppPaths& paths) {
  const std::string& target = paths.wallpaperBitmapPath;
  const std::string old = paths.programFolder + target.substr(target.find_last_of('\\') + 1);
  if (!CanOpenForReading(target) && CanOpenForReading(old))
    MoveFileExA(old.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH);
}

void DetermineWindowsVersion(App& app) {
  OSVERSIONINFOA version = {sizeof version};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool known = GetVersionExA(&version) != 0;
#pragma GCC diagnostic pop
  app.isWin2000OrLater = known && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
  if (!app.isWin2000OrLater) app.osMinorZero = known && version.dwMinorVersion == 0;
}

void ReadDecimalSeparator(App& app) {
  char separator[2] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 2) > 0) {
    app.decimalSeparator[0] = separator[0];
    app.decimalSeparator[1] = 0;
  } else {
    app.decimalSeparator[0] = '.';
    app.decimalSeparator[1] = 0;
  }
}

void StartScheduler(App& app) {
  CChangeScheduler::Hooks hooks;
  hooks.readSettings = [&app] {
    const Settings& s = *app.settings;
    return ScheduleSettings{s.ChangeAtTime, s.ChangeWhen, s.LastRegularChange, s.appStartTime};
  };
  hooks.requestChange = [] { ChangeWallpaper(true, true, false); };
  g_scheduler = std::make_unique<CChangeScheduler>(app.mainWindow, std::move(hooks));
  g_scheduler->ArmScheduler();
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

void OnSchedulerTimer(HWND) {
  if (g_scheduler) g_scheduler->OnTimer(567);
}

int RunProgram(HINSTANCE instance, int showCommand) {
  App& app = TheApp();
  app.instance = instance;

  // 1. Command line.
  const StartMode mode = ParseCommandLine(GetCommandLineA());
  app.configureAtStart = mode == StartMode::Configure;

  // 2-3. Settings and paths. The hooks need the OS version for the key security.
  app.settings = std::make_unique<Settings>();
  app.settings->Load();
  DetermineWindowsVersion(app);
  if (mode == StartMode::Uninstall) {
    Uninstall();
    return 0;
  }
  if (mode == StartMode::InitialSecurity) {
    InitialSecurity();
    return 0;
  }
  SetupPaths(app.paths, *app.settings, SystemShellFolders());

  // 4. The error folder, where crash dumps go.
  CreateDirectoryA(app.paths.errorFolder.c_str(), nullptr);

  // 5. Older versions kept the wallpaper bitmap beside the program. (The list
  // file moves when the image lists load.)
  MoveLegacyBitmap(app.paths);

  // 6. Single instance: hand over to the running one.
  if (IsAnotherInstanceRunning()) {
    PostToOtherInstance(WM_APP_OPEN_SETTINGS);
    return 0;
  }

  // 7. How did the previous run end?
  CheckPreviousRun(instance, *app.settings);

  // 8-9. The log.
  if (app.settings->DebugLog != 0) {
    app.logger = std::make_unique<Logger>(app.paths.appDataFolder + kLogFileName, LogVariant::Program);
    g_logger = app.logger.get();
    SF_LOG(kLogInfo, "Skyframe started.");
    SF_LOG(kLogInfo, std::string("Version: ") + kProgramVersion);
  }
  SF_LOG(kLogInfo, app.isWin2000OrLater ? "OS is Win2k/XP" : "OS is not Win2k/XP");
  SF_LOG(kLogInfo, "Path: " + app.paths.programPath);
  SF_LOG(kLogInfo, SettingsSummary(*app.settings));

  // 13. The hidden main window.
  if (!RegisterMainWindowClass(instance) || !CreateMainWindow(instance, showCommand)) return 0;

  StartPipeline(app.mainWindow);
  g_statusPopup = std::make_unique<StatusPopupNotifier>(instance, app.mainWindow, app.paths.skinPath,
                                                        *app.settings, HasLayeredWindows());
  SetStatusSink(g_statusPopup.get());

  // 16.
  ReadDecimalSeparator(app);

  // 18-20. Splash, image lists, and the change at start-up (which leaves
  // LastRegularChange alone).
  if (!app.configureAtStart && app.settings->ShowSplashScreen)
    ShowSplash(instance, app.mainWindow, app.paths.programFolder, HasLayeredWindows());
  LoadImageLists(app);
  if (app.settings->ChangeAtStartup) ChangeWallpaper(false, true, false);

  // 21-22. The schedule starts now, so the start itself is no reason to catch up.
  app.settings->appStartTime = NowSeconds();
  StartScheduler(app);

  if (app.configureAtStart) {
    SF_LOG(kLogInfo, "Running Config at startup");
    OpenSettingsDialog(nullptr);
  }

  // 24-26.
  SF_LOG(kLogInfo, "Beginning event loop");
  SetCrashFlag(0);
  const int exitCode = MessageLoop();
  SF_LOG(kLogInfo, "Exited event loop");
  SetCrashFlag(1);
  Shutdown();
  SF_LOG(kLogInfo, "Successfully exiting WinMain()");
  g_logger = nullptr;
  app.logger.reset();
  return exitCode;
}

void ArmScheduler() {
  if (g_scheduler) g_scheduler->ArmScheduler();
}

void Shutdown() {
  App& app = TheApp();
  // 1. The workers: the image worker and the status popup's thread.
  StopPipeline();
  SetStatusSink(nullptr);
  if (g_statusPopup) g_statusPopup->Stop();
  g_statusPopup.reset();
  g_scheduler.reset();
  // 3. Hot keys.
  DestroyTray();
  SetCrashFlag(0);
  SF_LOG(kLogInfo, "Unsetting crash flag");
  app.settings.reset();
  SF_LOG(kLogInfo, "Releasing mutex");
  if (app.instanceMutex) {
    ReleaseMutex(app.instanceMutex.get());
    app.instanceMutex.reset();
  }
}
