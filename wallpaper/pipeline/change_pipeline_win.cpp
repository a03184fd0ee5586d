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
  FreeInternetImage();
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
    ChangeFromInternet(stampTime, forward, interactive);
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

void ChangePipeline::ChangeFromInternet(bool stampTime, bool forward, bool interactive) {
  // A movie address is shown through its page, like a movie in the list.
  if (live.EngineIndex == 0 && IsFlash(live.InternetString)) {
    if (std::optional<std::string> page =
            MakeFlashPage(live.InternetString, paths.flashPagePath, paths.programFolder, live)) {
      ChangeWallpaper(stampTime, forward, interactive, *page);
      return;
    }
    SF_LOG(kLogError, "Could not write the page for " + live.InternetString);
    SetCrashFlag(0);
    return;
  }
  if (!internet) {
    SF_LOG(kLogError, "Internet source is not available");
    SetCrashFlag(0);
    return;
  }
  BeginChange();
  if (!internet->RequestImage(forward)) {
    EndChange();
    return;
  }
  // The crash flag stays set until the plug-in's answer has been handled.
  if (stampTime) live.LastRegularChange = NowSeconds();
  live.Save();
}

void ChangePipeline::OnInternetImage(const ImageBytes& image) {
  internetImage = image;
  internetImageHeld = true;
  // An answer after the change was given up (the search was stopped) has no change to finish.
  if (!running || !worker) {
    FreeInternetImage();
    return;
  }
  if (!worker->StartLoadMemory(&internetImage, [this] { OnImageLoaded(); })) {
    FreeInternetImage();
    EndChange();
  }
}

void ChangePipeline::OnInternetRequestEnded() {
  if (running) EndChange();
}

void ChangePipeline::FreeInternetImage() {
  if (!internetImageHeld) return;
  internetImageHeld = false;
  internetImage = {};
  if (internet) internet->ReleaseImage();
}

bool ChangePipeline::FailsSizeFilter(uint32_t width, uint32_t height) const {
  if (live.FilterType == 1) return width < live.MinImageWidth || height < live.MinImageHeight;
  if (live.FilterType == 2) return static_cast<uint64_t>(width) * height < live.MinPixels;
  return false;
}

void ChangePipeline::RetryOrGiveUp(bool wasInternet) {
  if (wasInternet && (endOfResultsCount > 1 || ++rejectedInARow >= kMaxRejectedInARow)) {
    rejectedInARow = 0;
    EndChange();
    status.ShowStatus(kNoResults, true, 8000, kStatusClickOpenInternetSettings);
    return;
  }
  running = false;
  listener.OnChangeEnded();
  RetryInSameDirection();
}

void ChangePipeline::OnImageLoaded() {
  if (!worker) return;
  const bool wasInternet = internetImageHeld;
  if (worker->HasError()) {
    FreeInternetImage();
    ++failedImageCount;
    RetryOrGiveUp(wasInternet);
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
  // Engines that announce no sizes leave the filter to the decoded picture.
  if (wasInternet && live.GetImageFromInternet && live.FilterType != 0 && internet && internet->HasSearch() &&
      internet->NeedsSizeCheck() && FailsSizeFilter(static_cast<uint32_t>(image->Width()), static_cast<uint32_t>(image->Height()))) {
    SF_LOG(kLogInfo, "Internet image is smaller than the filter allows");
    FreeInternetImage();
    worker->UnlockImage();
    worker->ReleaseImage();
    RetryOrGiveUp(true);
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

void ChangePipeline::SkipUndecodablePicture() {
  const bool wasInternet = internetImageHeld;
  worker->ReleaseImage();
  FreeInternetImage();
  ++failedImageCount;
  RetryOrGiveUp(wasInternet);
}

bool ChangePipeline::PictureWasLost() {
  WorkerImage* image = worker->LockImage() ? worker->GetImage() : nullptr;
  const bool lost = image && image->Empty();
  worker->UnlockImage();
  return lost;
}

void ChangePipeline::OnImageResized() {
  if (!worker) return;
  // A picture whose compressed data is damaged fails only when its rows are
  // decoded, which is here: it is skipped like one that did not load.
  if (worker->HasError()) {
    SkipUndecodablePicture();
    return;
  }
  if (!worker->StartSave(paths.wallpaperBitmapPath, "bmp", [this] { OnImageSaved(); })) {
    FreeInternetImage();
    EndChange();
  }
}

void ChangePipeline::OnImageSaved() {
  if (!worker) return;
  // Unscaled pictures are decoded while they are written: damaged data shows
  // as a failed save that has lost the picture, not as a full disk.
  if (worker->HasError() && PictureWasLost()) {
    SkipUndecodablePicture();
    return;
  }
  if (worker->HasError()) {
    if (g_logger)
      g_logger->WriteAt("WallpaperChanger", __LINE__, "Couldn't save wallpaper image! Probably out of disk space.",
                        kLogError);
    SetErrorFlag(live, 1);
    status.ShowStatus("Error changing wallpaper!\nMay be out of disk space.", true, 8000, kStatusClickNone);
  }
  endOfResultsCount = 0;
  rejectedInARow = 0;
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
  // While a change runs the plug-in may already hold the next picture: saving
  // now could write the wrong one.
  if (running) {
    if (hotKey) status.ShowStatus("Unable to save while change is in progress.", true, 4000, kStatusClickNone);
    return;
  }
  if (internet && internet->SaveCurrentImage() && hotKey)
    status.ShowStatus("Wallpaper Saved", true, 2000, kStatusClickNone);
}

void ChangePipeline::BlockImageCommand() {
  if (!internet || !internet->HasSearch()) return;
  // The same holds for blocking: the picture on show may not be the search's current one.
  if (running) {
    status.ShowStatus(kInProgress, false, 4000, kStatusClickNone);
    return;
  }
  if (internet->BlockCurrentImage()) ChangeWallpaper(false, true, true);
}

void ChangePipeline::BlankOrRestoreCommand() {
  const std::string last =
      RestoreTarget(live.GetImageFromInternet, paths.wallpaperBitmapPath, local.CurrentFile().value_or(""));
  // Without a usable entry there is no file to restore: the change takes the next one.
  const std::optional<std::string> target = last.empty() ? std::nullopt : std::optional<std::string>(last);
  BlankOrRestore([this, target] { ChangeWallpaper(false, true, true, target); });
}
