#pragma once
// The application object: builds the program's parts in order, hands each
// what it needs, routes the main window's messages, and takes everything down
// in reverse. Main thread only; one per run.
#include <windows.h>

#include <memory>
#include <string>

#include "imagelist/image_lists.h"
#include "internet/binding/fetchpix_library_win.h"
#include "internet/binding/internet_source_win.h"
#include "internet/history/history_files.h"
#include "internet/history/search_history.h"
#include "settings/settings.h"
#include "shell/app_paths.h"
#include "shell/apply_settings_win.h"
#include "shell/main_window_win.h"
#include "shell/schedule/scheduler_win.h"
#include "shell/tray/tray_commands.h"
#include "shell/tray/tray_win.h"
#include "support/dispatch/ui_dispatcher_win.h"
#include "support/log/logger.h"
#include "support/status_sink.h"
#include "support/win/unique_handle_win.h"
#include "ui/imagelist_dialog/imagelist_dialog_services_win.h"
#include "ui/settings/settings_dialog_host_win.h"
#include "ui/settings/settings_dialog_services_win.h"
#include "ui/settings/settings_dialog_win.h"
#include "ui/status/status_notifier_win.h"
#include "wallpaper/pipeline/change_pipeline_win.h"
#include "wallpaper/pipeline/local_image_source.h"

class Application final : public MainWindowHandler,
                          public TrayCommands,
                          public SettingsTargets,
                          public SettingsDialogServices,
                          public ImageListDialogServices,
                          public StatusSink {
 public:
  explicit Application(HINSTANCE instance);
  // Shutdown(), then the parts go in reverse order of construction.
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the program: returns the exit code of the process.
  int Run(int showCommand);

  // Stops the workers, removes the tray icon and the hot keys, clears the
  // crash flag and releases the single-instance mutex. Safe to run twice (the
  // logoff path runs it from WM_QUERYENDSESSION and again after the loop) and
  // during start-up, which then stops.
  void Shutdown();
  bool Ending() const { return ending; }
  // The live record, owned here for the whole run.
  Settings& LiveSettings() { return settings; }

  // MainWindowHandler.
  LRESULT OnMainWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  // TrayCommands.
  bool ChangeRunning() const override;
  void NextImage(bool hotKey) override;
  void PreviousImage(bool hotKey) override;
  void SaveWallpaper(bool hotKey) override;
  void BlockImage() override;
  void BlankOrRestore() override;
  void RearmSchedule() override;
  void ApplySearchText(const std::string& text) override;
  bool EngineCanBlock(int32_t engineIndex) const override;

  // SettingsTargets.
  void ResetEndOfResultsCount() override;
  void RefreshTray() override;
  void ReloadPlayOrderList() override;

  // SettingsDialogServices.
  const Settings& LiveSettings() const override { return settings; }
  std::vector<EngineChoice> Engines() const override;
  void ReloadHistory() override;
  std::vector<std::string> HistoryEntries(bool addresses) const override;
  void ClearHistory(bool addressInUse, int32_t historySize) override;
  void ClearCache() override;
  bool Apply(Settings& workingCopy) override;
  std::string PicturesFolder() const override { return paths.picturesFolder; }
  std::string ProgramPath() const override { return paths.programPath; }
  std::string HelpFilePath() const override { return paths.helpFilePath; }
  char DecimalSeparator() const override { return decimalSeparator[0]; }
  bool CanSelectImages() const override { return true; }
  void SelectImages(HWND owner) override;

  // ImageListDialogServices (the help file is the settings dialog's).
  std::string ListFilePath() const override { return paths.listFilePath; }
  bool ShowThumbnails() const override { return settings.ShowThumbnails != 0; }
  void SetShowThumbnails(bool shown) override { settings.ShowThumbnails = shown ? 1 : 0; }
  void ListCommitted(bool written, bool replaced) override;
  void ShowAsWallpaper(const std::string& path) override;

  // StatusSink: every message is logged, then shown by the status popup.
  void ShowStatus(const std::string& text, bool force, int32_t durationMs, uint32_t clickMessage) override;

 private:
  // Start-up steps after the single instance is settled; false when the program must end.
  bool BuildParts(int showCommand);
  void StopParts();
  void LoadImageLists();
  // Start-up: the plug-in, its engines and the configured search. False when
  // the program must end (the user has been told).
  bool LoadPlugin();
  void ConnectInternetSource();
  // `fromDialog`: the dialog's history size holds from now on, so both lists are trimmed to it.
  void RecordSearchHistory(bool fromDialog);
  LRESULT EndSession(HWND window);

  HINSTANCE instance;
  bool ending = false;
  // An early exit (second instance, installer hooks, no plug-in, no window):
  // no shutdown steps, the flags stay as they are.
  bool abandoned = false;
  bool configureAtStart = false;
  char decimalSeparator[2] = {'.', 0};
  UniqueHandle instanceMutex;

  // In order of construction; the destructor takes them down in reverse.
  Settings settings;
  AppPaths paths;
  std::unique_ptr<Logger> logger;
  std::unique_ptr<FetchpixLibrary> plugin;
  std::unique_ptr<InternetSource> internetSource;
  DiskHistoryFiles historyFiles;
  std::unique_ptr<SearchHistory> history;
  HWND mainWindow = nullptr;
  std::unique_ptr<UiDispatcher> dispatcher;
  ImageLists lists;
  std::unique_ptr<LocalImageSource> localSource;
  std::unique_ptr<StatusPopupNotifier> statusPopup;
  std::unique_ptr<SettingsDialog> settingsWindow;
  std::unique_ptr<SettingsDialogHost> settingsDialog;
  std::unique_ptr<SettingsApplier> applier;
  std::unique_ptr<Tray> tray;
  std::unique_ptr<ChangePipeline> pipeline;
  std::unique_ptr<CChangeScheduler> scheduler;
};
