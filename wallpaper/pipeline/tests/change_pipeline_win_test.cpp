// The change pipeline on its own under Wine, with a scripted picture source,
// a recording listener and status sink: one change at a time, failures that
// end instead of looping, and restore without a usable entry.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/tests/temp_dir.h"
#include "wallpaper/desktop/desktop_values.h"
#include "wallpaper/pipeline/change_pipeline_win.h"

namespace {

// A list of files that behaves like the image list: it wraps, and offers
// nothing once as many pictures failed in a row as it holds.
class ScriptedSource final : public ImageSource {
 public:
  std::optional<std::string> NextFile(bool forward, int32_t failedInARow) override {
    ++asked;
    forwards.push_back(forward);
    if (files.empty() || failedInARow >= static_cast<int32_t>(files.size())) return std::nullopt;
    return files[next++ % files.size()];
  }
  std::optional<std::string> CurrentFile() const override { return current; }

  std::vector<std::string> files;
  std::optional<std::string> current;
  size_t next = 0;
  int asked = 0;
  std::vector<bool> forwards;
};

struct RecordingListener final : ChangeListener {
  void OnChangeStarted() override { events += "S"; }
  void OnChangeEnded() override { events += "E"; }
  std::string events;
};

struct RecordingStatus final : StatusSink {
  void ShowStatus(const std::string& text, bool, int32_t, uint32_t) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

std::string SolidBmp(int width, int height, uint8_t value) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t size = 54 + stride * height;
  std::string f(size, static_cast<char>(value));
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (8 * i));
  };
  std::fill(f.begin(), f.begin() + 54, '\0');
  f[0] = 'B';
  f[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  f[26] = 1;
  f[28] = 24;
  return f;
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 20000) {
  const ULONGLONG end = GetTickCount64() + limitMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

std::string DesktopWallpaper() {
  char text[MAX_PATH * 2] = {};
  DWORD size = sizeof text;
  RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", RRF_RT_REG_SZ, nullptr, text, &size);
  return text;
}

class ChangePipelineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    live.GetImageFromInternet = false;
    live.PaperOrient = kOrientFit;
    paths.wallpaperBitmapPath = dir.File("wallpaper.bmp");
    paths.flashPagePath = dir.File("flash.htm");
    paths.programFolder = dir.File("") ;
  }
  ChangePipeline& Pipeline() {
    if (!pipeline) pipeline = std::make_unique<ChangePipeline>(live, paths, source, listener, status, dispatcher);
    return *pipeline;
  }

  TempDir dir;
  Settings live;
  PipelinePaths paths;
  ScriptedSource source;
  RecordingListener listener;
  RecordingStatus status;
  UiDispatcher dispatcher;
  std::unique_ptr<ChangePipeline> pipeline;
};

TEST_F(ChangePipelineTest, OneChangeAtATimeReportedOnceAtStartAndEnd) {
  WriteWholeFile(dir.File("a.bmp"), SolidBmp(64, 40, 0x40));
  source.files = {dir.File("a.bmp")};
  ChangePipeline& p = Pipeline();
  p.ChangeWallpaper(false, true, true);
  EXPECT_TRUE(p.ChangeRunning());
  EXPECT_EQ(listener.events, "S");
  // A second request while the first runs does nothing, and the command says so.
  p.ChangeWallpaper(false, true, true);
  p.NextImageCommand(true);
  EXPECT_EQ(source.asked, 1);
  ASSERT_EQ(status.shown.size(), 1u);
  EXPECT_EQ(status.shown[0], "Wallpaper change already in progress. Please wait...");
  ASSERT_TRUE(PumpUntil([&] { return !p.ChangeRunning(); }));
  EXPECT_EQ(listener.events, "SE");
  EXPECT_FALSE(ReadWholeFile(paths.wallpaperBitmapPath, true).empty());
}

TEST_F(ChangePipelineTest, ACorruptPictureIsSkippedInTheSameDirection) {
  WriteWholeFile(dir.File("bad.jpg"), "not a picture");
  WriteWholeFile(dir.File("good.bmp"), SolidBmp(32, 32, 0x80));
  source.files = {dir.File("bad.jpg"), dir.File("good.bmp")};
  ChangePipeline& p = Pipeline();
  p.ChangeWallpaper(false, false, true);
  ASSERT_TRUE(PumpUntil([&] { return !p.ChangeRunning() && source.asked == 2; }));
  ASSERT_TRUE(PumpUntil([&] { return !p.ChangeRunning(); }));
  EXPECT_EQ(source.forwards, (std::vector<bool>{false, false}));
  EXPECT_EQ(listener.events, "SESE");
  EXPECT_FALSE(ReadWholeFile(paths.wallpaperBitmapPath, true).empty());
}

TEST_F(ChangePipelineTest, MoviesWhosePageCannotBeWrittenEndTheChangeAfterOneTryEach) {
  paths.flashPagePath = dir.File("no\\such\\folder\\flash.htm");
  source.files = {dir.File("a.swf"), dir.File("b.swf"), dir.File("c.swf")};
  ChangePipeline& p = Pipeline();
  p.ChangeWallpaper(false, true, true);
  EXPECT_FALSE(p.ChangeRunning());
  EXPECT_EQ(source.asked, 4) << "each movie once, then the list has nothing left";
  EXPECT_EQ(listener.events, "");
  // An explicit movie whose page fails ends at once as well.
  source.asked = 0;
  p.ChangeWallpaper(false, true, true, dir.File("d.swf"));
  EXPECT_EQ(source.asked, 0);
  EXPECT_FALSE(p.ChangeRunning());
}

TEST_F(ChangePipelineTest, RestoreWithoutAUsableEntryTakesTheNextOne) {
  live.PaperOrient = kOrientCenter;
  WriteWholeFile(dir.File("next.bmp"), SolidBmp(16, 16, 0x20));
  source.files = {dir.File("next.bmp")};
  source.current = std::nullopt;
  ChangePipeline& p = Pipeline();
  // Blank first (whatever the desktop shows), so that the second call restores.
  p.BlankOrRestoreCommand();
  if (!DesktopWallpaper().empty() && DesktopWallpaper() != " ") p.BlankOrRestoreCommand();
  source.asked = 0;
  p.BlankOrRestoreCommand();
  EXPECT_EQ(source.asked, 1) << "restore asked the source for its next picture";
  EXPECT_EQ(DesktopWallpaper(), dir.File("next.bmp"));
}

TEST_F(ChangePipelineTest, StopDuringAChangeEndsItAndNothingIsAppliedLater) {
  WriteWholeFile(dir.File("big.bmp"), SolidBmp(1600, 1200, 0x10));
  source.files = {dir.File("big.bmp")};
  ChangePipeline& p = Pipeline();
  p.ChangeWallpaper(false, true, true);
  ASSERT_TRUE(p.ChangeRunning());
  p.Stop();
  EXPECT_FALSE(p.ChangeRunning());
  EXPECT_EQ(listener.events, "SE");
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(listener.events, "SE");
  p.Stop();  // twice is harmless
  p.ChangeWallpaper(false, true, true);
  EXPECT_EQ(listener.events, "SE");
}

}  // namespace
