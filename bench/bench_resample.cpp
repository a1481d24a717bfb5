// Our bilinear resampler against OpenCV's INTER_LINEAR on the same pixels, at
// one and at two threads each, and our area average against INTER_AREA at one
// thread each. Run by hand with repetitions (the summary needs
// the median and min aggregates); on a shared machine, interleave many and
// look at the best run of each as well:
//   bench_resample --benchmark_repetitions=15 --benchmark_enable_random_interleaving=true
//                  --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <string>

#include "imaging/AreaAverager.h"
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

// Reductions by area: a whole 16x, and one by 12.0 x 12.1 where pixels are cut.
const Case kAreaCases[] = {{"area_4096x4096_to_256x256", 4096, 4096, 256, 256},
                           {"area_4000x3000_to_333x248", 4000, 3000, 333, 248}};

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

void OursWith(benchmark::State& state, const Case& c, int threads, resample::KernelLevel kernels) {
  auto source = Section(c.sw, c.sh, true);
  auto dest = Section(c.dw, c.dh, false);
  const Resampler resampler(threads, kernels);
  for (auto _ : state) {
    resampler.Fill(*source, *dest);
    benchmark::DoNotOptimize(dest->DIBSectionBitsPtr()[0]);
  }
}

void Ours(benchmark::State& state, const Case& c, int threads) {
  OursWith(state, c, threads, resample::KernelLevel::Avx512);
}

// What processors without AVX-512, or without AVX2, get.
void OursAvx2(benchmark::State& state, const Case& c, int threads) {
  OursWith(state, c, threads, resample::KernelLevel::Avx2);
}

void OursPlain(benchmark::State& state, const Case& c, int threads) {
  OursWith(state, c, threads, resample::KernelLevel::Plain);
}

void OpenCvWith(benchmark::State& state, const Case& c, int threads, int interpolation) {
  auto source = Section(c.sw, c.sh, true);
  auto dest = Section(c.dw, c.dh, false);
  cv::Mat from = View(*source);
  cv::Mat to = View(*dest);
  cv::setNumThreads(threads);
  for (auto _ : state) {
    cv::resize(from, to, to.size(), 0, 0, interpolation);
    benchmark::DoNotOptimize(to.data[0]);
  }
}

void OpenCv(benchmark::State& state, const Case& c, int threads) {
  OpenCvWith(state, c, threads, cv::INTER_LINEAR);
}

PixelRows<uint8_t> Rows(const cDIBSection& dib) {
  return {dib.DIBSectionBitsPtr(), dib.BytesPerScanLine(), dib.Width(), dib.Height()};
}

void OursArea(benchmark::State& state, const Case& c, int threads) {
  auto source = Section(c.sw, c.sh, true);
  auto dest = Section(c.dw, c.dh, false);
  const PixelRows<uint8_t> from = Rows(*source);
  const AreaAverager averager(threads);
  for (auto _ : state) {
    averager.Fill({from.first, from.step, from.width, from.height}, Rows(*dest));
    benchmark::DoNotOptimize(dest->DIBSectionBitsPtr()[0]);
  }
}

void OpenCvArea(benchmark::State& state, const Case& c, int threads) {
  OpenCvWith(state, c, threads, cv::INTER_AREA);
}

std::string Name(const char* who, const Case& c, int threads) {
  return std::string(who) + "/" + c.name + "/threads:" + std::to_string(threads);
}

double Pixels(const Case& c) { return static_cast<double>(c.dw) * c.dh; }

// Prints the usual table, then megapixels per second from the median and from
// the best time of each, and ours / OpenCV for every case and thread count.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate) continue;
      const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      times_[run.run_name.function_name][run.aggregate_name] = seconds;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf(
        "\ndestination megapixels per second (median / best run); ratio ours / OpenCV, above 1 = ours "
        "faster\n");
    for (const Case& c : kCases) {
      for (int threads : {1, 2}) {
        const Rates ours = RatesOf(Name("ours", c, threads), c);
        const Rates theirs = RatesOf(Name("opencv", c, threads), c);
        std::printf("  %-30s threads %d: ours %7.1f / %7.1f  OpenCV %7.1f / %7.1f  ratio %.2f / %.2f\n",
                    c.name, threads, ours.median, ours.best, theirs.median, theirs.best,
                    ours.median / theirs.median, ours.best / theirs.best);
      }
      const Rates theirs = RatesOf(Name("opencv", c, 1), c);
      for (const char* lesser : {"ours-avx2", "ours-plain"}) {
        const Rates ours = RatesOf(Name(lesser, c, 1), c);
        std::printf("  %-30s %-10s %7.1f / %7.1f  ratio to OpenCV at one thread %.2f / %.2f\n", c.name,
                    lesser, ours.median, ours.best, ours.median / theirs.median, ours.best / theirs.best);
      }
    }
    for (const Case& c : kAreaCases) {
      const Rates ours = RatesOf(Name("ours", c, 1), c);
      const Rates theirs = RatesOf(Name("opencv", c, 1), c);
      std::printf(
          "  %-30s threads 1: ours %7.2f / %7.2f  OpenCV INTER_AREA %7.2f / %7.2f  ratio %.2f / %.2f\n",
          c.name, ours.median, ours.best, theirs.median, theirs.best, ours.median / theirs.median,
          ours.best / theirs.best);
    }
  }

 private:
  struct Rates {
    double median, best;
  };
  Rates RatesOf(const std::string& name, const Case& c) {
    auto& t = times_[name];
    return {Pixels(c) / t["median"] / 1e6, Pixels(c) / t["min"] / 1e6};
  }
  std::map<std::string, std::map<std::string, double>> times_;
};

double Min(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

void Register(const std::string& name, void (*run)(benchmark::State&, const Case&, int), const Case& c,
              int threads) {
  benchmark::RegisterBenchmark(name.c_str(), run, c, threads)->UseRealTime()->ComputeStatistics("min", Min);
}

}  // namespace

int main(int argc, char** argv) {
  for (const Case& c : kCases) {
    for (int threads : {1, 2}) {
      Register(Name("ours", c, threads), Ours, c, threads);
      Register(Name("opencv", c, threads), OpenCv, c, threads);
    }
    Register(Name("ours-avx2", c, 1), OursAvx2, c, 1);
    Register(Name("ours-plain", c, 1), OursPlain, c, 1);
  }
  for (const Case& c : kAreaCases) {
    Register(Name("ours", c, 1), OursArea, c, 1);
    Register(Name("opencv", c, 1), OpenCvArea, c, 1);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
