#include "shell/schedule/schedule.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int64_t At(int y, int mo, int d, int h, int mi, int s) {
  return DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

// A fixed zone, UTC + offsetSeconds, so that every row means the same on every
// machine; failAt makes the conversion of one instant fail.
struct FixedZone {
  int64_t offsetSeconds = 0;
  std::optional<int64_t> failAt;
  std::optional<ScheduleLocalTime> operator()(int64_t t) const {
    if (failAt && *failAt == t) return std::nullopt;
    // Like the C library, give up far outside the calendar's range.
    if (t < -(int64_t{1} << 40) || t > (int64_t{1} << 40)) return std::nullopt;
    t += offsetSeconds;
    int64_t days = t >= 0 ? t / 86400 : -((-t + 86399) / 86400);
    const int64_t secs = t - days * 86400;
    ScheduleLocalTime lt;
    lt.sec = static_cast<int>(secs % 60);
    lt.min = static_cast<int>(secs / 60 % 60);
    lt.hour = static_cast<int>(secs / 3600);
    lt.wday = static_cast<int>(((days + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
    // Year by search from an estimate; the range of the table is small.
    int64_t year = 1970 + days / 366;
    while (DaysFromCivil(year + 1, 1, 1) <= days) ++year;
    while (DaysFromCivil(year, 1, 1) > days) --year;
    lt.yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
    lt.year = static_cast<int>(year - 1900);
    return lt;
  }
};

TEST(FixedZone, KnownDates) {
  FixedZone utc;
  auto t = utc(At(2024, 6, 2, 10, 3, 20));  // a Sunday
  ASSERT_TRUE(t);
  EXPECT_EQ(t->wday, 0);
  EXPECT_EQ(t->yday, 31 + 29 + 31 + 30 + 31 + 1);
  EXPECT_EQ(t->hour, 10);
  EXPECT_EQ(t->min, 3);
  EXPECT_EQ(t->sec, 20);
  EXPECT_EQ(t->year, 124);
  auto before = utc(-1);
  ASSERT_TRUE(before);
  EXPECT_EQ(before->yday, 364);
  EXPECT_EQ(before->hour, 23);
  EXPECT_EQ(before->wday, 3);
}

// ----------------------------------------------------------------- arming

struct ArmCase {
  const char* name;
  bool changeAtTime;
  int32_t changeWhen;
  std::optional<int> sec;  // nullopt: local time unavailable
  bool run;
  uint32_t periodMs;
  bool aligned;
};

TEST(DecideArming, Table) {
  const ArmCase cases[] = {
      {"paused kills only", false, 2, 10, false, 0, false},
      {"paused short choice kills only", false, 0, 10, false, 0, false},
      {"15 seconds", true, 0, 17, true, 15000, true},
      {"30 seconds", true, 1, 17, true, 30000, true},
      {"every minute from sec 20", true, 2, 20, true, 40000, false},
      {"5 minutes from 10:03:20", true, 3, 20, true, 40000, false},
      {"on the boundary waits a whole minute", true, 7, 0, true, 60000, false},
      {"sec 59", true, 9, 59, true, 1000, false},
      {"leap second hits the 100 ms floor", true, 16, 60, true, 100, false},
      {"weekly aligns too", true, 10, 30, true, 30000, false},
      {"no local time waits a minute", true, 2, std::nullopt, true, 60000, false},
      {"short choice needs no local time", true, 0, std::nullopt, true, 15000, true},
      {"choice 17 out of range", true, 17, 10, false, 0, false},
      {"negative choice", true, -1, 10, false, 0, false},
      {"huge choice", true, INT32_MAX, 10, false, 0, false},
  };
  for (const ArmCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScheduleSettings s{c.changeAtTime, c.changeWhen, 0, 0};
    std::optional<ScheduleLocalTime> local;
    if (c.sec) {
      local = ScheduleLocalTime{};
      local->sec = *c.sec;
    }
    TimerArming a = DecideArming(s, local);
    EXPECT_EQ(a.run, c.run);
    if (c.run) {
      EXPECT_EQ(a.periodMs, c.periodMs);
      EXPECT_EQ(a.timerAligned, c.aligned);
    }
  }
}

// ------------------------------------------------------------------ ticks

const int64_t kNoon = At(2024, 6, 3, 12, 0, 0);  // a Monday
const int64_t kSunday = At(2024, 6, 2, 0, 0, 0);
constexpr int64_t kDay = 86400;
constexpr int64_t kWeek = 7 * kDay;

struct TickCase {
  const char* name;
  int32_t changeWhen;
  int64_t last;
  int64_t start;
  int64_t now;
  bool request;
  bool rearm;
  FixedZone zone = {};
  bool paused = false;
};

TEST(DecideTick, Table) {
  const int64_t t1003 = At(2024, 6, 3, 10, 3, 20);
  const TickCase cases[] = {
      // Short choices change on every tick and keep their period.
      {"15 s changes", 0, 0, kNoon - 100, kNoon + 7, true, false},
      {"30 s changes", 1, kNoon - 30, 0, kNoon, true, false},
      {"15 s never re-arms after the clock went back", 0, kNoon + 5000, 0, kNoon + 13, true, false},

      // Every minute: aligned ticks change; drift and pauses.
      {"minute aligned tick", 2, kNoon - 60, 0, kNoon, true, false},
      {"minute aligned, just started", 2, 0, kNoon - 20, kNoon, true, false},
      {"minute drifted, 59 s since", 2, kNoon - 59 + 1, 0, kNoon + 1, false, true},
      {"minute drifted, 60 s since catches up", 2, kNoon - 59, 0, kNoon + 1, true, true},
      {"minute after a long pause", 2, kNoon - 3600, kNoon - 7200, kNoon + 30, true, true},
      {"minute on sec 0 after a pause re-arms", 2, kNoon - 600, 0, kNoon, true, true},
      {"minute measures from the later start", 2, kNoon - 3600, kNoon - 20, kNoon + 30, false, true},

      // Every 5 minutes started at 10:03:20.
      {"5 min first tick 10:04:00", 3, 0, t1003, t1003 + 40, false, false},
      {"5 min tick 10:05:00", 3, 0, t1003, t1003 + 100, true, false},
      {"5 min late tick 10:05:09", 3, 0, t1003, t1003 + 109, true, true},
      {"5 min late tick 10:05:10", 3, 0, t1003, t1003 + 110, false, true},
      {"5 min no catch-up, but re-arm", 3, t1003 - 1000, 0, t1003 + 160, false, true},
      {"5 min boundary exactly P back", 3, t1003 + 100 - 300, 0, t1003 + 100, true, false},
      {"10 min at :10", 4, 0, kNoon - 55 * 60, kNoon - 50 * 60, true, false},
      {"10 min not at :05", 4, 0, kNoon - 2 * 3600, kNoon - 55 * 60, false, true},
      {"quarter at :45", 5, 0, kNoon - 900, kNoon - 15 * 60, true, false},
      {"quarter at :50, exactly P back", 5, kNoon - 10 * 60 - 900, 0, kNoon - 10 * 60, false, false},
      {"quarter at :50, more than P back", 5, kNoon - 10 * 60 - 901, 0, kNoon - 10 * 60, false, true},
      {"half hour at :30", 6, 0, kNoon - 31 * 60, kNoon - 30 * 60, true, false},
      {"half hour not at :15", 6, 0, kNoon - 46 * 60, kNoon - 45 * 60, false, false},
      {"hour on the hour", 7, 0, kNoon - 120, kNoon, true, false},
      {"hour at :30 after 2 h re-arms", 7, kNoon - 2 * 3600, 0, kNoon - 30 * 60, false, true},

      // At noon, started at 12:00:40.
      {"noon started 12:00:40, tick 12:01", 8, 0, kNoon + 40, kNoon + 60, false, false},
      {"noon next day 12:00", 8, 0, kNoon + 40, kNoon + kDay, true, false},
      {"noon next day 12:01 after no change", 8, 0, kNoon + 40, kNoon + kDay + 60, true, true},
      {"noon window ends at 12:00:29", 8, kNoon - kDay, 0, kNoon + 29, true, true},
      {"noon window closed 12:00:30", 8, kNoon - kDay + 31, 0, kNoon + 30, false, true},
      {"noon catch-up after sleeping through", 8, kNoon - kDay, 0, kNoon + 3600, true, true},
      {"noon catch-up at exactly one day", 8, kNoon - kDay + 3600, 0, kNoon + 3600, true, false},
      {"midnight", 9, 0, kNoon, kNoon + 12 * 3600, true, false},
      {"not midnight at 00:01", 9, kNoon + 12 * 3600, 0, kNoon + 12 * 3600 + 60, false, false},

      // Weekly: once on the day, decided by the date of the last change.
      {"Sunday first tick", 10, kSunday - kWeek + 3600, 0, kSunday, true, false},
      {"Sunday later tick same day", 10, kSunday, 0, kSunday + 7200, false, false},
      {"Sunday, never changed before, re-arms", 10, 0, kSunday - 50, kSunday + 60, true, true},
      {"Sunday choice on a Monday", 10, kSunday - kWeek, 0, kSunday + kDay, false, true},
      {"Monday", 11, kSunday, 0, kSunday + kDay, true, false},
      {"Saturday", 16, kSunday - kDay + 60, 0, kSunday - kDay + 120, false, false},
      {"Saturday first tick", 16, kSunday - 8 * kDay, 0, kSunday - kDay + 120, true, true},
      {"weekly ignores a later start", 13, kSunday - 10 * kDay, kSunday, kSunday + 3 * kDay, true, true},
      {"weekly, same day of year six years back",
       10, At(2017, 1, 1, 12, 0, 0), 0, At(2023, 1, 1, 12, 0, 0), true, true},
      {"weekly day taken in local time (UTC+2)",
       10, At(2024, 6, 1, 23, 0, 0), 0, At(2024, 6, 2, 8, 0, 0), false, false, {2 * 3600}},
      {"weekly day taken in local time (UTC)",
       10, At(2024, 6, 1, 23, 0, 0), 0, At(2024, 6, 2, 8, 0, 0), true, false},
      {"weekly last change not convertible",
       10, kSunday - 3600, 0, kSunday + 60, true, false, {0, kSunday - 3600}},

      // The clock was set back: elapsed reads as the largest value.
      {"clock back: every minute", 2, kNoon + 3600, 0, kNoon + 30, true, true},
      {"clock back: noon", 8, kNoon + 6 * 3600, 0, kNoon + 5 * 3600, true, true},
      {"clock back: midnight", 9, kNoon + 6 * 3600, 0, kNoon + 5 * 3600, true, true},
      {"clock back: 5 min no change, re-arm", 3, kNoon + 3600, 0, kNoon + 60, false, true},
      {"clock back: weekly re-arm", 12, kSunday + 2 * kDay + 3600, 0, kSunday + 2 * kDay, false, true},

      // Elapsed is taken on the low 32 bits.
      {"2^32 + 30 s reads as 30", 2, kNoon - (int64_t{1} << 32), kNoon - (int64_t{1} << 32), kNoon + 30, false, true},
      {"2^31 + 5 s reads negative", 2, kNoon + 30 - (int64_t{1} << 31) - 5, kNoon + 30 - (int64_t{1} << 31) - 5, kNoon + 30, true, true},
      {"2^32 + 60 s reads as 60", 2, kNoon - 30 - (int64_t{1} << 32), kNoon - 30 - (int64_t{1} << 32), kNoon + 30, true, true},
      {"2^32 + 61 s reads as 61 (weekly from the last change)", 10, kSunday + 61 - (int64_t{1} << 32), kSunday, kSunday + 122, true, false},
      {"extreme stored values do not overflow", 2, INT64_MIN, INT64_MIN, kNoon, true, true},

      // Values the schedule cannot act on.
      {"choice 17", 17, 0, 0, kNoon, false, false},
      {"choice -1", -1, 0, 0, kNoon, false, false},
      {"choice INT32_MIN", INT32_MIN, 0, 0, kNoon, false, false},
      {"now not convertible", 2, 0, 0, kNoon, false, false, {0, kNoon}},
      {"now not convertible, short choice", 0, 0, 0, kNoon, false, false, {0, kNoon}},
      {"stale tick while paused", 0, 0, 0, kNoon, false, false, {}, true},
      {"stale tick while paused, minute", 2, kNoon - 3600, 0, kNoon, false, false, {}, true},
  };
  for (const TickCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScheduleSettings s{!c.paused, c.changeWhen, c.last, c.start};
    TickDecision d = DecideTick(s, c.now, c.zone);
    EXPECT_EQ(d.requestChange, c.request);
    EXPECT_EQ(d.rearm, c.rearm);
  }
}

TEST(ScheduleElapsed, ReferencePoint) {
  const int64_t now = kNoon;
  // Choices 0 to 9 count from the later of start and last change.
  EXPECT_EQ(ScheduleElapsed({true, 9, now - 100, now - 10}, now), 10);
  EXPECT_EQ(ScheduleElapsed({true, 9, now - 10, now - 100}, now), 10);
  // Weekly choices count from the last change only.
  EXPECT_EQ(ScheduleElapsed({true, 10, now - 100, now - 10}, now), 100);
  EXPECT_EQ(ScheduleElapsed({true, 2, now + 1, 0}, now), kElapsedClockSetBack);
  EXPECT_EQ(ScheduleElapsed({true, 2, now, 0}, now), 0);
}

TEST(DecideTimerStep, Table) {
  EXPECT_EQ(DecideTimerStep(false, true, true), TimerStep::Ignore);
  EXPECT_EQ(DecideTimerStep(false, false, true), TimerStep::Ignore);
  EXPECT_EQ(DecideTimerStep(true, true, true), TimerStep::Tick);
  EXPECT_EQ(DecideTimerStep(true, true, false), TimerStep::Tick);  // the tick itself gives up
  EXPECT_EQ(DecideTimerStep(true, false, true), TimerStep::SwitchToPeriodThenTick);
  EXPECT_EQ(DecideTimerStep(true, false, false), TimerStep::Ignore);
}

// --------------------------------------------------------------- scenarios
// A simulated window timer driven by the decisions, with a pipeline that
// stamps LastRegularChange, as the real shell does.

class SimulatedScheduler {
 public:
  SimulatedScheduler(ScheduleSettings s, FixedZone zone) : settings(s), zone(zone) {}

  void Arm(int64_t nowMs) {
    armed = false;
    TimerArming a = DecideArming(settings, zone(nowMs / 1000));
    if (!a.run) return;
    armed = true;
    periodMs = a.periodMs;
    dueMs = nowMs + a.periodMs;
    aligned = a.timerAligned;
    log.push_back("arm " + Clock(nowMs) + " " + std::to_string(a.periodMs));
  }

  // Runs the timer until untilMs.
  void RunUntil(int64_t untilMs) {
    while (armed && dueMs <= untilMs) {
      const int64_t fire = dueMs;
      dueMs += periodMs;
      const int64_t now = fire / 1000;
      TimerStep step = DecideTimerStep(armed, aligned, zone(now).has_value());
      if (step == TimerStep::Ignore) continue;
      if (step == TimerStep::SwitchToPeriodThenTick) {
        periodMs = kAlignedPeriodMs;
        dueMs = fire + periodMs;
        aligned = true;
        log.push_back("align " + Clock(fire));
      }
      TickDecision d = DecideTick(settings, now, zone);
      if (d.requestChange) {
        settings.lastRegularChange = now;
        changes.push_back(now);
      }
      if (d.rearm) Arm(fire);
    }
  }

  std::string Clock(int64_t ms) const {
    auto t = zone(ms / 1000);
    char buf[32];
    snprintf(buf, sizeof buf, "%02d:%02d:%02d", t->hour, t->min, t->sec);
    return buf;
  }

  ScheduleSettings settings;
  FixedZone zone;
  bool armed = false;
  bool aligned = false;
  uint32_t periodMs = 0;
  int64_t dueMs = 0;
  std::vector<int64_t> changes;
  std::vector<std::string> log;
};

TEST(Scenario, FiveMinutesFrom100320) {
  const int64_t start = At(2024, 6, 3, 10, 3, 20);
  SimulatedScheduler sim({true, 3, 0, start}, {});
  sim.Arm(start * 1000 + 500);
  EXPECT_EQ(sim.periodMs, 40000u);
  sim.RunUntil((start + 100) * 1000 + 600);
  ASSERT_GE(sim.log.size(), 2u);
  EXPECT_EQ(sim.log[1], "align 10:04:00");
  EXPECT_TRUE(sim.aligned);
  EXPECT_EQ(sim.periodMs, kAlignedPeriodMs);
  ASSERT_EQ(sim.changes.size(), 1u);
  EXPECT_EQ(sim.changes[0], At(2024, 6, 3, 10, 5, 0));
  // Then one change every five minutes for an hour, no more.
  sim.RunUntil((start + 100 + 3600) * 1000 + 600);
  EXPECT_EQ(sim.changes.size(), 13u);
  for (int64_t c : sim.changes) EXPECT_EQ(c % 300, 0);
}

TEST(Scenario, NoonStartedAt120040) {
  const int64_t start = kNoon + 40;
  SimulatedScheduler sim({true, 8, 0, start}, {});
  sim.Arm(start * 1000);
  sim.RunUntil((kNoon + kDay - 1) * 1000);
  EXPECT_TRUE(sim.changes.empty());
  sim.RunUntil((kNoon + 3 * kDay - 1) * 1000);
  ASSERT_EQ(sim.changes.size(), 2u);
  EXPECT_EQ(sim.changes[0], kNoon + kDay);
  EXPECT_EQ(sim.changes[1], kNoon + 2 * kDay);
}

TEST(Scenario, EveryMinutePausedAndResumed) {
  const int64_t start = kNoon + 15;
  SimulatedScheduler sim({true, 2, 0, start}, {});
  sim.Arm(start * 1000);
  sim.RunUntil((kNoon + 300) * 1000);
  // Every aligned tick changes, the first one after the start too.
  EXPECT_EQ(sim.changes.size(), 5u);
  // Pause for ten minutes, then resume at 12:15:20.
  sim.settings.changeAtTime = false;
  sim.Arm((kNoon + 301) * 1000);
  EXPECT_FALSE(sim.armed);
  sim.RunUntil((kNoon + 920) * 1000);
  EXPECT_EQ(sim.changes.size(), 5u);
  sim.settings.changeAtTime = true;
  sim.Arm((kNoon + 920) * 1000);
  sim.RunUntil((kNoon + 1020) * 1000);
  // No catch-up at resuming: the next change is the next minute boundary.
  ASSERT_EQ(sim.changes.size(), 7u);
  EXPECT_EQ(sim.changes[5], kNoon + 960);
  EXPECT_EQ(sim.changes[6], kNoon + 1020);
}

TEST(Scenario, WeeklyOncePerWeek) {
  const int64_t start = kSunday - 3 * kDay + 17;
  SimulatedScheduler sim({true, 12, 0, start}, {});  // Tuesdays
  sim.Arm(start * 1000);
  sim.RunUntil((start + 3 * kWeek) * 1000);
  ASSERT_EQ(sim.changes.size(), 3u);
  for (size_t i = 0; i < sim.changes.size(); ++i) {
    EXPECT_EQ(sim.zone(sim.changes[i])->wday, 2);
    EXPECT_EQ(sim.changes[i] % kDay, 0) << "the first tick of the day";
  }
}

TEST(Scenario, DriftedTickReturnsToAligning) {
  const int64_t start = kNoon + 15;
  SimulatedScheduler sim({true, 2, 0, start}, {});
  sim.Arm(start * 1000);
  sim.RunUntil((kNoon + 60) * 1000);
  ASSERT_TRUE(sim.aligned);
  // The timer slips by 2.5 s: the drifted tick changes (a minute passed) and re-arms.
  sim.dueMs += 2500;
  sim.RunUntil((kNoon + 123) * 1000);
  EXPECT_FALSE(sim.aligned);
  EXPECT_EQ(sim.periodMs, 58000u);
  EXPECT_EQ(sim.changes.back(), kNoon + 122);
  sim.RunUntil((kNoon + 181) * 1000);
  EXPECT_TRUE(sim.aligned);
  EXPECT_EQ(sim.changes.back(), kNoon + 180);
}

}  // namespace
