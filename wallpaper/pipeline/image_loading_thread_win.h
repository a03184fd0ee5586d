#pragma once
// The image worker: loads, scales and saves one picture at a time off the main
// thread and reports each finished step on the UI thread through the dispatcher.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "support/dispatch/ui_dispatcher_win.h"
#include "support/thread/thread_win.h"
#include "wallpaper/pipeline/worker_image.h"

// Bytes of an image delivered in memory (the plug-in's image record).
struct ImageBytes {
  const uint8_t* bytes = nullptr;
  uint32_t size = 0;
};

class CImageLoadingThread : public cThread {
 public:
  enum State : int32_t { kIdle = 0, kLoading, kLoaded, kResizing, kResized, kSaving, kSaved, kHeld };
  enum Operation : int32_t { kLoad = 0, kResize = 1, kSave = 2 };

  // Runs on the UI thread once an operation has finished (or failed).
  using Completion = std::function<void()>;

  explicit CImageLoadingThread(UiDispatcher& dispatcher) : dispatcher(dispatcher) {}
  ~CImageLoadingThread() override;

  // Each start returns false and changes nothing while the worker is busy.
  bool StartLoadFile(const std::string& path, Completion done);
  bool StartLoadMemory(const ImageBytes* image, Completion done);
  bool StartResize(int width, int height, int filter, Completion done);
  bool StartSave(const std::string& path, const std::string& fileType, Completion done);

  bool IsBusy() const;
  bool HasError() const { return hasError.load(); }
  // Hands the picture to the main thread until UnlockImage.
  bool LockImage();
  WorkerImage* GetImage() { return imageHeld ? &image : nullptr; }
  void UnlockImage() { imageHeld = false; }
  bool ReleaseImage();
  // THREAD_PRIORITY_NORMAL for changes the user asked for, IDLE for scheduled ones.
  void SetPriority(int value) { priority = value; }
  int32_t CurrentState() const { return state.load(); }

 protected:
  uint32_t Run() override;

 private:
  bool Begin(Operation op, State busyState, Completion done);
  bool BusyState() const;

  std::atomic<bool> hasError{false};
  bool imageHeld = false;
  Operation operation = kLoad;
  std::atomic<int32_t> state{kIdle};
  UiDispatcher& dispatcher;
  Completion completion;
  int32_t targetWidth = 0, targetHeight = 0;
  int32_t resizeFilter = 2;
  int priority = THREAD_PRIORITY_IDLE;
  // Copies, so that the caller's strings may go away while the worker runs.
  std::string path;
  std::string fileType;
  WorkerImage image;
  const ImageBytes* memoryImage = nullptr;
};
