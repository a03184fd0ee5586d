#include "wallpaper/pipeline/image_loading_thread_win.h"

CImageLoadingThread::~CImageLoadingThread() {
  // Run touches this object's members, which are gone once the base destructor runs.
  Stop();
}

bool CImageLoadingThread::BusyState() const {
  const int32_t s = state.load();
  return s == kLoading || s == kResizing || s == kSaving;
}

bool CImageLoadingThread::IsBusy() const { return BusyState() || IsRunning() || imageHeld; }

bool CImageLoadingThread::Begin(Operation op, State busyState, Completion done) {
  hasError = false;
  operation = op;
  state = busyState;
  completion = std::move(done);
  if (!Start() || !ResumeWithPriority(priority)) {
    state = kIdle;
    Stop();
    return false;
  }
  return true;
}

bool CImageLoadingThread::StartLoadFile(const std::string& file, Completion done) {
  if (IsBusy()) return false;
  path = file;
  memoryImage = nullptr;
  return Begin(kLoad, kLoading, std::move(done));
}

bool CImageLoadingThread::StartLoadMemory(const ImageBytes* bytes, Completion done) {
  if (IsBusy()) return false;
  memoryImage = bytes;
  return Begin(kLoad, kLoading, std::move(done));
}

bool CImageLoadingThread::StartResize(int width, int height, int filter, Completion done) {
  if (IsBusy()) return false;
  targetWidth = width;
  targetHeight = height;
  resizeFilter = filter;
  return Begin(kResize, kResizing, std::move(done));
}

bool CImageLoadingThread::StartSave(const std::string& file, const std::string& type, Completion done) {
  if (IsBusy()) return false;
  path = file;
  fileType = type;
  return Begin(kSave, kSaving, std::move(done));
}

bool CImageLoadingThread::LockImage() {
  if (IsBusy()) return false;
  imageHeld = true;
  state = kHeld;
  return true;
}

bool CImageLoadingThread::ReleaseImage() {
  if (IsBusy()) return false;
  image.Release();
  return true;
}

uint32_t CImageLoadingThread::Run() {
  bool ok = false;
  State finished = kLoaded;
  // Decoders report failures as results; an allocation failure deep inside one
  // is the only exception expected here, and it too is a failed operation.
  try {
    switch (operation) {
      case kLoad:
        finished = kLoaded;
        if (memoryImage) {
          ok = image.LoadMemory(memoryImage->bytes, memoryImage->size);
          memoryImage = nullptr;
        } else {
          ok = image.LoadFile(path);
        }
        break;
      case kResize:
        finished = kResized;
        ok = image.Resize(targetWidth, targetHeight, resizeFilter);
        break;
      case kSave:
        finished = kSaved;
        // Only Windows bitmaps are ever written.
        ok = image.SaveBmp(path);
        break;
    }
  } catch (...) {
    ok = false;
  }
  hasError = !ok;
  state = finished;
  ClearRunning();
  // A refused post (the program is shutting down) frees the completion unrun.
  if (completion) dispatcher.Post(std::move(completion));
  return 0;
}
