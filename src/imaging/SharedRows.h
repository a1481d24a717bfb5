#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <future>
#include <thread>
#include <vector>

// Destination rows taken in turn by a few threads, this one among them, so a
// thread the system holds back leaves more rows to the others. Each thread
// gets its own worker from makeWorker(), called as worker(y) for its rows.
// Below `kParallelBytes` source bytes a second thread costs more than it saves.
template <typename MakeWorker>
void ShareRows(int requested, int32_t rows, int64_t sourceBytes, const MakeWorker& makeWorker) {
  constexpr int64_t kParallelBytes = int64_t{1} << 21;
  int threads = 1;
  if (sourceBytes >= kParallelBytes) {
    threads = requested > 0 ? requested : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, static_cast<int>(std::max(rows, 1)));
  }
  std::atomic<int32_t> next{0};
  auto work = [&] {
    auto worker = makeWorker();
    for (int32_t y = next++; y < rows; y = next++) worker(y);
  };
  std::vector<std::future<void>> others;
  for (int i = 1; i < threads; ++i) others.push_back(std::async(std::launch::async, work));
  work();
  for (auto& helper : others) helper.get();
}
