// The results file's share of a manifest's run: one JSON line per job,
// written and flushed as it ends, to /tmp (a disk) and /dev/shm (memory).
// Held against a run of 2,000 small crops (about 2 s on two cores), 2,000
// lines must take under 40 ms. Run by hand:
//   bench_results_file --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include "cli/JobResult.h"

namespace {

constexpr int kJobs = 2000;

void TwoThousandLines(benchmark::State& state, const char* folder) {
  const std::string path =
      std::string(folder) + "/quarvel-bench-results-" + std::to_string(getpid()) + ".jsonl";
  JobResult result;
  result.input = "pictures/maps/island-of-the-north-coast.bmp";
  result.output = "minimaps/island-of-the-north-coast-256x256.jpg";
  result.status = JobResult::Status::Written;
  result.width = result.height = 256;
  result.bytes = 20311;
  result.quality = 87;
  result.milliseconds = 4.321;
  for (auto _ : state) {
    ResultsFile file;
    if (!file.Open(path).empty()) {
      state.SkipWithError("can't open the results file");
      return;
    }
    for (int i = 1; i <= kJobs; ++i) {
      result.number = static_cast<size_t>(i);
      file.Write(result);
    }
  }
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kJobs);
}

BENCHMARK_CAPTURE(TwoThousandLines, Disk, "/tmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TwoThousandLines, Memory, "/dev/shm")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
