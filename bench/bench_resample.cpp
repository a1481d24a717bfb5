// Our bilinear resampler against OpenCV's INTER_LINEAR on the same pixels, at
// one and at two threads each. Run by hand:
//   bench_resample --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <string>

#include "imaging/Resampler.h"
#include "imaging/cDIBSection.h"

namespace {

struct Case {
  const char* name;
  int32_t sw, sh, dw, dh;
};

// Not an exact halving: OpenCV would switch to a cheaper area average.
const Case kCases[] = {{"reduce_4000x3000_to_1920x1440", 4000, 3000, 1920, 1440},
                       {"enlarge_640x480_to_2560x1920", 640, 480, 2560, 1920}};

std::unique_ptr<cDIBSection> Section(int32_t width, int32_t height, bool random) {
  auto dib = std::make_unique<cDIBSection>();
  if (!dib->Create(width, height)) throw std::runtime_error("no memory for the bitmap");
  uint8_t* bits = dib->DIBSectionBitsPtr();
  const size_t bytes = static_cast<size_t>(dib->BytesPerScanLine()) * height;
  std::mt19937 generator(1234);
  // Touch every page so neither side pays for first-use page faults.
  for (size_t i = 0; i < bytes; ++i) bits[i] = random ? static_cast<uint8_t>(generator()) : 0;
  return dib;
}

cv::Mat View(const cDIBSection& dib) {
  return cv::Mat(dib.Height(), dib.Width(), CV_8UC3, dib.DIBSectionBitsPtr(),
                 static_cast<size_t>(dib.BytesPerScanLine()));
}

void SetPixelRate(benchmark::State& state, const Case& c) {
  state.counters["pixels"] =
      benchmark::Counter(static_cast<double>(c.dw) * c.dh * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

void Ours(benchmark::State& state, const Case& c, int threads) {
  auto source = Section(c.sw, c.sh, true);
  auto dest = Section(c.dw, c.dh, false);
  const Resampler resampler(threads);
  for (auto _ : state) {
    resampler.Fill(*source, *dest);
    benchmark::DoNotOptimize(dest->DIBSectionBitsPtr()[0]);
  }
  SetPixelRate(state, c);
}

void OpenCv(benchmark::State& state, const Case& c, int threads) {
  auto source = Section(c.sw, c.sh, true);
  auto dest = Section(c.dw, c.dh, false);
  cv::Mat from = View(*source);
  cv::Mat to = View(*dest);
  cv::setNumThreads(threads);
  for (auto _ : state) {
    cv::resize(from, to, to.size(), 0, 0, cv::INTER_LINEAR);
    benchmark::DoNotOptimize(to.data[0]);
  }
  SetPixelRate(state, c);
}

std::string Name(const char* who, const Case& c, int threads) {
  return std::string(who) + "/" + c.name + "/threads:" + std::to_string(threads);
}

// Prints the usual table, then ours / OpenCV for every case and thread count.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      const auto rate = run.counters.find("pixels");
      if (rate != run.counters.end()) rates_[run.run_name.function_name] = rate->second.value / 1e6;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nours / OpenCV (destination megapixels per second; above 1 means ours is faster)\n");
    for (const Case& c : kCases) {
      for (int threads : {1, 2}) {
        const double ours = rates_[Name("ours", c, threads)];
        const double theirs = rates_[Name("opencv", c, threads)];
        if (theirs <= 0) continue;
        std::printf("  %-32s threads %d: %8.1f vs %8.1f MP/s  ratio %.2f\n", c.name, threads, ours, theirs,
                    ours / theirs);
      }
    }
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  for (const Case& c : kCases) {
    for (int threads : {1, 2}) {
      benchmark::RegisterBenchmark(Name("ours", c, threads).c_str(), Ours, c, threads)->UseRealTime();
      benchmark::RegisterBenchmark(Name("opencv", c, threads).c_str(), OpenCv, c, threads)->UseRealTime();
    }
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
