#include "shell/schedule/scheduler_win.h"

#include <time.h>

#include <utility>

std::optional<ScheduleLocalTime> LocalTimeWin(int64_t time) {
  __time64_t t = time;
  struct tm tm {};
  if (_localtime64_s(&tm, &t) != 0) return std::nullopt;
  ScheduleLocalTime lt;
  lt.sec = tm.tm_sec;
  lt.min = tm.tm_min;
  lt.hour = tm.tm_hour;
  lt.wday = tm.tm_wday;
  lt.yday = tm.tm_yday;
  lt.year = tm.tm_year;
  return lt;
}

int64_t CurrentTimeWin() { return _time64(nullptr); }

CChangeScheduler::CChangeScheduler(HWND window, Hooks hooks) : window(window), hooks(std::move(hooks)) {}

CChangeScheduler::~CChangeScheduler() { KillChangeTimer(); }

void CChangeScheduler::KillChangeTimer() {
  KillTimer(window, kChangeTimerId);
  armed = false;
  periodMs = 0;
}

bool CChangeScheduler::SetChangeTimer(uint32_t ms) {
  armed = SetTimer(window, kChangeTimerId, ms, nullptr) != 0;
  periodMs = armed ? ms : 0;
  return armed;
}

void CChangeScheduler::ArmScheduler() {
  KillChangeTimer();
  const ScheduleSettings settings = hooks.readSettings();
  // The short choices need no local time; the others align to it.
  std::optional<ScheduleLocalTime> local;
  if (settings.changeAtTime && settings.changeWhen >= 2) local = hooks.localTime(hooks.now());
  const TimerArming arming = DecideArming(settings, local);
  if (!arming.run) return;
  if (SetChangeTimer(arming.periodMs)) timerAligned = arming.timerAligned;
}

bool CChangeScheduler::OnTimer(WPARAM timerId) {
  if (timerId != kChangeTimerId) return false;
  const bool localAvailable = timerAligned || hooks.localTime(hooks.now()).has_value();
  switch (DecideTimerStep(armed, timerAligned, localAvailable)) {
    case TimerStep::Ignore:
      return true;
    case TimerStep::SwitchToPeriodThenTick:
      KillChangeTimer();
      if (!SetChangeTimer(kAlignedPeriodMs)) return true;
      timerAligned = true;
      break;
    case TimerStep::Tick:
      break;
  }
  SchedulerTick();
  return true;
}

void CChangeScheduler::SchedulerTick() {
  const TickDecision decision = DecideTick(hooks.readSettings(), hooks.now(), hooks.localTime);
  if (decision.requestChange) hooks.requestChange();
  if (decision.rearm) ArmScheduler();
}
