#pragma once
// The change schedule's decisions, kept free of windows and clocks so that any
// moment of any day can be replayed: the caller passes the current time and
// the local-time conversion, and applies the answer to its window timer.
#include <cstdint>
#include <functional>
#include <optional>

#include "shell/ids/timer_ids.h"
// Number of schedule choices ("every 15 Seconds" .. "on Saturdays").
constexpr int32_t kChangeWhenCount = 17;
// Period of an aligned timer, and of the two short choices.
constexpr uint32_t kAlignedPeriodMs = 60000;
constexpr uint32_t kEvery15SecondsMs = 15000;
constexpr uint32_t kEvery30SecondsMs = 30000;
// A delay to the next minute boundary is never shorter than this.
constexpr uint32_t kMinimumAlignDelayMs = 100;
// Stand-in for an elapsed time that went negative (the clock was set back).
constexpr int32_t kElapsedClockSetBack = 2147483647;

// The fields of the local time that the rules read (as in struct tm).
struct ScheduleLocalTime {
  int sec = 0;   // 0..60
  int min = 0;   // 0..59
  int hour = 0;  // 0..23
  int wday = 0;  // 0 = Sunday
  int yday = 0;  // 0..365
  int year = 0;  // years since 1900
};

// Converts seconds since 1970 to local time; nullopt when it cannot.
using LocalTimeFunction = std::function<std::optional<ScheduleLocalTime>(int64_t)>;

// The settings values the schedule reads. The shell fills it from the live
// Settings: ChangeAtTime, ChangeWhen, LastRegularChange, appStartTime.
struct ScheduleSettings {
  bool changeAtTime = false;
  int32_t changeWhen = 0;
  int64_t lastRegularChange = 0;  // seconds since 1970, 0 if none
  int64_t appStartTime = 0;       // seconds since 1970
};

// How ArmScheduler leaves the timer: it is always killed first; then, if run
// is set, set again with periodMs.
struct TimerArming {
  bool run = false;
  uint32_t periodMs = 0;
  bool timerAligned = false;
};

// nowLocal is the local time at arming (nullopt if it could not be converted).
TimerArming DecideArming(const ScheduleSettings& settings, std::optional<ScheduleLocalTime> nowLocal);

// What a tick asks for: a scheduled forward change, and/or a re-arm.
struct TickDecision {
  bool requestChange = false;
  bool rearm = false;
};

TickDecision DecideTick(const ScheduleSettings& settings, int64_t now, const LocalTimeFunction& localTime);

// Seconds since the later of this start and the last scheduled change (choices
// 0 to 9) or since the last scheduled change (weekly choices), on the low 32
// bits; a negative difference reads as kElapsedClockSetBack.
int32_t ScheduleElapsed(const ScheduleSettings& settings, int64_t now);

// The catch-up period of a choice in seconds; 0 for the short choices and for
// values out of range.
int32_t CatchUpPeriod(int32_t changeWhen);

// What the window procedure does with a tick of the change timer before the
// schedule check.
enum class TimerStep {
  Ignore,                  // a stale tick, or an aligning tick without local time
  Tick,                    // run the schedule check
  SwitchToPeriodThenTick,  // first tick at the minute boundary: re-set with 60000 ms, then check
};

// armed: the scheduler left a timer running. A tick that arrives after the
// timer was killed is stale: killing a timer does not take back a WM_TIMER
// already posted.
TimerStep DecideTimerStep(bool armed, bool timerAligned, bool localTimeAvailable);
