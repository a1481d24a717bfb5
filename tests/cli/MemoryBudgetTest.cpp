#include "cli/MemoryBudget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "cli/BatchRunner.h"

using namespace std::chrono_literals;

TEST(MemoryBudget, IsHalfOfWhatTheSystemSaysIsAvailable) {
  EXPECT_EQ(MemoryBudget::HalfAvailable("MemTotal:  8000 kB\nMemFree:  100 kB\nMemAvailable:  4000 kB\n"),
            2000u * 1024);
  EXPECT_EQ(MemoryBudget::HalfAvailable("MemTotal:  8000 kB\n"), MemoryBudget::kUnlimited);
}

// 60 + 60 don't fit in 100; 150 is more than the whole, so it waits until nothing else is held.
TEST(MemoryBudget, APictureStartsOnlyWhenItFits) {
  MemoryBudget budget(100);
  ASSERT_TRUE(budget.Take(60, nullptr));
  std::atomic<int> stage{0};
  std::thread second([&] {
    EXPECT_TRUE(budget.Take(60, nullptr));
    stage = 1;
    budget.Give(60);
    EXPECT_TRUE(budget.Take(150, nullptr));
    stage = 2;
    budget.Give(150);
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(stage.load(), 0);
  budget.Give(60);
  second.join();
  EXPECT_EQ(stage.load(), 2);
  std::atomic<bool> stop{false};
  ASSERT_TRUE(budget.Take(100, nullptr));
  std::thread waiting([&] { EXPECT_FALSE(budget.Take(1, [&] { return stop.load(); })); });
  stop = true;
  waiting.join();
}

TEST(BatchRunner, NoItemStartsOnceStopped) {
  std::atomic<int> started{0};
  std::atomic<bool> stop{false};
  const size_t failures = BatchRunner(2, [&] { return stop.load(); })
                              .Run(
                                  50,
                                  [&](size_t item) {
                                    ++started;
                                    stop = true;
                                    return item == 0 ? std::string("failed") : std::string();
                                  },
                                  nullptr);
  EXPECT_LE(started.load(), 2);
  EXPECT_LE(failures, 1u);
}
