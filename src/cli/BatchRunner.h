#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Runs one task per item on a few threads. A task reports its failure as a
// one-line message (empty for success); failures are handed on in item order,
// each as soon as every item before it has finished, so the report reads the
// same whatever the threads did.
class BatchRunner {
 public:
  using Task = std::function<std::string(size_t item)>;
  using Report = std::function<void(size_t item, const std::string& message)>;
  // How many items have finished, in any order, and how many failures were reported.
  using Progress = std::function<void(size_t done, size_t failed)>;

  using Stop = std::function<bool()>;

  // At least one worker; never more than there are items. Once `stop` says
  // so, no item starts: those under way finish, the rest are left out.
  explicit BatchRunner(int workers, Stop stop = nullptr);

  // One worker per processor.
  static int DefaultWorkers();

  // Returns how many items failed. A task that throws counts as failed with
  // the exception's text, and the other items still run. `progress` hears of
  // the start and of every finished item, after its report; calls to `report`
  // and `progress` never overlap.
  size_t Run(size_t count, const Task& task, const Report& report, const Progress& progress = nullptr) const;

 private:
  int workers_;
  Stop stop_;
};
