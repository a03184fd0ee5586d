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

bool CImageLoadingThread::Begin(Operation op, State busyState, HWND window, UINT message) {
  hasError = false;
  operation = op;
  state = busyState;
  notifyWindow = window;
  notifyMessage = message;
  if (!Start() || !ResumeWithPriority(priority)) {
    state = kIdle;
    Stop();
    return false;
  }
  return true;
}

bool CImageLoadingThread::StartLoadFile(const std::string& file, HWND window, UINT message) {
  if (IsBusy()) return false;
  path = file;
  memoryImage = nullptr;
  return Begin(kLoad, kLoading, window, message);
}

bool CImageLoadingThread::StartLoadMemory(const ImageBytes* bytes, HWND window, UINT message) {
  if (IsBusy()) return false;
  memoryImage = bytes;
  return Begin(kLoad, kLoading, window, message);
}

bool CImageLoadingThread::StartResize(int width, int height, int filter, HWND window, UINT message) {
  if (IsBusy()) return false;
  targetWidth = width;
  targetHeight = height;
  resizeFilter = filter;
  return Begin(kResize, kResizing, window, message);
}

bool CImageLoadingThread::StartSave(const std::string& file, const std::string& type, HWND window,
                                    UINT message) {
  if (IsBusy()) return false;
  path = file;
  fileType = type;
  return Begin(kSave, kSaving, window, message);
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
  PostMessageA(notifyWindow, notifyMessage, 0, 0);
  return 0;
}
