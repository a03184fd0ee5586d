#include "shell/schedule/scheduler_win.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// 2024-06-03 (a Monday) at h:m:s in a fixed zone, so that the test does not
// depend on the machine's.
int64_t At(int h, int m, int s) { return 1717372800 + h * 3600 + m * 60 + s; }

std::optional<ScheduleLocalTime> Utc(int64_t t) {
  __time64_t v = t;
  struct tm tm {};
  if (_gmtime64_s(&tm, &v) != 0) return std::nullopt;
  return ScheduleLocalTime{tm.tm_sec, tm.tm_min, tm.tm_hour, tm.tm_wday, tm.tm_yday, tm.tm_year};
}

constexpr UINT_PTR kGuardTimerId = 1;

// A message-only window whose procedure hands WM_TIMER to the scheduler, as
// the main window does; a fake clock and pipeline around it.
class SchedulerWindow : public ::testing::Test {
 protected:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<SchedulerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_TIMER && self) {
      if (wp == kGuardTimerId) {
        self->guardFired = true;
        return 0;
      }
      if (self->scheduler && self->scheduler->OnTimer(wp)) return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SchedulerTestWindow";
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    CChangeScheduler::Hooks hooks;
    hooks.readSettings = [this] { return live; };
    hooks.requestChange = [this] {
      ++requests;
      live.lastRegularChange = now;  // as the pipeline stamps it
    };
    hooks.now = [this] { return now; };
    hooks.localTime = [this](int64_t t) { return failConversion ? std::nullopt : Utc(t); };
    scheduler = std::make_unique<CChangeScheduler>(hwnd, hooks);
  }

  void TearDown() override {
    scheduler.reset();
    if (hwnd) {
      // The scheduler's destructor killed the timer, so there is none to kill.
      EXPECT_FALSE(KillTimer(hwnd, kChangeTimerId));
      DestroyWindow(hwnd);
    }
  }

  // Pumps messages until a change is requested or the guard timer ends the wait.
  void PumpUntilRequest() {
    SetTimer(hwnd, kGuardTimerId, 20000, nullptr);
    const int before = requests;
    MSG msg;
    while (requests == before && !guardFired && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    KillTimer(hwnd, kGuardTimerId);
    ASSERT_FALSE(guardFired) << "the change timer never ticked";
  }

  HWND hwnd = nullptr;
  std::unique_ptr<CChangeScheduler> scheduler;
  ScheduleSettings live{true, 2, 0, At(10, 3, 20)};
  int64_t now = At(10, 3, 20);
  bool failConversion = false;
  int requests = 0;
  bool guardFired = false;
};

TEST_F(SchedulerWindow, FirstTickSwitchesToMinutePeriodAndChanges) {
  now = At(10, 3, 59);  // one second before the boundary
  scheduler->ArmScheduler();
  EXPECT_TRUE(scheduler->TimerArmed());
  EXPECT_FALSE(scheduler->TimerAligned());
  EXPECT_EQ(scheduler->PeriodMs(), 1000u);
  now = At(10, 4, 0);
  PumpUntilRequest();
  EXPECT_EQ(requests, 1);
  EXPECT_TRUE(scheduler->TimerAligned());
  EXPECT_EQ(scheduler->PeriodMs(), kAlignedPeriodMs);
  EXPECT_EQ(live.lastRegularChange, At(10, 4, 0));
}

TEST_F(SchedulerWindow, FiveMinutesWaitsForTheFifthMinute) {
  live.changeWhen = 3;
  now = At(10, 3, 59);
  scheduler->ArmScheduler();
  now = At(10, 4, 0);
  EXPECT_TRUE(scheduler->OnTimer(kChangeTimerId));
  EXPECT_EQ(requests, 0);
  EXPECT_TRUE(scheduler->TimerAligned());
  now = At(10, 5, 0);
  scheduler->OnTimer(kChangeTimerId);
  EXPECT_EQ(requests, 1);
  EXPECT_TRUE(scheduler->TimerAligned());
}

TEST_F(SchedulerWindow, ShortChoicesKeepTheirPeriod) {
  for (int32_t choice : {0, 1}) {
    SCOPED_TRACE(choice);
    live.changeWhen = choice;
    scheduler->ArmScheduler();
    const uint32_t period = choice == 0 ? 15000u : 30000u;
    EXPECT_EQ(scheduler->PeriodMs(), period);
    EXPECT_TRUE(scheduler->TimerAligned());
    const int before = requests;
    now = At(10, 7, 13);
    scheduler->OnTimer(kChangeTimerId);
    EXPECT_EQ(requests, before + 1);
    EXPECT_EQ(scheduler->PeriodMs(), period);
  }
}

TEST_F(SchedulerWindow, DriftedTickRealigns) {
  now = At(10, 3, 59);
  scheduler->ArmScheduler();
  now = At(10, 4, 0);
  scheduler->OnTimer(kChangeTimerId);
  ASSERT_TRUE(scheduler->TimerAligned());
  now = At(10, 5, 2);
  scheduler->OnTimer(kChangeTimerId);
  EXPECT_EQ(requests, 2);  // 62 s since the last change
  EXPECT_FALSE(scheduler->TimerAligned());
  EXPECT_EQ(scheduler->PeriodMs(), 58000u);
}

TEST_F(SchedulerWindow, PauseKillsTheTimerAndStaleTicksAreIgnored) {
  scheduler->ArmScheduler();
  ASSERT_TRUE(scheduler->TimerArmed());
  live.changeAtTime = false;
  scheduler->ArmScheduler();
  EXPECT_FALSE(scheduler->TimerArmed());
  EXPECT_FALSE(KillTimer(hwnd, kChangeTimerId)) << "no timer runs while paused";
  // A tick queued before the pause neither changes nor restarts the timer.
  now = At(10, 4, 0);
  EXPECT_TRUE(scheduler->OnTimer(kChangeTimerId));
  EXPECT_EQ(requests, 0);
  EXPECT_FALSE(scheduler->TimerArmed());
  // Resuming re-arms from the current time.
  live.changeAtTime = true;
  now = At(10, 4, 45);
  scheduler->ArmScheduler();
  EXPECT_TRUE(scheduler->TimerArmed());
  EXPECT_EQ(scheduler->PeriodMs(), 15000u);
}

TEST_F(SchedulerWindow, AligningTickWithoutLocalTimeIsIgnored) {
  scheduler->ArmScheduler();
  failConversion = true;
  now = At(10, 4, 0);
  scheduler->OnTimer(kChangeTimerId);
  EXPECT_EQ(requests, 0);
  EXPECT_FALSE(scheduler->TimerAligned());
  EXPECT_EQ(scheduler->PeriodMs(), 40000u);
  EXPECT_TRUE(scheduler->TimerArmed());
}

TEST_F(SchedulerWindow, OtherTimersAreNotOurs) {
  scheduler->ArmScheduler();
  now = At(10, 4, 0);
  EXPECT_FALSE(scheduler->OnTimer(kChangeTimerId + 1));
  EXPECT_EQ(requests, 0);
  EXPECT_FALSE(scheduler->TimerAligned());
}

TEST(LocalTimeWin, ConvertsAndRefuses) {
  auto t = LocalTimeWin(1717372800);
  ASSERT_TRUE(t);
  EXPECT_GE(t->yday, 153);
  EXPECT_LE(t->yday, 155);
  EXPECT_FALSE(LocalTimeWin(-(int64_t{1} << 62)));
  EXPECT_FALSE(LocalTimeWin(int64_t{1} << 62));
}

}  // namespace
