#include "wallpaper/pipeline/change_pipeline_win.h"

#include "imagelist/extensions.h"
#include "imagelist/image_lists.h"
#include "shell/app_win.h"
#include "shell/flags_win.h"
#include "shell/tray/tray_win.h"
#include "support/localtime.h"
#include "support/log/log.h"
#include "ui/status/show_status.h"
#include "wallpaper/desktop/desktop_values.h"
#include "wallpaper/desktop/desktop_win.h"
#include "wallpaper/image/fit.h"
#include "wallpaper/pipeline/image_loading_thread_win.h"

namespace {

constexpr size_t kLargeImageBytes = 10000000;
constexpr int kFitFilter = 2;
constexpr const char* kInProgress = "Wallpaper change already in progress. Please wait...";
constexpr const char* kNoResults = "No results match the filter. Try changing filter options.";

struct PipelineState {
  bool ready = true;
  bool lastForward = true;
  bool lastInteractive = false;
  int32_t failedImageCount = 0;
  int32_t endOfResultsCount = 0;
};

PipelineState g_state;
ImageLists g_lists;
std::unique_ptr<CImageLoadingThread> g_worker;

Settings& Live() { return *TheApp().settings; }

void EndChange() {
  g_state.ready = true;
  ShowIdle();
  SetCrashFlag(0);
  SF_LOG(kLogInfo, "Wallpaper change finished");
}

// The plug-in's image, once the internet source exists, is returned here.
void FreeInternetImage() {}

void RetryInSameDirection() {
  ChangeWallpaper(false, g_state.lastForward, g_state.lastInteractive);
}

void ChangeFromInternet(bool /*stampTime*/, bool /*forward*/) {
  // The internet source arrives with the plug-in; until then nothing is fetched.
  SF_LOG(kLogError, "Internet source is not available");
  SetCrashFlag(0);
}

}  // namespace

ImageLists& TheImageLists() { return g_lists; }

void ReloadPlayOrderList() {
  const Settings& s = Live();
  g_lists.LoadPlayOrder(s.ShuffleImagelist != 0, s.LastSeed);
}

void StartPipeline(HWND) {
  if (!g_worker) g_worker = std::make_unique<CImageLoadingThread>();
  g_lists.SetListFilePath(TheApp().paths.listFilePath);
}

void StopPipeline() { g_worker.reset(); }

void ResetEndOfResultsCount() { g_state.endOfResultsCount = 0; }

void ChangeWallpaper(bool stampTime, bool forward, bool interactive,
                     const std::optional<std::string>& path) {
  App& app = TheApp();
  Settings& s = Live();
  g_state.lastForward = forward;
  g_state.lastInteractive = interactive;
  if (g_state.endOfResultsCount > 1) {
    ShowStatus(kNoResults, true, 8000, kStatusClickOpenInternetSettings);
    return;
  }
  if (!g_worker) return;
  g_worker->SetPriority(interactive ? THREAD_PRIORITY_NORMAL : THREAD_PRIORITY_IDLE);
  SetCrashFlag(1);
  if (!g_state.ready) return;

  if (s.GetImageFromInternet && !path) {
    ChangeFromInternet(stampTime, forward);
    return;
  }

  std::string file;
  if (path) {
    file = *path;
  } else {
    StepResult step = g_lists.Step(forward, g_state.failedImageCount, s.ShuffleImagelist != 0,
                                   s.IndexOfLastImage, s.LastSeed);
    if (!step.path) {
      SetCrashFlag(0);
      return;
    }
    file = *step.path;
  }
  s.Save();

  if (IsFlash(file)) {
    const std::optional<std::string> page =
        MakeFlashPage(file, app.paths.flashPagePath, app.paths.programFolder, s);
    ChangeWallpaper(stampTime, forward, interactive, page);
    return;
  }
  if (IsDecodableImage(file) && !(IsBitmap(file) && s.PaperOrient != kOrientFit)) {
    g_state.ready = false;
    ShowWorking();
    if (!g_worker->StartLoadFile(file, app.mainWindow, WM_APP_IMAGE_LOADED)) {
      g_state.ready = true;
      ShowIdle();
      return;
    }
  } else {
    ShowWorking();
    const bool applied = ApplyWallpaperFile(file, s);
    ShowIdle();
    if (!applied) {
      SetCrashFlag(0);
      return;
    }
  }
  if (stampTime) s.LastRegularChange = NowSeconds();
  s.Save();
  SetCrashFlag(0);
}

void OnImageLoaded() {
  if (!g_worker) return;  // a late message after shutdown stopped the worker
  App& app = TheApp();
  const Settings& s = Live();
  if (g_worker->HasError()) {
    FreeInternetImage();
    ++g_state.failedImageCount;
    g_state.ready = true;
    ShowIdle();
    RetryInSameDirection();
    return;
  }
  g_state.failedImageCount = 0;
  bool locked = g_worker->LockImage();
  // The worker may still be finishing after it posted its message.
  for (int attempt = 0; !locked && attempt < 100; ++attempt) {
    Sleep(100);
    locked = g_worker->LockImage();
  }
  WorkerImage* image = locked ? g_worker->GetImage() : nullptr;
  if (!image || image->Empty()) {
    g_worker->UnlockImage();
    EndChange();
    g_worker->ReleaseImage();
    FreeInternetImage();
    return;
  }
  bool started;
  if (s.PaperOrient == kOrientFit || image->ImageSize() > kLargeImageBytes) {
    const image::FitSize fit = image::FitToScreen(GetSystemMetrics(SM_CXSCREEN),
                                                  GetSystemMetrics(SM_CYSCREEN), image->Width(), image->Height());
    g_worker->UnlockImage();
    started = g_worker->StartResize(fit.width, fit.height, kFitFilter, app.mainWindow, WM_APP_IMAGE_RESIZED);
  } else {
    g_worker->UnlockImage();
    started = g_worker->StartSave(app.paths.wallpaperBitmapPath, "bmp", app.mainWindow, WM_APP_IMAGE_SAVED);
  }
  if (!started) {
    FreeInternetImage();
    EndChange();
  }
}

void OnImageResized() {
  if (!g_worker) return;  // a late message after shutdown stopped the worker
  App& app = TheApp();
  if (g_worker->HasError()) {
    EndChange();
    FreeInternetImage();
    g_worker->ReleaseImage();
    return;
  }
  if (!g_worker->StartSave(app.paths.wallpaperBitmapPath, "bmp", app.mainWindow, WM_APP_IMAGE_SAVED)) {
    FreeInternetImage();
    EndChange();
  }
}

void OnImageSaved() {
  if (!g_worker) return;  // a late message after shutdown stopped the worker
  App& app = TheApp();
  if (g_worker->HasError()) {
    if (g_logger) g_logger->WriteAt("WallpaperChanger", __LINE__, "Couldn't save wallpaper image! Probably out of disk space.", kLogError);
    SetErrorFlag(1);
    ShowStatus("Error changing wallpaper!\nMay be out of disk space.", true, 8000, kStatusClickNone);
  }
  g_state.endOfResultsCount = 0;
  ApplyWallpaperBitmap(app.paths.wallpaperBitmapPath, Live());
  g_worker->ReleaseImage();
  FreeInternetImage();
  EndChange();
}

void NextImageCommand(bool hotKey) {
  if (IsWorking()) {
    ShowStatus(kInProgress, false, 4000, kStatusClickNone);
    return;
  }
  if (hotKey)
    ShowStatus(Live().GetImageFromInternet ? "Downloading next wallpaper\nPlease wait..."
                                           : "Loading next wallpaper\nPlease wait...",
               false, 2000, kStatusClickNone);
  ChangeWallpaper(false, true, true);
}

void PreviousImageCommand(bool hotKey) {
  if (IsWorking()) {
    ShowStatus(kInProgress, false, 4000, kStatusClickNone);
    return;
  }
  if (hotKey) ShowStatus("Loading previous wallpaper\nPlease wait...", false, 2000, kStatusClickNone);
  ChangeWallpaper(false, false, true);
}

void SaveWallpaperCommand(bool hotKey) {
  if (!Live().GetImageFromInternet) return;
  if (hotKey && IsWorking()) {
    ShowStatus("Unable to save while change is in progress.", true, 4000, kStatusClickNone);
    return;
  }
  // Saving needs an open search of the plug-in, which arrives with the internet source.
}

void BlockImageCommand() {
  // Blocking needs an open search of the plug-in, which arrives with the internet source.
}

void BlankOrRestoreCommand() {
  App& app = TheApp();
  const Settings& s = Live();
  const std::string lastEntry = g_lists.CurrentImage(s.IndexOfLastImage).value_or(std::string());
  const std::string target = RestoreTarget(s.GetImageFromInternet, app.paths.wallpaperBitmapPath, lastEntry);
  BlankOrRestore([target] { ChangeWallpaper(false, true, true, target); });
}
