#pragma once
// The one wallpaper change operation and the user commands that drive it.
// It owns "a change is running"; the tray hears of it through ChangeListener.
// Main thread only.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "settings/settings.h"
#include "support/dispatch/ui_dispatcher_win.h"
#include "support/status_sink.h"
#include "wallpaper/pipeline/change_listener.h"
#include "wallpaper/pipeline/image_loading_thread_win.h"
#include "wallpaper/pipeline/image_source.h"
#include "wallpaper/pipeline/internet_image_source.h"

// The files a change writes and the folder the flash page refers to.
struct PipelinePaths {
  std::string wallpaperBitmapPath;
  std::string flashPagePath;
  std::string programFolder;
};

class ChangePipeline final : public InternetImageSink {
 public:
  // `local` is the picture source while the internet source is off. Every
  // reference must outlive the pipeline.
  ChangePipeline(Settings& live, PipelinePaths paths, ImageSource& local, ChangeListener& listener,
                 StatusSink& status, UiDispatcher& dispatcher);
  ~ChangePipeline() override;
  ChangePipeline(const ChangePipeline&) = delete;
  ChangePipeline& operator=(const ChangePipeline&) = delete;

  // The picture source while the internet source is on; without one nothing
  // is fetched. It must outlive the pipeline, or be detached (null) first.
  void AttachInternetSource(InternetImageSource* source) { internet = source; }

  // Every change goes through here: the next picture of the source, or an
  // explicit file. `stampTime`: a scheduled change (stamps LastRegularChange);
  // `interactive`: the user asked (the worker runs at normal priority).
  void ChangeWallpaper(bool stampTime, bool forward, bool interactive,
                       const std::optional<std::string>& path = std::nullopt);

  // Commands (menu entries and hot keys); `hotKey` selects the hot-key messages.
  void NextImageCommand(bool hotKey);
  void PreviousImageCommand(bool hotKey);
  void SaveWallpaperCommand(bool hotKey);
  void BlockImageCommand();
  // Blank or restore the wallpaper (the caller then pauses or toggles changing).
  void BlankOrRestoreCommand();

  bool ChangeRunning() const { return running; }
  // Settings were applied: forget earlier wraps of the search results.
  void ResetEndOfResultsCount() {
    endOfResultsCount = 0;
    rejectedInARow = 0;
  }
  // Stops the image worker; a change in flight ends without applying. Safe twice.
  void Stop();

  // InternetImageSink.
  void OnInternetImage(const ImageBytes& image) override;
  void OnInternetRequestEnded() override;
  void OnEndOfResults() override { ++endOfResultsCount; }

  // Internet pictures that failed to decode or were too small, in a row,
  // after which a change gives up instead of asking the search again: a
  // single address whose picture never fits would otherwise be fetched for ever.
  static constexpr int32_t kMaxRejectedInARow = 10;

 private:
  void BeginChange();
  void EndChange();
  void RetryInSameDirection();
  // The file the change shows; the flash page stands in for a movie. Nothing
  // when the source has no usable entry left.
  std::optional<std::string> ResolveFile(bool forward, const std::optional<std::string>& path);
  void OnImageLoaded();
  void OnImageResized();
  void OnImageSaved();
  void FreeInternetImage();
  void ChangeFromInternet(bool stampTime, bool forward, bool interactive);
  // After an internet picture was refused: ask again, or give up with the filter message.
  void RetryOrGiveUp(bool wasInternet);
  bool FailsSizeFilter(uint32_t width, uint32_t height) const;
  // The worker's step failed because the picture's data could not be decoded.
  void SkipUndecodablePicture();
  // After a failed step: the worker no longer holds a picture.
  bool PictureWasLost();

  Settings& live;
  const PipelinePaths paths;
  ImageSource& local;
  InternetImageSource* internet = nullptr;
  ChangeListener& listener;
  StatusSink& status;
  std::unique_ptr<CImageLoadingThread> worker;

  bool running = false;
  bool lastForward = true;
  bool lastInteractive = false;
  int32_t failedImageCount = 0;
  int32_t endOfResultsCount = 0;
  int32_t rejectedInARow = 0;
  // The plug-in's bytes of the picture being loaded; the worker reads them
  // until the load ends, and they go back to the plug-in after the change.
  ImageBytes internetImage;
  bool internetImageHeld = false;
};
