// The dispatcher on a real message-only window under Wine: tasks from workers
// run on the UI thread exactly once; refused and late tasks are freed unrun.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "support/dispatch/ui_dispatcher_win.h"
#include "support/tests/message_pump_win.h"

namespace {

// Counts the copies of a task's payload that are still alive.
struct Payload {
  explicit Payload(std::atomic<int>& alive) : alive(alive) { ++alive; }
  ~Payload() { --alive; }
  std::atomic<int>& alive;
};

using testpump::PumpUntil;

TEST(UiDispatcher, TasksFromSeveralWorkersRunOnceEachOnTheUiThread) {
  UiDispatcher dispatcher;
  ASSERT_TRUE(dispatcher.Valid());
  const DWORD uiThread = GetCurrentThreadId();
  constexpr int kWorkers = 4, kEach = 250;
  std::vector<int> runs(kWorkers * kEach, 0);
  std::atomic<int> wrongThread{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w)
    workers.emplace_back([&, w] {
      for (int i = 0; i < kEach; ++i)
        EXPECT_TRUE(dispatcher.Post([&, n = w * kEach + i] {
          ++runs[n];
          if (GetCurrentThreadId() != uiThread) ++wrongThread;
        }));
    });
  for (auto& t : workers) t.join();
  int total = 0;
  ASSERT_TRUE(PumpUntil([&] {
    total = 0;
    for (int r : runs) total += r;
    return total == kWorkers * kEach;
  }));
  PumpUntil([] { return false; }, 50);  // nothing runs twice
  for (int r : runs) EXPECT_EQ(r, 1);
  EXPECT_EQ(wrongThread.load(), 0);
}

TEST(UiDispatcher, CloseFreesWaitingTasksUnrunAndRefusesLaterOnes) {
  std::atomic<int> alive{0};
  int ran = 0;
  {
    UiDispatcher dispatcher;
    for (int i = 0; i < 3; ++i)
      ASSERT_TRUE(dispatcher.Post([p = std::make_shared<Payload>(alive), &ran] { ++ran; }));
    EXPECT_EQ(alive.load(), 3);
    dispatcher.Close();
    EXPECT_EQ(alive.load(), 0) << "queued tasks were not freed";
    // A worker that finishes after shutdown: refused, and its payload freed.
    std::thread late([&] { EXPECT_FALSE(dispatcher.Post([p = std::make_shared<Payload>(alive), &ran] { ++ran; })); });
    late.join();
    EXPECT_EQ(alive.load(), 0);
    dispatcher.Close();  // twice is harmless
  }
  PumpUntil([] { return false; }, 50);
  EXPECT_EQ(ran, 0);
}

TEST(UiDispatcher, DestructionWithWaitingTasksFreesThem) {
  std::atomic<int> alive{0};
  {
    UiDispatcher dispatcher;
    ASSERT_TRUE(dispatcher.Post([p = std::make_shared<Payload>(alive)] {}));
  }
  EXPECT_EQ(alive.load(), 0);
}

}  // namespace
