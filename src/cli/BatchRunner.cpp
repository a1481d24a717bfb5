#include "cli/BatchRunner.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::string RunGuarded(const BatchRunner::Task& task, size_t item) {
  try {
    return task(item);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown failure";
  }
}

// Holds finished results until all earlier items are in, then reports them.
class OrderedReport {
 public:
  OrderedReport(size_t count, const BatchRunner::Report& report, const BatchRunner::Progress& progress)
      : results_(count), report_(report), progress_(progress) {
    if (progress_) progress_(0, 0);
  }

  void Finish(size_t item, std::string message) {
    std::lock_guard lock(mutex_);
    Settle(item, std::move(message));
    ++done_;
    if (progress_) progress_(done_, failures_);
  }

  // Left out: nothing to report, nothing done.
  void Skip(size_t item) {
    std::lock_guard lock(mutex_);
    Settle(item, {});
  }

  size_t Failures() const { return failures_; }

 private:
  void Settle(size_t item, std::string message) {
    results_[item] = std::move(message);
    for (; next_ < results_.size() && results_[next_]; ++next_) {
      if (results_[next_]->empty()) continue;
      ++failures_;
      if (report_) report_(next_, *results_[next_]);
      results_[next_]->clear();
    }
  }

  std::mutex mutex_;
  std::vector<std::optional<std::string>> results_;
  const BatchRunner::Report& report_;
  const BatchRunner::Progress& progress_;
  size_t next_ = 0;
  size_t done_ = 0;
  size_t failures_ = 0;
};

}  // namespace

BatchRunner::BatchRunner(int workers, Stop stop) : workers_(std::max(workers, 1)), stop_(std::move(stop)) {}

int BatchRunner::DefaultWorkers() {
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

size_t BatchRunner::Run(size_t count, const Task& task, const Report& report,
                        const Progress& progress) const {
  OrderedReport ordered(count, report, progress);
  std::atomic<size_t> nextItem{0};
  auto work = [&] {
    for (size_t item; (item = nextItem.fetch_add(1)) < count;) {
      if (stop_ && stop_()) {
        ordered.Skip(item);
      } else {
        ordered.Finish(item, RunGuarded(task, item));
      }
    }
  };
  const size_t threads = std::min<size_t>(static_cast<size_t>(workers_), count);
  std::vector<std::thread> helpers;
  try {
    for (size_t i = 1; i < threads; ++i) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // Fewer threads than asked for still get through every item.
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  return ordered.Failures();
}
