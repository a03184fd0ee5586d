#pragma once
// The internet search as the change pipeline sees it. The plug-in binding
// implements the source; the pipeline implements the sink through which the
// answers come back later, on the UI thread.
#include <cstdint>

#include "wallpaper/pipeline/image_loading_thread_win.h"

class InternetImageSink {
 public:
  virtual ~InternetImageSink() = default;
  // The picture asked for has arrived; its bytes stay valid until the
  // pipeline calls InternetImageSource::ReleaseImage.
  virtual void OnInternetImage(const ImageBytes& image) = 0;
  // The request ended without a picture (the user has been told why).
  virtual void OnInternetRequestEnded() = 0;
  // The results started again from the first one.
  virtual void OnEndOfResults() = 0;
};

class InternetImageSource {
 public:
  virtual ~InternetImageSource() = default;
  // Asks the search for the next or previous picture. True: the answer comes
  // later through the sink. False: nothing was asked (the user has been told).
  virtual bool RequestImage(bool forward) = 0;
  // The bytes of the last picture delivered are no longer needed.
  virtual void ReleaseImage() = 0;
  // A search is open (blocking and saving need one).
  virtual bool HasSearch() const = 0;
  // The engine announces no picture sizes, so the pipeline checks decoded
  // pictures against the size filter itself.
  virtual bool NeedsSizeCheck() const = 0;
  // Saves the picture on show where the user wants it; true when written.
  virtual bool SaveCurrentImage() = 0;
  // Asks the user, then blocks the picture on show; true when blocked.
  virtual bool BlockCurrentImage() = 0;
};
