#pragma once
// The change timer on the main window: arms it from the settings, handles its
// ticks and asks for scheduled changes. Runs on the main thread only.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "shell/schedule/schedule.h"

// Local time by the C runtime; nullopt when the time cannot be converted.
std::optional<ScheduleLocalTime> LocalTimeWin(int64_t time);
// Seconds since 1970.
int64_t CurrentTimeWin();

class CChangeScheduler {
 public:
  struct Hooks {
    // Reads the live Settings each time: ChangeAtTime, ChangeWhen,
    // LastRegularChange and appStartTime. Required.
    std::function<ScheduleSettings()> readSettings;
    // A scheduled forward change: ChangeWallpaper with stampTime true, forward
    // true, interactive false and no path (it stamps LastRegularChange). Required.
    std::function<void()> requestChange;
    // The clock and the local-time conversion; tests replace them.
    std::function<int64_t()> now = CurrentTimeWin;
    LocalTimeFunction localTime = LocalTimeWin;
  };

  // window: the main window, whose procedure passes WM_TIMER to OnTimer.
  CChangeScheduler(HWND window, Hooks hooks);
  // Kills the change timer.
  ~CChangeScheduler();
  CChangeScheduler(const CChangeScheduler&) = delete;
  CChangeScheduler& operator=(const CChangeScheduler&) = delete;

  // (Re)starts the change timer from the current settings: after start-up has
  // set appStartTime, on pause/resume, blank/restore, and after settings are applied.
  void ArmScheduler();
  // Kills the change timer until the next ArmScheduler (shutdown, a destroyed window).
  void Stop() { KillChangeTimer(); }
  // WM_TIMER handling; returns false when timerId is not the change timer.
  bool OnTimer(WPARAM timerId);
  // The schedule check of one tick.
  void SchedulerTick();

  bool TimerArmed() const { return armed; }
  bool TimerAligned() const { return timerAligned; }
  // The period the timer was last set with, in milliseconds.
  uint32_t PeriodMs() const { return periodMs; }

 private:
  void KillChangeTimer();
  bool SetChangeTimer(uint32_t ms);

  HWND window;
  Hooks hooks;
  bool armed = false;
  // true: the timer runs with its final period; false: it was set to reach
  // the next minute boundary and switches to 60000 ms at its first tick.
  bool timerAligned = false;
  uint32_t periodMs = 0;
};
