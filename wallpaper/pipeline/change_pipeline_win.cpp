#include "wallpaper/pipeline/change_pipeline_win.h"

#include <windows.h>

#include "imagelist/extensions.h"
#include "settings/flags_win.h"
#include "support/localtime.h"
#include "support/log/log.h"
#include "wallpaper/desktop/desktop_values.h"
#include "wallpaper/desktop/desktop_win.h"
#include "wallpaper/image/fit.h"

namespace {

constexpr size_t kLargeImageBytes = 10000000;
constexpr int kFitFilter = 2;
constexpr const char* kInProgress = "Wallpaper change already in progress. Please wait...";
constexpr const char* kNoResults = "No results match the filter. Try changing filter options.";

}  // namespace

ChangePipeline::ChangePipeline(Settings& live, PipelinePaths paths, ImageSource& local, ChangeListener& listener,
                               StatusSink& status, UiDispatcher& dispatcher)
    : live(live),
      paths(std::move(paths)),
      local(local),
      listener(listener),
      status(status),
      worker(std::make_unique<CImageLoadingThread>(dispatcher)) {}

ChangePipeline::~ChangePipeline() { Stop(); }

void ChangePipeline::Stop() {
  // Joins the worker; its completion is refused by the closed dispatcher or
  // finds no worker here, so nothing is applied afterwards.
  worker.reset();
  if (running) {
    running = false;
    listener.OnChangeEnded();
  }
}

void ChangePipeline::BeginChange() {
  running = true;
  listener.OnChangeStarted();
}

void ChangePipeline::EndChange() {
  running = false;
  listener.OnChangeEnded();
  SetCrashFlag(0);
  SF_LOG(kLogInfo, "Wallpaper change finished");
}

void ChangePipeline::RetryInSameDirection() { ChangeWallpaper(false, lastForward, lastInteractive); }

std::optional<std::string> ChangePipeline::ResolveFile(bool forward, const std::optional<std::string>& path) {
  // Each entry is tried at most once: a list of movies whose page cannot be
  // written ends here instead of asking for the next entry for ever.
  for (;;) {
    std::optional<std::string> file = path ? path : local.NextFile(forward, failedImageCount);
    if (!file || file->empty()) return std::nullopt;
    if (!IsFlash(*file)) return file;
    if (std::optional<std::string> page = MakeFlashPage(*file, paths.flashPagePath, paths.programFolder, live))
      return page;
    SF_LOG(kLogError, "Could not write the page for " + *file);
    if (path) return std::nullopt;
    ++failedImageCount;
  }
}

void ChangePipeline::ChangeWallpaper(bool stampTime, bool forward, bool interactive,
                                     const std::optional<std::string>& path) {
  lastForward = forward;
  lastInteractive = interactive;
  if (endOfResultsCount > 1) {
    status.ShowStatus(kNoResults, true, 8000, kStatusClickOpenInternetSettings);
    return;
  }
  if (!worker) return;
  worker->SetPriority(interactive ? THREAD_PRIORITY_NORMAL : THREAD_PRIORITY_IDLE);
  SetCrashFlag(1);
  if (running) return;

  if (live.GetImageFromInternet && !path) {
    // The internet source arrives with the plug-in; until then nothing is fetched.
    SF_LOG(kLogError, "Internet source is not available");
    SetCrashFlag(0);
    return;
  }

  const std::optional<std::string> file = ResolveFile(forward, path);
  if (!file) {
    if (failedImageCount > 0) SF_LOG(kLogError, "No usable picture in the image list");
    SetCrashFlag(0);
    return;
  }
  live.Save();

  if (IsDecodableImage(*file) && !(IsBitmap(*file) && live.PaperOrient != kOrientFit)) {
    BeginChange();
    if (!worker->StartLoadFile(*file, [this] { OnImageLoaded(); })) {
      EndChange();
      return;
    }
  } else {
    BeginChange();
    const bool applied = ApplyWallpaperFile(*file, live);
    running = false;
    listener.OnChangeEnded();
    if (!applied) {
      SetCrashFlag(0);
      return;
    }
    failedImageCount = 0;
  }
  if (stampTime) live.LastRegularChange = NowSeconds();
  live.Save();
  SetCrashFlag(0);
}

void ChangePipeline::OnImageLoaded() {
  if (!worker) return;
  if (worker->HasError()) {
    FreeInternetImage();
    ++failedImageCount;
    running = false;
    listener.OnChangeEnded();
    RetryInSameDirection();
    return;
  }
  failedImageCount = 0;
  // The worker marks itself done before it reports, so the picture can be had now.
  WorkerImage* image = worker->LockImage() ? worker->GetImage() : nullptr;
  if (!image || image->Empty()) {
    worker->UnlockImage();
    EndChange();
    worker->ReleaseImage();
    FreeInternetImage();
    return;
  }
  bool started;
  if (live.PaperOrient == kOrientFit || image->ImageSize() > kLargeImageBytes) {
    const image::FitSize fit =
        image::FitToScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), image->Width(), image->Height());
    worker->UnlockImage();
    started = worker->StartResize(fit.width, fit.height, kFitFilter, [this] { OnImageResized(); });
  } else {
    worker->UnlockImage();
    started = worker->StartSave(paths.wallpaperBitmapPath, "bmp", [this] { OnImageSaved(); });
  }
  if (!started) {
    FreeInternetImage();
    EndChange();
  }
}

void ChangePipeline::OnImageResized() {
  if (!worker) return;
  if (worker->HasError()) {
    EndChange();
    FreeInternetImage();
    worker->ReleaseImage();
    return;
  }
  if (!worker->StartSave(paths.wallpaperBitmapPath, "bmp", [this] { OnImageSaved(); })) {
    FreeInternetImage();
    EndChange();
  }
}

void ChangePipeline::OnImageSaved() {
  if (!worker) return;
  if (worker->HasError()) {
    if (g_logger)
      g_logger->WriteAt("WallpaperChanger", __LINE__, "Couldn't save wallpaper image! Probably out of disk space.",
                        kLogError);
    SetErrorFlag(live, 1);
    status.ShowStatus("Error changing wallpaper!\nMay be out of disk space.", true, 8000, kStatusClickNone);
  }
  endOfResultsCount = 0;
  ApplyWallpaperBitmap(paths.wallpaperBitmapPath, live);
  worker->ReleaseImage();
  FreeInternetImage();
  EndChange();
}

void ChangePipeline::NextImageCommand(bool hotKey) {
  if (running) {
    status.ShowStatus(kInProgress, false, 4000, kStatusClickNone);
    return;
  }
  if (hotKey)
    status.ShowStatus(live.GetImageFromInternet ? "Downloading next wallpaper\nPlease wait..."
                                                : "Loading next wallpaper\nPlease wait...",
                      false, 2000, kStatusClickNone);
  ChangeWallpaper(false, true, true);
}

void ChangePipeline::PreviousImageCommand(bool hotKey) {
  if (running) {
    status.ShowStatus(kInProgress, false, 4000, kStatusClickNone);
    return;
  }
  if (hotKey) status.ShowStatus("Loading previous wallpaper\nPlease wait...", false, 2000, kStatusClickNone);
  ChangeWallpaper(false, false, true);
}

void ChangePipeline::SaveWallpaperCommand(bool hotKey) {
  if (!live.GetImageFromInternet) return;
  if (hotKey && running) {
    status.ShowStatus("Unable to save while change is in progress.", true, 4000, kStatusClickNone);
    return;
  }
  // Saving needs an open search of the plug-in, which arrives with the internet source.
}

void ChangePipeline::BlockImageCommand() {
  // Blocking needs an open search of the plug-in, which arrives with the internet source.
}

void ChangePipeline::BlankOrRestoreCommand() {
  const std::string last =
      RestoreTarget(live.GetImageFromInternet, paths.wallpaperBitmapPath, local.CurrentFile().value_or(""));
  // Without a usable entry there is no file to restore: the change takes the next one.
  const std::optional<std::string> target = last.empty() ? std::nullopt : std::optional<std::string>(last);
  BlankOrRestore([this, target] { ChangeWallpaper(false, true, true, target); });
}
