#include "ui/fade/window_fader_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/resources/ui_resource_ids.h"
#include "ui/test_support/pump_win.h"

namespace {

using uitest::PumpUntil;

BYTE LayeredAlpha(HWND w) {
  BYTE alpha = 0;
  DWORD flags = 0;
  GetLayeredWindowAttributes(w, nullptr, &alpha, &flags);
  return alpha;
}

class FaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetSystemMetrics(SM_CXSCREEN) == 0) GTEST_SKIP() << "no display";
    window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "fade", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
  }
  HWND window = nullptr;
};

// One probe, answered the same with or without live faders; faders work
// whatever other faders came and went before them.
TEST_F(FaderTest, OneProbeAnswersWithOrWithoutFaders) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  ASSERT_TRUE(user32);
  SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  EXPECT_TRUE(LayeredWindowsAvailable());
  {
    auto a = std::make_unique<WindowFader>();
    EXPECT_TRUE(LayeredWindowsAvailable());
    {
      WindowFader b;
      EXPECT_TRUE(b.SetAlpha(window, 128));
    }
    EXPECT_TRUE(a->SetAlpha(window, 64));  // the other fader's end changed nothing
  }
  EXPECT_TRUE(LayeredWindowsAvailable());
  WindowFader late;
  EXPECT_TRUE(late.SetAlpha(window, 200));
  EXPECT_EQ(late.LastAlpha(), 200);
  EXPECT_EQ(GetModuleHandleA("user32.dll"), user32);
}

TEST_F(FaderTest, FadeInRisesToOpaqueAndRestoresTheStyle) {
  const LONG_PTR before = GetWindowLongPtrA(window, GWL_EXSTYLE);
  WindowFader fader;
  ASSERT_TRUE(fader.FadeIn(window, WS_EX_APPWINDOW, 300, 10, true));
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(fader.LastAlpha(), 0);
  std::vector<int> seen;
  ASSERT_TRUE(PumpUntil([&] {
    if (seen.empty() || seen.back() != fader.LastAlpha()) seen.push_back(fader.LastAlpha());
    return !fader.Fading();
  }));
  EXPECT_EQ(fader.LastAlpha(), 255);
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i], seen[i - 1]);
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE), before);
  EXPECT_EQ(GetPropA(window, "_WindowFader_Object_Ptr_"), nullptr);
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(FaderTest, FadeInWithoutRestoreStaysLayeredAtFullAlpha) {
  WindowFader fader;
  ASSERT_TRUE(fader.FadeIn(window, 0, 100, 10, false));
  ASSERT_TRUE(PumpUntil([&] { return !fader.Fading(); }));
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(LayeredAlpha(window), 255);
}

TEST_F(FaderTest, FadeOutFallsToZeroAndDestroysWhenAsked) {
  WindowFader fader;
  ASSERT_TRUE(fader.FadeOut(window, 0, 150, 10, true, false));
  EXPECT_EQ(fader.LastAlpha(), 255);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
  EXPECT_EQ(fader.LastAlpha(), 0);
  EXPECT_FALSE(fader.Fading());
}

TEST_F(FaderTest, FadeOutWithoutCloseLeavesTheWindow) {
  WindowFader fader;
  ASSERT_TRUE(fader.FadeOut(window, 0, 100, 10, false, false));
  ASSERT_TRUE(PumpUntil([&] { return !fader.Fading(); }));
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(LayeredAlpha(window), 0);
}

INT_PTR CALLBACK FadeOutAtOnce(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    ShowWindow(hwnd, SW_SHOW);
    reinterpret_cast<WindowFader*>(lp)->FadeOut(hwnd, 0, 120, 10, true, true);
    return TRUE;
  }
  return FALSE;
}

TEST_F(FaderTest, FadeOutEndsAModalDialogWithTheTimerId) {
  WindowFader fader;
  const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_STATUS_POPUP), window,
                                         &FadeOutAtOnce, reinterpret_cast<LPARAM>(&fader));
  EXPECT_EQ(result, static_cast<INT_PTR>(kFaderTimerId));
  EXPECT_EQ(fader.LastAlpha(), 0);
}

TEST_F(FaderTest, WindowDestroyedMidFadeUnhooks) {
  WindowFader fader;
  ASSERT_TRUE(fader.FadeIn(window, 0, 5000, 10, true));
  uitest::PumpFor(50);
  DestroyWindow(window);
  EXPECT_FALSE(fader.Fading());
  uitest::PumpFor(50);
}

TEST_F(FaderTest, FaderDestroyedMidFadeLeavesAWorkingWindow) {
  auto fader = std::make_unique<WindowFader>();
  ASSERT_TRUE(fader->FadeIn(window, 0, 5000, 10, true));
  uitest::PumpFor(50);
  fader.reset();
  EXPECT_EQ(GetPropA(window, "_WindowFader_Object_Ptr_"), nullptr);
  // A late tick of the old timer id reaches the window's own procedure only.
  SendMessageA(window, WM_TIMER, kFaderTimerId, 0);
  uitest::PumpFor(50);
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(FaderTest, ASecondFaderTakesTheWindowOver) {
  WindowFader first, second;
  ASSERT_TRUE(first.FadeIn(window, 0, 5000, 10, false));
  ASSERT_TRUE(second.FadeOut(window, 0, 100, 10, false, false));
  EXPECT_FALSE(first.Fading());
  EXPECT_EQ(GetPropA(window, "_WindowFader_Object_Ptr_"), &second);
  ASSERT_TRUE(PumpUntil([&] { return !second.Fading(); }));
  EXPECT_EQ(LayeredAlpha(window), 0);
}

TEST_F(FaderTest, FadeOutRightAfterFadeInRestoresTheOriginalStyle) {
  const LONG_PTR before = GetWindowLongPtrA(window, GWL_EXSTYLE);
  WindowFader fader;
  ASSERT_TRUE(fader.FadeIn(window, WS_EX_APPWINDOW, 5000, 10, true));
  uitest::PumpFor(30);
  ASSERT_TRUE(fader.FadeIn(window, 0, 50, 10, true));
  ASSERT_TRUE(PumpUntil([&] { return !fader.Fading(); }));
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE), before);
}

TEST_F(FaderTest, SetAlphaClampsAndRefusesNoWindow) {
  WindowFader fader;
  SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  EXPECT_TRUE(fader.SetAlpha(window, 300));
  EXPECT_EQ(LayeredAlpha(window), 255);
  EXPECT_TRUE(fader.SetAlpha(window, -4));
  EXPECT_EQ(LayeredAlpha(window), 0);
  EXPECT_FALSE(fader.SetAlpha(nullptr, 10));
  EXPECT_FALSE(fader.FadeIn(nullptr, 0, 100, 10, true));
}

}  // namespace
