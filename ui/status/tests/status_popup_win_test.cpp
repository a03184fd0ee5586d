#include "ui/status/status_popup_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/fade/fade_math.h"
#include "ui/placement/placement.h"
#include "ui/resources/ui_resource_ids.h"
#include "ui/status/status_notifier_win.h"
#include "ui/test_support/pump_win.h"

namespace {

using uitest::PumpUntil;

class StatusPopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GetDesktopWindow() || GetSystemMetrics(SM_CXSCREEN) == 0) GTEST_SKIP() << "no display";
    ASSERT_NE(owner.Handle(), nullptr);
  }

  StatusPopupConfig Config(int32_t durationMs, int32_t position = 0, bool withSkin = true) {
    StatusPopupConfig c;
    c.instance = GetModuleHandleA(nullptr);
    c.templateId = IDD_STATUS_POPUP;
    c.durationMs = durationMs;
    c.text = "Downloading next wallpaper\nPlease wait...";
    c.skinPath = withSkin ? uitest::ExeFolder() + "statpop_skin.png" : uitest::ExeFolder() + "no_such_skin.png";
    c.textColour = RGB(0, 0, 0);
    c.textFormat = DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS;
    c.position = position;
    c.clickWindow = owner.Handle();
    c.clickMessage = kStatusClickOpenInternetSettings;
    return c;
  }

  // Waits until the popup's window is set up and placed.
  HWND WaitForWindow(CStatusPopupDialog& popup) {
    HWND w = nullptr;
    EXPECT_TRUE(PumpUntil([&] {
      const auto s = popup.Peek();
      w = s.window;
      return s.initialised && w && IsWindowVisible(w);
    }));
    return w;
  }

  uitest::RecordingWindow owner;
};

TEST_F(StatusPopupTest, SitsFlushInTheChosenCornerOfTheWorkArea) {
  const RECT work = uitest::WorkArea();
  struct Case {
    int32_t position;
    const char* name;
  };
  const Case cases[] = {{kPopupUpperLeft, "upper left"},   {kPopupLowerLeft, "lower left"},
                        {kPopupLowerRight, "lower right"}, {kPopupUpperRight, "upper right"},
                        {kPopupCentered, "centred"},       {kPopupAutomatic, "automatic"}};
  CStatusPopupDialog popup;
  for (const Case& c : cases) {
    ASSERT_TRUE(popup.Show(Config(5000, c.position)));
    HWND w = WaitForWindow(popup);
    ASSERT_NE(w, nullptr) << c.name;
    const RECT r = uitest::WindowRect(w);
    // The skin decides the size.
    EXPECT_EQ(r.right - r.left, 260) << c.name;
    EXPECT_EQ(r.bottom - r.top, 96) << c.name;
    switch (c.position) {
      case kPopupUpperLeft:
        EXPECT_EQ(r.left, work.left) << c.name;
        EXPECT_EQ(r.top, work.top) << c.name;
        break;
      case kPopupLowerLeft:
        EXPECT_EQ(r.left, work.left) << c.name;
        EXPECT_EQ(r.bottom, work.bottom) << c.name;
        break;
      case kPopupUpperRight:
        EXPECT_EQ(r.right, work.right) << c.name;
        EXPECT_EQ(r.top, work.top) << c.name;
        break;
      case kPopupCentered:
        EXPECT_EQ(r.left, work.left + (work.right - work.left) / 2 - 130) << c.name;
        EXPECT_EQ(r.top, work.top + (work.bottom - work.top) / 2 - 48) << c.name;
        break;
      default:
        // Lower right; and "Automatic" with the taskbar at the bottom
        // (the virtual desktop's, or none at all).
        EXPECT_EQ(r.right, work.right) << c.name;
        EXPECT_EQ(r.bottom, work.bottom) << c.name;
    }
    // Topmost, a tool window (no taskbar button), layered for the fade.
    const LONG_PTR ex = GetWindowLongPtrA(w, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST) << c.name;
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW) << c.name;
    EXPECT_TRUE(ex & WS_EX_LAYERED) << c.name;
    // Rounded: the corner pixel lies outside the window's region.
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(w, rgn), ERROR) << c.name;
    EXPECT_FALSE(PtInRegion(rgn, 0, 0)) << c.name;
    EXPECT_TRUE(PtInRegion(rgn, 130, 48)) << c.name;
    DeleteObject(rgn);
    popup.Close();
    EXPECT_FALSE(IsWindow(w)) << c.name;
  }
}

TEST_F(StatusPopupTest, WithoutItsSkinThePopupIsTwoHundredBySeventyFive) {
  CStatusPopupDialog popup;
  ASSERT_TRUE(popup.Show(Config(3000, kPopupUpperLeft, false)));
  HWND w = WaitForWindow(popup);
  ASSERT_NE(w, nullptr);
  const RECT r = uitest::WindowRect(w);
  EXPECT_EQ(r.right - r.left, kPopupDefaultWidth);
  EXPECT_EQ(r.bottom - r.top, kPopupDefaultHeight);
  EXPECT_FALSE(popup.Peek().skinLoaded);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(w, rgn), ERROR);
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  DeleteObject(rgn);
}

TEST_F(StatusPopupTest, FadesInHoldsFadesOutAndGoes) {
  CStatusPopupDialog popup;
  ASSERT_TRUE(popup.Show(Config(1200)));
  HWND w = WaitForWindow(popup);
  ASSERT_NE(w, nullptr);
  // Sample the applied alpha as the popup's thread runs; only the shape of
  // the curve is asserted, not when each value came.
  std::vector<std::pair<int32_t, int>> samples;
  ASSERT_TRUE(PumpUntil([&] {
    const auto s = popup.Peek();
    // A sample at the full duration catches the window on its way out.
    if (s.window && s.initialised && s.alpha >= 0 && s.elapsedMs < 1200) samples.push_back({s.elapsedMs, s.alpha});
    return !popup.IsShowing();
  }));
  EXPECT_FALSE(IsWindow(w));
  ASSERT_FALSE(samples.empty());
  bool sawRising = false, sawOpaque = false, sawFalling = false;
  for (const auto& [elapsed, alpha] : samples) {
    EXPECT_EQ(alpha, PopupAlpha(elapsed, 1200, 400)) << elapsed;
    if (elapsed > 0 && elapsed < 400) sawRising = true;
    if (elapsed >= 400 && elapsed <= 800) sawOpaque = sawOpaque || alpha == 255;
    if (elapsed > 800) sawFalling = true;
  }
  EXPECT_TRUE(sawRising);
  EXPECT_TRUE(sawOpaque);
  EXPECT_TRUE(sawFalling);
  EXPECT_EQ(popup.Peek().window, nullptr);
}

TEST_F(StatusPopupTest, LayeredAlphaReachesTheWindow) {
  CStatusPopupDialog popup;
  ASSERT_TRUE(popup.Show(Config(4000)));
  HWND w = WaitForWindow(popup);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return popup.Peek().alpha == 255; }));
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(w, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 255);
  EXPECT_TRUE(flags & LWA_ALPHA);
}

TEST_F(StatusPopupTest, LeftClickPostsTheClickMessageAndStartsTheFadeOut) {
  CStatusPopupDialog popup;
  ASSERT_TRUE(popup.Show(Config(8000)));
  HWND w = WaitForWindow(popup);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return popup.Peek().alpha == 255; }));
  ASSERT_LT(popup.Peek().elapsedMs, 7600);
  PostMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(100, 50));
  ASSERT_TRUE(PumpUntil([&] { return !owner.messages.empty(); }));
  ASSERT_EQ(owner.messages.size(), 1u);
  EXPECT_EQ(owner.messages[0].msg, kStatusClickOpenInternetSettings);
  EXPECT_EQ(owner.messages[0].wp, 0u);
  EXPECT_EQ(owner.messages[0].lp, 0);
  EXPECT_GE(popup.Peek().elapsedMs, 7600);
  // It is gone after the fade-out, far earlier than its 8 s.
  ASSERT_TRUE(PumpUntil([&] { return !popup.IsShowing(); }, 5000));
  EXPECT_EQ(owner.messages.size(), 1u);
}

TEST_F(StatusPopupTest, ARealMouseClickReachesThePopupWithoutActivatingIt) {
  CStatusPopupDialog popup;
  ASSERT_TRUE(popup.Show(Config(8000, kPopupCentered)));
  HWND w = WaitForWindow(popup);
  ASSERT_NE(w, nullptr);
  const RECT r = uitest::WindowRect(w);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT clicks[2] = {};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  if (SendInput(2, clicks, sizeof(INPUT)) != 2) GTEST_SKIP() << "no input injection here";
  if (!PumpUntil([&] { return !owner.messages.empty(); }, 3000)) GTEST_SKIP() << "the click did not arrive";
  EXPECT_EQ(owner.messages[0].msg, kStatusClickOpenInternetSettings);
  EXPECT_NE(GetForegroundWindow(), w);
  ASSERT_TRUE(PumpUntil([&] { return !popup.IsShowing(); }, 5000));
}

TEST_F(StatusPopupTest, RightAndMiddleClicksOnlyShortenTheMessage) {
  for (UINT button : {WM_RBUTTONUP, WM_MBUTTONUP}) {
    CStatusPopupDialog popup;
    ASSERT_TRUE(popup.Show(Config(8000)));
    HWND w = WaitForWindow(popup);
    ASSERT_NE(w, nullptr);
    PostMessageA(w, button, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return popup.Peek().elapsedMs >= 7600 || !popup.IsShowing(); }));
    ASSERT_TRUE(PumpUntil([&] { return !popup.IsShowing(); }, 5000));
    EXPECT_TRUE(owner.messages.empty()) << button;
  }
}

TEST_F(StatusPopupTest, NoClickMessageMeansNothingIsPosted) {
  CStatusPopupDialog popup;
  StatusPopupConfig c = Config(8000);
  c.clickMessage = 0;
  ASSERT_TRUE(popup.Show(c));
  HWND w = WaitForWindow(popup);
  ASSERT_NE(w, nullptr);
  PostMessageA(w, WM_LBUTTONUP, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !popup.IsShowing(); }, 5000));
  EXPECT_TRUE(owner.messages.empty());
}

TEST_F(StatusPopupTest, CloseInTheMiddleOfTheFadeEndsTheThread) {
  CStatusPopupDialog popup;
  ASSERT_TRUE(popup.Show(Config(60000)));
  HWND w = WaitForWindow(popup);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return popup.Peek().alpha > 0; }));
  ASSERT_LT(popup.Peek().alpha, 255);  // still fading in
  popup.Close();
  EXPECT_FALSE(popup.IsShowing());
  EXPECT_FALSE(IsWindow(w));
  // Closing again, and destroying an idle popup, do nothing.
  popup.Close();
}

TEST_F(StatusPopupTest, CloseRightAfterShowDoesNotWaitForTheMessage) {
  // The thread may not have made its window yet when Close comes.
  for (int i = 0; i < 20; ++i) {
    CStatusPopupDialog popup;
    ASSERT_TRUE(popup.Show(Config(60000)));
    popup.Close();
    EXPECT_FALSE(popup.IsShowing());
  }
}

TEST_F(StatusPopupTest, DestroyingAShowingPopupJoinsItsThread) {
  HWND w = nullptr;
  {
    CStatusPopupDialog popup;
    ASSERT_TRUE(popup.Show(Config(60000)));
    w = WaitForWindow(popup);
  }
  EXPECT_FALSE(IsWindow(w));
}

// ---------------------------------------------------------------- ShowStatus

class ShowStatusTest : public StatusPopupTest {
 protected:
  void SetUp() override {
    StatusPopupTest::SetUp();
    if (IsSkipped()) return;
    notifier = std::make_unique<StatusPopupNotifier>(GetModuleHandleA(nullptr), owner.Handle(),
                                                     uitest::ExeFolder() + "statpop_skin.png", settings, true);
  }
  void TearDown() override {
    notifier.reset();
  }
  void ShowStatus(const std::string& text, bool force, int32_t durationMs, uint32_t click) {
    notifier->ShowStatus(text, force, durationMs, click);
  }
  Settings settings;
  std::unique_ptr<StatusPopupNotifier> notifier;
};

TEST_F(ShowStatusTest, SettingOffShowsNothing) {
  settings.ShowStatusPopup = false;
  ShowStatus("Wallpaper Saved", true, 2000, 0);
  ShowStatus("Wallpaper Saved", false, 2000, 0);
  EXPECT_FALSE(notifier->Popup().IsShowing());
}

TEST_F(ShowStatusTest, AnUnforcedMessageWhileOneShowsIsDropped) {
  ShowStatus("Loading next wallpaper\nPlease wait...", false, 4000, 0);
  ASSERT_TRUE(notifier->Popup().IsShowing());
  HWND first = WaitForWindow(notifier->Popup());
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return notifier->Popup().Peek().elapsedMs >= 100; }));
  ShowStatus("Wallpaper change already in progress. Please wait...", false, 4000, 0);
  // Same window, its clock not reset.
  EXPECT_EQ(notifier->Popup().Peek().window, first);
  EXPECT_GE(notifier->Popup().Peek().elapsedMs, 100);
  EXPECT_TRUE(IsWindow(first));
}

TEST_F(ShowStatusTest, AForcedMessageReplacesTheShowingOne) {
  ShowStatus("Loading next wallpaper\nPlease wait...", false, 4000, 0);
  HWND first = WaitForWindow(notifier->Popup());
  ASSERT_NE(first, nullptr);
  ShowStatus("Automatic wallpaper changing disabled", true, 2000, 0);
  // The first window is gone by the time ShowStatus returns.
  EXPECT_FALSE(IsWindow(first));
  EXPECT_TRUE(notifier->Popup().IsShowing());
  HWND second = WaitForWindow(notifier->Popup());
  ASSERT_NE(second, nullptr);
  EXPECT_LT(notifier->Popup().Peek().elapsedMs, 2000);
}

TEST_F(ShowStatusTest, PositionComesFromTheSettingsAtEachMessage) {
  const RECT work = uitest::WorkArea();
  settings.StatusPopupPos = kPopupUpperLeft;
  ShowStatus("one", true, 3000, 0);
  HWND w = WaitForWindow(notifier->Popup());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(uitest::WindowRect(w).left, work.left);
  EXPECT_EQ(uitest::WindowRect(w).top, work.top);
  settings.StatusPopupPos = kPopupLowerRight;
  ShowStatus("two", true, 3000, kStatusClickOpenSettings);
  w = WaitForWindow(notifier->Popup());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(uitest::WindowRect(w).right, work.right);
  EXPECT_EQ(uitest::WindowRect(w).bottom, work.bottom);
  PostMessageA(w, WM_LBUTTONUP, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !owner.messages.empty(); }));
  EXPECT_EQ(owner.messages[0].msg, kStatusClickOpenSettings);
}

TEST_F(ShowStatusTest, StopAtShutdownEndsAShowingMessage) {
  ShowStatus("Downloading next wallpaper\nPlease wait...", false, 8000, 0);
  HWND w = WaitForWindow(notifier->Popup());
  ASSERT_NE(w, nullptr);
  notifier->Stop();
  EXPECT_FALSE(notifier->Popup().IsShowing());
  EXPECT_FALSE(IsWindow(w));
}

}  // namespace
