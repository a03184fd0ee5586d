#include "ui/splash/splash_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/fade/fade_math.h"
#include "ui/test_support/pump_win.h"

namespace {

// What the splash looked like at one moment of its modal loop.
struct Look {
  HWND window;
  RECT rect;
  LONG_PTR exStyle;
  bool visible;
  bool haveAlpha;
  BYTE alpha;
  bool cornerInRegion;
  bool centreInRegion;
};

std::vector<Look>* looks = nullptr;

BOOL CALLBACK FindSplash(HWND hwnd, LPARAM found) {
  char cls[32] = {};
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (std::string(cls) == "#32770") {
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
  }
  return TRUE;
}

// A thread timer: the dialog's modal loop dispatches it while the splash runs.
void CALLBACK Observe(HWND, UINT, UINT_PTR, DWORD) {
  HWND splash = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindSplash, reinterpret_cast<LPARAM>(&splash));
  if (!splash || !looks) return;
  Look look{splash, uitest::WindowRect(splash), GetWindowLongPtrA(splash, GWL_EXSTYLE), IsWindowVisible(splash) != 0};
  BYTE alpha = 0;
  DWORD flags = 0;
  look.haveAlpha = GetLayeredWindowAttributes(splash, nullptr, &alpha, &flags) && (flags & LWA_ALPHA);
  look.alpha = alpha;
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(splash, rgn) != ERROR) {
    look.cornerInRegion = PtInRegion(rgn, 0, 0);
    look.centreInRegion = PtInRegion(rgn, 210, 130);
  }
  DeleteObject(rgn);
  looks->push_back(look);
}

class SplashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetSystemMetrics(SM_CXSCREEN) == 0) GTEST_SKIP() << "no display";
    looks = &seen;
    timer = SetTimer(nullptr, 0, 40, &Observe);
    ASSERT_NE(timer, 0u);
  }
  void TearDown() override {
    if (timer) KillTimer(nullptr, timer);
    looks = nullptr;
  }
  std::vector<Look> seen;
  UINT_PTR timer = 0;
  uitest::RecordingWindow owner;
};

TEST_F(SplashTest, ShowsTheShapedPictureCentredFadesAndEndsByItself) {
  ASSERT_TRUE(ShowSplash(GetModuleHandleA(nullptr), owner.Handle(), uitest::ExeFolder(), true));
  ASSERT_FALSE(seen.empty());
  const RECT work = uitest::WorkArea();
  const Look& first = seen.front();
  EXPECT_FALSE(IsWindow(first.window));  // ended and gone
  bool sawOpaque = false, sawPartial = false;
  for (const Look& l : seen) {
    // The picture's size, centred on the work area.
    EXPECT_EQ(l.rect.right - l.rect.left, 420);
    EXPECT_EQ(l.rect.bottom - l.rect.top, 260);
    EXPECT_EQ(l.rect.left, work.left + ((work.right - work.left) - 420) / 2);
    EXPECT_EQ(l.rect.top, work.top + ((work.bottom - work.top) - 260) / 2);
    // Shaped by the region resource: rounded corners cut away.
    EXPECT_FALSE(l.cornerInRegion);
    EXPECT_TRUE(l.centreInRegion);
    EXPECT_TRUE(l.exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(l.visible);
    if (l.haveAlpha) {
      sawOpaque = sawOpaque || l.alpha == 255;
      sawPartial = sawPartial || (l.alpha > 0 && l.alpha < 255);
    }
  }
  EXPECT_TRUE(sawOpaque);
  EXPECT_TRUE(sawPartial);
  // The owner got nothing from it.
  EXPECT_TRUE(owner.messages.empty());
}

TEST_F(SplashTest, WithoutTransparencyItShowsPlainAndStillEnds) {
  ASSERT_TRUE(ShowSplash(GetModuleHandleA(nullptr), owner.Handle(), uitest::ExeFolder(), false));
  ASSERT_FALSE(seen.empty());
  for (const Look& l : seen) {
    EXPECT_FALSE(l.exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(l.visible);
  }
}

TEST_F(SplashTest, MissingPictureClosesAtOnceWithoutShowing) {
  EXPECT_FALSE(ShowSplash(GetModuleHandleA(nullptr), owner.Handle(), uitest::ExeFolder() + "nowhere\\", true));
  uitest::PumpFor(100);
  for (const Look& l : seen) EXPECT_FALSE(l.visible);
}

}  // namespace
