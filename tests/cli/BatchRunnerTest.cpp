#include "cli/BatchRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

TEST(BatchRunner, EveryItemRunsOnceWhateverTheNumberOfWorkers) {
  for (int workers : {0, 1, 2, 7}) {
    std::vector<std::atomic<int>> runs(23);
    size_t failures = BatchRunner(workers).Run(
        runs.size(),
        [&](size_t item) {
          runs[item]++;
          return item % 5 == 0 ? "item " + std::to_string(item) : std::string();
        },
        nullptr);
    EXPECT_EQ(failures, 5u) << workers;
    for (size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(runs[i].load(), 1) << "item " << i << ", " << workers;
  }
  EXPECT_EQ(BatchRunner(2).Run(
                0, [](size_t) { return std::string("never"); }, nullptr),
            0u);
}

TEST(BatchRunner, FailuresAreReportedInItemOrderEvenWhenLaterOnesFinishFirst) {
  std::vector<size_t> reported;
  std::vector<std::string> messages;
  size_t failures = BatchRunner(2).Run(
      6,
      [](size_t item) {
        if (item == 0) std::this_thread::sleep_for(50ms);
        return item % 2 == 0 ? "failed " + std::to_string(item) : std::string();
      },
      [&](size_t item, const std::string& message) {
        reported.push_back(item);
        messages.push_back(message);
      });
  EXPECT_EQ(failures, 3u);
  EXPECT_EQ(reported, (std::vector<size_t>{0, 2, 4}));
  EXPECT_EQ(messages, (std::vector<std::string>{"failed 0", "failed 2", "failed 4"}));
}

TEST(BatchRunner, AnEscapingExceptionFailsOnlyItsItem) {
  std::atomic<int> ran{0};
  std::vector<std::string> messages;
  size_t failures = BatchRunner(2).Run(
      4,
      [&](size_t item) -> std::string {
        ++ran;
        if (item == 1) throw std::runtime_error("broke");
        if (item == 2) throw 42;
        return {};
      },
      [&](size_t, const std::string& message) { messages.push_back(message); });
  EXPECT_EQ(failures, 2u);
  EXPECT_EQ(ran.load(), 4);
  EXPECT_EQ(messages, (std::vector<std::string>{"broke", "unknown failure"}));
}

TEST(BatchRunner, TwoWorkersRunTwoItemsAtOnce) {
  // Each of the first two items waits for the other to start: one worker alone would wait in vain.
  std::mutex mutex;
  std::condition_variable started;
  int running = 0;
  std::set<std::thread::id> threads;
  size_t failures = BatchRunner(2).Run(
      2,
      [&](size_t) {
        std::unique_lock lock(mutex);
        threads.insert(std::this_thread::get_id());
        ++running;
        started.notify_all();
        bool met = started.wait_for(lock, 20s, [&] { return running == 2; });
        return met ? std::string() : std::string("alone");
      },
      nullptr);
  EXPECT_EQ(failures, 0u);
  EXPECT_EQ(threads.size(), 2u);
}

TEST(BatchRunner, ProgressCountsFromNothingToEveryItemWithTheFailuresReportedSoFar) {
  std::vector<std::pair<size_t, size_t>> steps;
  size_t reported = 0;
  BatchRunner(3).Run(
      9, [](size_t item) { return item % 4 == 1 ? std::string("bad") : std::string(); },
      [&](size_t, const std::string&) { ++reported; },
      [&](size_t done, size_t failed) {
        EXPECT_EQ(failed, reported);
        steps.emplace_back(done, failed);
      });
  ASSERT_EQ(steps.size(), 10u);
  for (size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(steps[i].first, i);
  EXPECT_EQ(steps.front().second, 0u);
  EXPECT_EQ(steps.back().second, 2u);
}
