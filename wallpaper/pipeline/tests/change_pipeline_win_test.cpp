// The change pipeline on its own under Wine, with a scripted picture source,
// a recording listener and status sink: one change at a time, failures that
// end instead of looping, and restore without a usable entry.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/tests/message_pump_win.h"
#include "support/tests/temp_dir.h"
#include "wallpaper/desktop/desktop_values.h"
#include "wallpaper/pipeline/change_pipeline_win.h"
#include "wallpaper/pipeline/tests/solid_bmp.h"

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
  WriteWholeFile(dir.File("a.bmp"), SolidBmp(64, 40, 0x40, 0x40, 0x40));
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
  ASSERT_TRUE(testpump::PumpUntil([&] { return !p.ChangeRunning(); }));
  EXPECT_EQ(listener.events, "SE");
  EXPECT_FALSE(ReadWholeFile(paths.wallpaperBitmapPath, true).empty());
}

TEST_F(ChangePipelineTest, ACorruptPictureIsSkippedInTheSameDirection) {
  WriteWholeFile(dir.File("bad.jpg"), "not a picture");
  WriteWholeFile(dir.File("good.bmp"), SolidBmp(32, 32, 0x80, 0x80, 0x80));
  source.files = {dir.File("bad.jpg"), dir.File("good.bmp")};
  ChangePipeline& p = Pipeline();
  p.ChangeWallpaper(false, false, true);
  ASSERT_TRUE(testpump::PumpUntil([&] { return !p.ChangeRunning() && source.asked == 2; }));
  ASSERT_TRUE(testpump::PumpUntil([&] { return !p.ChangeRunning(); }));
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
  WriteWholeFile(dir.File("next.bmp"), SolidBmp(16, 16, 0x20, 0x20, 0x20));
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
  WriteWholeFile(dir.File("big.bmp"), SolidBmp(1600, 1200, 0x10, 0x10, 0x10));
  source.files = {dir.File("big.bmp")};
  ChangePipeline& p = Pipeline();
  p.ChangeWallpaper(false, true, true);
  ASSERT_TRUE(p.ChangeRunning());
  p.Stop();
  EXPECT_FALSE(p.ChangeRunning());
  EXPECT_EQ(listener.events, "SE");
  testpump::PumpUntil([] { return false; }, 300);
  EXPECT_EQ(listener.events, "SE");
  p.Stop();  // twice is harmless
  p.ChangeWallpaper(false, true, true);
  EXPECT_EQ(listener.events, "SE");
}

}  // namespace

// An internet search that answers each request with the next of its scripted
// pictures (on the UI thread, later, as the plug-in's notification would).
class ScriptedInternet final : public InternetImageSource {
 public:
  explicit ScriptedInternet(UiDispatcher& dispatcher) : dispatcher(dispatcher) {}
  bool RequestImage(bool forward) override {
    ++requests;
    forwards.push_back(forward);
    if (!answer) return false;
    const std::string picture = pictures.empty() ? std::string() : pictures[std::min(next++, pictures.size() - 1)];
    dispatcher.Post([this, picture] {
      held = picture;
      ++delivered;
      if (sink) sink->OnInternetImage(ImageBytes{reinterpret_cast<const uint8_t*>(held.data()),
                                                 static_cast<uint32_t>(held.size())});
    });
    return true;
  }
  void ReleaseImage() override {
    ++released;
    held.clear();
  }
  bool HasSearch() const override { return true; }
  bool NeedsSizeCheck() const override { return sizeCheck; }
  bool SaveCurrentImage() override { return ++saves, true; }
  bool BlockCurrentImage() override { return ++blocks, true; }
  void Forget() {
    next = 0;
    requests = delivered = released = saves = blocks = 0;
    forwards.clear();
  }

  UiDispatcher& dispatcher;
  InternetImageSink* sink = nullptr;
  std::vector<std::string> pictures;
  size_t next = 0;
  std::string held;
  bool answer = true, sizeCheck = false;
  int requests = 0, delivered = 0, released = 0, saves = 0, blocks = 0;
  std::vector<bool> forwards;
};

class InternetPipelineTest : public ChangePipelineTest {
 protected:
  void SetUp() override {
    ChangePipelineTest::SetUp();
    live.GetImageFromInternet = true;
    live.EngineIndex = 1;
    live.FilterType = 1;
    live.MinImageWidth = 100;
    live.MinImageHeight = 100;
  }
  ChangePipeline& Connected() {
    ChangePipeline& p = Pipeline();
    p.AttachInternetSource(&internet);
    internet.sink = &p;
    return p;
  }
  ScriptedInternet internet{dispatcher};
};

TEST_F(InternetPipelineTest, ADeliveredPictureBecomesTheWallpaperAndGoesBackOnce) {
  internet.pictures = {SolidBmp(120, 120, 0x10, 0x20, 0x30)};
  ChangePipeline& p = Connected();
  p.PreviousImageCommand(false);
  EXPECT_TRUE(p.ChangeRunning()) << "the change waits for the plug-in's answer";
  ASSERT_TRUE(testpump::PumpUntil([&] { return !p.ChangeRunning(); }));
  EXPECT_EQ(internet.forwards, (std::vector<bool>{false}));
  EXPECT_EQ(internet.released, 1);
  EXPECT_EQ(listener.events, "SE");
  EXPECT_FALSE(ReadWholeFile(paths.wallpaperBitmapPath, true).empty());
}

TEST_F(InternetPipelineTest, PicturesThatNeverFitEndTheChangeWithTheFilterMessage) {
  const struct {
    const char* name;
    std::string picture;
    bool sizeCheck;
  } cases[] = {
      {"too small, engine without sizes", SolidBmp(50, 50, 1, 2, 3), true},
      {"not a picture", "<html>not a picture</html>", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    internet.Forget();
    internet.pictures = {c.picture};
    internet.sizeCheck = c.sizeCheck;
    status.shown.clear();
    ChangePipeline& p = Connected();
    p.ResetEndOfResultsCount();
    p.NextImageCommand(false);
    ASSERT_TRUE(testpump::PumpUntil([&] { return !p.ChangeRunning() && !status.shown.empty(); }));
    EXPECT_EQ(internet.requests, ChangePipeline::kMaxRejectedInARow) << "a bounded number of tries, then it stops";
    EXPECT_EQ(internet.released, internet.delivered) << "every refused picture went back";
    EXPECT_EQ(status.shown.back(), "No results match the filter. Try changing filter options.");
  }
}

TEST_F(InternetPipelineTest, ASmallPictureIsJudgedOnlyWhenTheEngineAnnouncesNoSizes) {
  internet.pictures = {SolidBmp(50, 50, 9, 9, 9)};
  ChangePipeline& p = Connected();
  p.NextImageCommand(false);
  ASSERT_TRUE(testpump::PumpUntil([&] { return !p.ChangeRunning(); }));
  EXPECT_EQ(internet.requests, 1) << "the plug-in filtered already: the picture is shown";
  EXPECT_TRUE(status.shown.empty());
}

TEST_F(InternetPipelineTest, ARequestThePluginRefusesEndsTheChangeAtOnce) {
  internet.answer = false;
  ChangePipeline& p = Connected();
  p.NextImageCommand(false);
  EXPECT_FALSE(p.ChangeRunning());
  EXPECT_EQ(listener.events, "SE");
  // And a request that ends in the plug-in (a notification) ends the change too.
  internet.answer = true;
  internet.pictures.clear();
  internet.sink = nullptr;  // the answer never comes
  p.NextImageCommand(false);
  EXPECT_TRUE(p.ChangeRunning());
  p.OnInternetRequestEnded();
  EXPECT_FALSE(p.ChangeRunning());
  EXPECT_EQ(listener.events, "SESE");
}

TEST_F(InternetPipelineTest, SaveAndBlockWaitWhileAChangeRuns) {
  internet.pictures = {SolidBmp(120, 120, 1, 1, 1)};
  ChangePipeline& p = Connected();
  p.NextImageCommand(false);
  ASSERT_TRUE(p.ChangeRunning());
  p.SaveWallpaperCommand(false);
  p.SaveWallpaperCommand(true);
  p.BlockImageCommand();
  EXPECT_EQ(internet.saves, 0);
  EXPECT_EQ(internet.blocks, 0);
  EXPECT_EQ(status.shown, (std::vector<std::string>{"Unable to save while change is in progress.",
                                                    "Wallpaper change already in progress. Please wait..."}));
  ASSERT_TRUE(testpump::PumpUntil([&] { return !p.ChangeRunning(); }));
  status.shown.clear();
  p.SaveWallpaperCommand(true);
  EXPECT_EQ(internet.saves, 1);
  EXPECT_EQ(status.shown, (std::vector<std::string>{"Wallpaper Saved"}));
  // Blocking moves on to the next picture.
  const int before = internet.requests;
  p.BlockImageCommand();
  EXPECT_EQ(internet.blocks, 1);
  EXPECT_EQ(internet.requests, before + 1);
  ASSERT_TRUE(testpump::PumpUntil([&] { return !p.ChangeRunning(); }));
}

TEST_F(InternetPipelineTest, AnAnswerAfterTheChangeWasGivenUpGoesBackUnused) {
  internet.pictures = {SolidBmp(120, 120, 1, 1, 1)};
  ChangePipeline& p = Connected();
  p.NextImageCommand(false);
  p.OnInternetRequestEnded();  // e.g. the search was stopped by new settings
  ASSERT_TRUE(testpump::PumpUntil([&] { return internet.delivered == 1; }));
  EXPECT_EQ(internet.released, 1);
  EXPECT_FALSE(p.ChangeRunning());
}

// A photo whose compressed data is damaged past its headers loads (only the
// headers are read then) and fails when its rows are decoded: by the scaler in
// fit mode, by the writer in centre mode. Either way it is skipped like a
// picture that did not load, and nobody is told the disk is full.
TEST_F(ChangePipelineTest, APhotoDamagedInsideItsDataIsSkippedInEveryMode) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string photo = ReadWholeFile(std::string(exe).substr(0, std::string(exe).find_last_of('\\')) +
                                        "\\..\\test-fixtures\\pictures\\e.jpg",
                                    true);
  const size_t sos = photo.find("\xFF\xDA");
  ASSERT_NE(sos, std::string::npos) << "the fixture photo is a JPEG";
  const size_t scan = sos + 2 + (static_cast<uint8_t>(photo[sos + 2]) << 8 | static_cast<uint8_t>(photo[sos + 3]));
  // 0xFF 0x00 is a stuffed 0xFF byte: runs of one bits that no Huffman code is.
  for (size_t i = scan + 4; i + 1 < scan + 200 && i + 1 < photo.size(); i += 2) photo[i] = '\xFF', photo[i + 1] = 0;
  WriteWholeFile(dir.File("damaged.jpg"), photo);
  WriteWholeFile(dir.File("good.bmp"), SolidBmp(40, 30, 0x30, 0x60, 0x90));
  for (int32_t orient : {kOrientFit, kOrientCenter}) {
    SCOPED_TRACE(orient == kOrientFit ? "fit" : "centre");
    live.PaperOrient = orient;
    source.files = {dir.File("damaged.jpg"), dir.File("good.bmp")};
    source.next = 0;
    source.asked = 0;
    status.shown.clear();
    ChangePipeline& p = Pipeline();
    p.ChangeWallpaper(false, true, true);
    ASSERT_TRUE(testpump::PumpUntil([&] { return !p.ChangeRunning() && source.asked == 2; }));
    ASSERT_TRUE(testpump::PumpUntil([&] { return !p.ChangeRunning(); }));
    EXPECT_TRUE(status.shown.empty()) << status.shown.front();
    if (orient == kOrientCenter) {
      EXPECT_EQ(DesktopWallpaper(), dir.File("good.bmp")) << "a bitmap in centre mode is shown as it is";
    } else {
      EXPECT_EQ(DesktopWallpaper(), paths.wallpaperBitmapPath);
    }
  }
}
