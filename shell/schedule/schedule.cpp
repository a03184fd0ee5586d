#include "shell/schedule/schedule.h"

namespace {

constexpr int32_t kDaySeconds = 86400;
constexpr int32_t kWeekSeconds = 604800;
constexpr int32_t kFirstWeekly = 10;

bool InRange(int32_t changeWhen) { return changeWhen >= 0 && changeWhen < kChangeWhenCount; }

// The rule of choices 2 to 9 at this local time and elapsed time.
bool DailyRuleHolds(int32_t changeWhen, const ScheduleLocalTime& t, int32_t elapsed) {
  switch (changeWhen) {
    case 2: return t.sec == 0 || elapsed >= 60;
    case 3: return t.min % 5 == 0 && t.sec < 10;
    case 4: return t.min % 10 == 0 && t.sec < 10;
    case 5: return t.min % 15 == 0 && t.sec < 10;
    case 6: return t.min % 30 == 0 && t.sec < 10;
    case 7: return t.min == 0 && t.sec < 10;
    case 8: return (t.hour == 12 && t.min == 0 && t.sec < 30) || elapsed >= kDaySeconds;
    case 9: return (t.hour == 0 && t.min == 0 && t.sec < 30) || elapsed >= kDaySeconds;
    default: return false;
  }
}

}  // namespace

int32_t CatchUpPeriod(int32_t changeWhen) {
  switch (changeWhen) {
    case 2: return 60;
    case 3: return 300;
    case 4: return 600;
    case 5: return 900;
    case 6: return 1800;
    case 7: return 3600;
    case 8:
    case 9: return kDaySeconds;
    default: return InRange(changeWhen) && changeWhen >= kFirstWeekly ? kWeekSeconds : 0;
  }
}

int32_t ScheduleElapsed(const ScheduleSettings& settings, int64_t now) {
  int64_t since = settings.lastRegularChange;
  if (settings.changeWhen < kFirstWeekly && settings.appStartTime > settings.lastRegularChange)
    since = settings.appStartTime;
  // Unsigned arithmetic: the difference of two arbitrary stored values must
  // not overflow, and only its low 32 bits count.
  const auto low = static_cast<uint32_t>(static_cast<uint64_t>(now) - static_cast<uint64_t>(since));
  const auto elapsed = static_cast<int32_t>(low);
  return elapsed < 0 ? kElapsedClockSetBack : elapsed;
}

TimerArming DecideArming(const ScheduleSettings& settings, std::optional<ScheduleLocalTime> nowLocal) {
  TimerArming arming;
  // A choice out of range never changes anything, so it needs no timer.
  if (!settings.changeAtTime || !InRange(settings.changeWhen)) return arming;
  arming.run = true;
  if (settings.changeWhen >= 2) {
    // Without a local time the boundary is unknown: wait a whole minute and
    // let the first tick try again.
    const int sec = nowLocal ? nowLocal->sec : 0;
    const int64_t delay = (60 - static_cast<int64_t>(sec)) * 1000;
    arming.periodMs = delay < kMinimumAlignDelayMs ? kMinimumAlignDelayMs
                      : delay > kAlignedPeriodMs   ? kAlignedPeriodMs
                                                   : static_cast<uint32_t>(delay);
    arming.timerAligned = false;
  } else {
    arming.periodMs = settings.changeWhen == 1 ? kEvery30SecondsMs : kEvery15SecondsMs;
    arming.timerAligned = true;
  }
  return arming;
}

TickDecision DecideTick(const ScheduleSettings& settings, int64_t now, const LocalTimeFunction& localTime) {
  TickDecision decision;
  // A tick that reaches us while changing is paused is stale.
  if (!settings.changeAtTime) return decision;
  const std::optional<ScheduleLocalTime> last = localTime(settings.lastRegularChange);
  const std::optional<ScheduleLocalTime> local = localTime(now);
  const int32_t elapsed = ScheduleElapsed(settings, now);
  if (!local || !InRange(settings.changeWhen)) return decision;

  const int32_t choice = settings.changeWhen;
  if (choice <= 1) {
    decision.requestChange = true;
    return decision;
  }
  if (choice < kFirstWeekly) {
    decision.requestChange = DailyRuleHolds(choice, *local, elapsed);
    decision.rearm = local->sec != 0 || elapsed > CatchUpPeriod(choice);
    return decision;
  }
  // Once on the chosen weekday: the first tick of a day whose date differs
  // from the last scheduled change's. The year counts too, so that a change
  // years back on the same day of the year does not hide today's. A last
  // change that cannot be converted is no change today.
  const bool otherDay = !last || last->yday != local->yday || last->year != local->year;
  decision.requestChange = local->wday == choice - kFirstWeekly && otherDay;
  decision.rearm = elapsed > kWeekSeconds;
  return decision;
}

TimerStep DecideTimerStep(bool armed, bool timerAligned, bool localTimeAvailable) {
  if (!armed) return TimerStep::Ignore;
  if (timerAligned) return TimerStep::Tick;
  return localTimeAvailable ? TimerStep::SwitchToPeriodThenTick : TimerStep::Ignore;
}
