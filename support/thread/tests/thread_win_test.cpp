#include "support/thread/thread_win.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <functional>

namespace {

// Waits of the tests end after this; a hang shows as a failure, not a stuck run.
constexpr DWORD kGuardMs = 20000;

UniqueHandle NewEvent(bool manualReset) { return UniqueHandle(CreateEventW(nullptr, manualReset, FALSE, nullptr)); }

// What the workers saw; outlives the thread objects, so that it can be
// checked after they joined their threads.
struct Record {
  std::atomic<int> starts{0};
  std::atomic<int> ended{0};
  std::array<std::atomic<int>, 8> runningAfterRelease{};  // 1 true, 2 false
  std::atomic<int> priority{-100};
  std::atomic<bool> runningAtEntry{false};
  UniqueHandle entered = NewEvent(false);
  UniqueHandle release = NewEvent(true);
};

class Worker : public cThread {
 public:
  struct Options {
    bool blockOnRelease = false;  // ignores running until the release event
    bool watchRunning = true;     // then loops until the stop request
    bool stopItself = false;
    uint32_t exitCode = 0;
  };
  Worker(Record& record, Options options) : record(record), options(options) {}
  ~Worker() override { Stop(); }

  HANDLE StartAt(int priority) {
    HANDLE h = Start();
    if (h) {
      EXPECT_TRUE(ResumeWithPriority(priority));
    }
    return h;
  }
  using cThread::SetCreationFlags;
  using cThread::ThreadHandle;

 protected:
  uint32_t Run() override {
    const int index = record.starts.fetch_add(1);
    record.runningAtEntry = IsRunning();
    record.priority = GetThreadPriority(GetCurrentThread());
    SetEvent(record.entered.get());
    if (options.blockOnRelease) {
      WaitForSingleObject(record.release.get(), INFINITE);
      if (index < 8) record.runningAfterRelease[index] = IsRunning() ? 1 : 2;
    }
    if (options.stopItself) Stop();
    while (options.watchRunning && IsRunning()) Sleep(1);
    record.ended.fetch_add(1);
    return options.exitCode;
  }

 private:
  Record& record;
  Options options;
};

bool WaitEntered(Record& r) { return WaitForSingleObject(r.entered.get(), kGuardMs) == WAIT_OBJECT_0; }

TEST(cThread, StopWithoutThreadDoesNothing) {
  Record r;
  Worker w(r, {});
  EXPECT_FALSE(w.IsRunning());
  w.Stop();
  w.Stop();
  EXPECT_FALSE(w.IsRunning());
  EXPECT_EQ(w.ThreadHandle(), nullptr);
  EXPECT_EQ(r.starts, 0);
}

TEST(cThread, RunWatchingRunningEndsOnStopAndDoubleStopIsHarmless) {
  Record r;
  Worker w(r, {});
  ASSERT_NE(w.StartAt(THREAD_PRIORITY_BELOW_NORMAL), nullptr);
  EXPECT_TRUE(w.IsRunning());
  ASSERT_TRUE(WaitEntered(r));
  EXPECT_TRUE(r.runningAtEntry);
  EXPECT_EQ(r.priority, THREAD_PRIORITY_BELOW_NORMAL);
  w.Stop();
  EXPECT_EQ(r.ended, 1) << "Stop returns after Run has ended";
  EXPECT_FALSE(w.IsRunning());
  EXPECT_EQ(w.ThreadHandle(), nullptr);
  w.Stop();
  EXPECT_EQ(r.ended, 1);
}

TEST(cThread, ExitCodeIsRunsResult) {
  Record r;
  Worker w(r, {false, false, false, 42});
  HANDLE h = w.StartAt(THREAD_PRIORITY_NORMAL);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(WaitForSingleObject(h, kGuardMs), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(h, &code));
  EXPECT_EQ(code, 42u);
  w.Stop();
}

TEST(cThread, BaseRunReturnsZero) {
  cThread t;
  HANDLE h = t.Start();
  ASSERT_NE(h, nullptr);
  ResumeThread(h);
  ASSERT_EQ(WaitForSingleObject(h, kGuardMs), WAIT_OBJECT_0);
  DWORD code = 99;
  ASSERT_TRUE(GetExitCodeThread(h, &code));
  EXPECT_EQ(code, 0u);
}

TEST(cThread, StartWhileRunningStopsThePreviousThreadFirst) {
  Record r;
  Worker w(r, {});
  ASSERT_NE(w.StartAt(THREAD_PRIORITY_NORMAL), nullptr);
  ASSERT_TRUE(WaitEntered(r));
  ASSERT_NE(w.StartAt(THREAD_PRIORITY_NORMAL), nullptr);
  EXPECT_EQ(r.ended, 1) << "the first Run ended before the second thread was made";
  EXPECT_TRUE(w.IsRunning());
  ASSERT_TRUE(WaitEntered(r));
  EXPECT_EQ(r.starts, 2);
  w.Stop();
  EXPECT_EQ(r.ended, 2);
}

TEST(cThread, ExpiredStopTimeoutLetsTheObjectStartAgain) {
  Record r;
  {
    Worker w(r, {true, true, false, 0});
    w.SetStopTimeout(50);
    ASSERT_NE(w.StartAt(THREAD_PRIORITY_NORMAL), nullptr);
    ASSERT_TRUE(WaitEntered(r));
    w.Stop();  // Run ignores the request until released: the wait expires
    EXPECT_EQ(w.ThreadHandle(), nullptr);
    EXPECT_FALSE(w.IsRunning());
    EXPECT_EQ(r.ended, 0);

    ASSERT_NE(w.StartAt(THREAD_PRIORITY_NORMAL), nullptr);
    ASSERT_TRUE(WaitEntered(r));
    EXPECT_TRUE(w.IsRunning());
    SetEvent(r.release.get());
    // The first worker was let go: it must not take the second start's flag for its own.
    w.SetStopTimeout(INFINITE);
    for (DWORD waited = 0; r.runningAfterRelease[1] == 0 && waited < kGuardMs; ++waited) Sleep(1);
    w.Stop();
    EXPECT_EQ(r.starts, 2);
  }  // the destructor also joins the worker it let go
  EXPECT_EQ(r.ended, 2);
  EXPECT_EQ(r.runningAfterRelease[0], 2) << "the abandoned worker reads running as false";
  EXPECT_EQ(r.runningAfterRelease[1], 1);
}

TEST(cThread, StopOfANeverResumedThreadReturns) {
  Record r;
  Worker w(r, {});
  ASSERT_NE(w.Start(), nullptr);  // suspended, never resumed
  EXPECT_TRUE(w.IsRunning());
  w.Stop();  // infinite time-out: must still return
  EXPECT_EQ(r.starts, 1);
  EXPECT_FALSE(r.runningAtEntry) << "Run runs once, already asked to stop";
  EXPECT_EQ(r.ended, 1);
  EXPECT_FALSE(w.IsRunning());
}

TEST(cThread, WithoutSuspendTheThreadSeesRunningAtOnce) {
  Record r;
  Worker w(r, {});
  w.SetCreationFlags(0);
  ASSERT_NE(w.Start(), nullptr);
  ASSERT_TRUE(WaitEntered(r));
  EXPECT_TRUE(r.runningAtEntry);
  w.Stop();
  EXPECT_EQ(r.ended, 1);
}

TEST(cThread, StopFromTheWorkerDoesNotWaitForItself) {
  Record r;
  Worker w(r, {false, true, true, 0});
  HANDLE h = w.StartAt(THREAD_PRIORITY_NORMAL);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(WaitForSingleObject(h, kGuardMs), WAIT_OBJECT_0);
  EXPECT_EQ(r.ended, 1);
  EXPECT_FALSE(w.IsRunning());
  w.Stop();
  EXPECT_EQ(w.ThreadHandle(), nullptr);
}

TEST(cThread, DestroyingARunningObjectJoinsIt) {
  Record r;
  {
    Worker w(r, {});
    ASSERT_NE(w.StartAt(THREAD_PRIORITY_NORMAL), nullptr);
    ASSERT_TRUE(WaitEntered(r));
  }
  EXPECT_EQ(r.ended, 1);
}

}  // namespace
