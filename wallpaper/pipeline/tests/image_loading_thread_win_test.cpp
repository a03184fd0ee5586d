#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "support/tests/temp_dir.h"
#include "wallpaper/pipeline/image_loading_thread_win.h"
#include "wallpaper/pipeline/tests/solid_bmp.h"

namespace {

class ImageWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dispatcher.Valid()); }
  void TearDown() override { worker.reset(); }
  // A completion that counts its runs on the UI thread.
  CImageLoadingThread::Completion Done() {
    return [this] {
      ++completions;
      EXPECT_EQ(GetCurrentThreadId(), uiThread);
    };
  }
  // Waits for the worker's completion (the only way it reports), exactly once.
  bool WaitForDone() {
    const int wanted = seen + 1;
    const ULONGLONG end = GetTickCount64() + 20000;
    MSG msg;
    while (GetTickCount64() < end && completions < wanted) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      if (completions < wanted) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    seen = completions;
    return completions == wanted;
  }
  std::string Path(const std::string& name) { return dir.File(name); }

  TempDir dir;
  UiDispatcher dispatcher;
  const DWORD uiThread = GetCurrentThreadId();
  int completions = 0, seen = 0;
  std::unique_ptr<CImageLoadingThread> worker = std::make_unique<CImageLoadingThread>(dispatcher);
};

TEST_F(ImageWorkerTest, LoadResizeSaveChainWithTheHoldProtocol) {
  WriteWholeFile(Path("in.bmp"), SolidBmp(64, 48, 10, 20, 30));
  ASSERT_TRUE(worker->StartLoadFile(Path("in.bmp"), Done()));
  ASSERT_TRUE(WaitForDone());
  EXPECT_FALSE(worker->HasError());
  EXPECT_EQ(worker->CurrentState(), CImageLoadingThread::kLoaded);

  ASSERT_TRUE(worker->LockImage());
  WorkerImage* image = worker->GetImage();
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Width(), 64);
  EXPECT_EQ(image->Height(), 48);
  EXPECT_EQ(image->ImageSize(), 64u * 3 * 48);
  // While the main thread holds the picture every start is refused and changes nothing.
  EXPECT_TRUE(worker->IsBusy());
  EXPECT_FALSE(worker->StartResize(32, 24, 2, Done()));
  EXPECT_FALSE(worker->ReleaseImage());
  EXPECT_EQ(worker->CurrentState(), CImageLoadingThread::kHeld);
  worker->UnlockImage();
  EXPECT_FALSE(worker->GetImage());

  ASSERT_TRUE(worker->StartResize(32, 24, 2, Done()));
  ASSERT_TRUE(WaitForDone());
  EXPECT_FALSE(worker->HasError());
  ASSERT_TRUE(worker->StartSave(Path("out.bmp"), "bmp", Done()));
  ASSERT_TRUE(WaitForDone());
  EXPECT_FALSE(worker->HasError());
  const std::string written = ReadWholeFile(Path("out.bmp"), true), expected = SolidBmp(32, 24, 10, 20, 30);
  ASSERT_EQ(written.size(), expected.size());
  EXPECT_EQ(written.substr(18, 8), expected.substr(18, 8));  // width and height
  EXPECT_TRUE(written.substr(54) == expected.substr(54)) << "pixels differ";
  EXPECT_TRUE(worker->ReleaseImage());
}

TEST_F(ImageWorkerTest, FailuresAreReportedByTheSameMessage) {
  const std::string bad[] = {"", "not a picture at all", std::string("\xFF\xD8\xFF\xE0", 4) + std::string(200, '\0'),
                             SolidBmp(40, 40, 1, 2, 3).substr(0, 300)};
  int i = 0;
  for (const std::string& bytes : bad) {
    const std::string file = Path("bad" + std::to_string(i++) + ".jpg");
    WriteWholeFile(file, bytes);
    ASSERT_TRUE(worker->StartLoadFile(file, Done()));
    ASSERT_TRUE(WaitForDone());
    EXPECT_TRUE(worker->HasError()) << i;
    EXPECT_FALSE(worker->IsBusy());
  }
  ASSERT_TRUE(worker->StartLoadFile(Path("missing.png"), Done()));
  ASSERT_TRUE(WaitForDone());
  EXPECT_TRUE(worker->HasError());
  // Saving into a folder that does not exist fails and leaves nothing behind.
  WriteWholeFile(Path("ok.bmp"), SolidBmp(8, 8, 1, 1, 1));
  ASSERT_TRUE(worker->StartLoadFile(Path("ok.bmp"), Done()));
  ASSERT_TRUE(WaitForDone());
  ASSERT_TRUE(worker->StartSave(Path("no\\such\\folder\\x.bmp"), "bmp", Done()));
  ASSERT_TRUE(WaitForDone());
  EXPECT_TRUE(worker->HasError());
}

TEST_F(ImageWorkerTest, MemoryImagesLoadAndTheWorkerCanBeDestroyedAtAnyTime) {
  const std::string bmp = SolidBmp(16, 16, 200, 100, 50);
  ImageBytes bytes{reinterpret_cast<const uint8_t*>(bmp.data()), static_cast<uint32_t>(bmp.size())};
  ASSERT_TRUE(worker->StartLoadMemory(&bytes, Done()));
  ASSERT_TRUE(WaitForDone());
  EXPECT_FALSE(worker->HasError());
  ASSERT_TRUE(worker->LockImage());
  EXPECT_EQ(worker->GetImage()->Width(), 16);
  worker->UnlockImage();
  // Destroying a worker in the middle of an operation joins it cleanly.
  ASSERT_TRUE(worker->StartResize(1600, 1600, 2, Done()));
  worker.reset();
}

}  // namespace
