#include "cli/BatchCropper.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <sstream>

#include "cli/ErrorLine.h"
#include "cli/Interruption.h"
#include "cli/OutputFolder.h"
#include "cli/PipeFile.h"
#include "cli/ReadMessages.h"
#include "core/PictureCropper.h"
#include "core/PictureWriter.h"
#include "core/RegionScaler.h"
#include "core/StreamedScaler.h"
#include "formats/FormatTable.h"
#include "formats/Orientation.h"
#include "formats/PictureDecoder.h"
#include "formats/PictureHeader.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPipe = "-";

// The words of a failure's line, without the program's name before them.
std::string Reason(const std::string& line) {
  const std::string prefix = ErrorLine::Plain("");
  return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : line;
}

// The quality a byte budget chose, from the writer's "JPEG quality Q, N bytes".
int32_t ChosenQuality(const std::string& chosen) {
  int quality = 0;
  return std::sscanf(chosen.c_str(), "JPEG quality %d", &quality) == 1 ? quality : 0;
}

JobResult Begun(const CropJob& job) {
  JobResult result;
  result.number = job.number;
  result.input = job.input;
  result.output = job.output;
  return result;
}

uint64_t Up(uint64_t n, uint64_t step) { return (n + step - 1) / step; }

}  // namespace

BatchCropper::BatchCropper(CropRequest request, int workers)
    : BatchCropper(CropJobs::Plan(request, nullptr), request, workers) {}

BatchCropper::BatchCropper(std::vector<CropJob> jobs, CropRequest run, int workers)
    : jobs_(std::move(jobs)), run_(std::move(run)), workers_(workers) {}

std::vector<std::string> BatchCropper::Outputs() const {
  std::vector<std::string> outputs;
  for (const CropJob& job : jobs_) outputs.push_back(job.output);
  return outputs;
}

size_t BatchCropper::Run(const std::function<void(const std::string& line)>& report,
                         const BatchRunner::Progress& progress,
                         const std::function<void(const std::string& line)>& note, ResultsFile* results,
                         const Part& part) const {
  if (!OutputFolderCanBeMade(report, results)) return jobs_.size();
  // Notes come from the workers; one at a time reaches the caller.
  std::mutex noteLock;
  auto noted = [&](const std::string& line) {
    const std::lock_guard<std::mutex> lock(noteLock);
    if (note) note(line);
  };
  MemoryBudget budget(run_.memory ? run_.memory : MemoryBudget::Default());
  const BatchRunner::Stop stop = [] { return Interruption::Requested(); };
  const auto task = [&](size_t item) {
    const CropJob& job = jobs_[item];
    const auto start = std::chrono::steady_clock::now();
    JobResult result;
    std::string failure = CropOne(job, noted, budget, stop, result, part);
    if (!result.number) return failure;
    if (!failure.empty()) {
      result.status = JobResult::Status::Failed;
      result.reason = Reason(failure);
    }
    result.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (results) results->Write(result);
    return failure;
  };
  return BatchRunner(workers_, stop)
      .Run(
          jobs_.size(), task, [&report](size_t, const std::string& line) { report(line); }, progress);
}

// Pictures given on the command line share one folder: when it can't be made,
// that is said once and none of them is tried. It is made with the first output.
bool BatchCropper::OutputFolderCanBeMade(const std::function<void(const std::string&)>& report,
                                         ResultsFile* results) const {
  if (!run_.from.empty()) return true;
  const bool toFile = run_.outputDir.empty();
  if (toFile && run_.outputFile == kPipe) return true;
  const std::string failure = OutputFolder::Check(toFile ? OutputFolder::Of(run_.outputFile) : run_.outputDir,
                                                  toFile ? run_.outputFile : run_.outputDir);
  if (failure.empty()) return true;
  report(failure);
  for (const CropJob& job : jobs_) {
    JobResult result = Begun(job);
    result.reason = Reason(failure);
    if (results) results->Write(result);
  }
  return false;
}

// A picture that waits for memory while the batch is stopped is left out, as
// one that never started: `result` is left without a number then.
std::string BatchCropper::CropOne(const CropJob& job, const std::function<void(const std::string&)>& note,
                                  MemoryBudget& budget, const BatchRunner::Stop& stop, JobResult& result,
                                  const Part& part) const {
  const JobResult begun = Begun(job);
  if (!job.refusal.empty()) {
    result = begun;
    if (job.input.empty()) return ErrorLine::Plain("line " + std::to_string(job.number) + ": " + job.refusal);
    return ErrorLine::For(job.input, job.refusal);
  }
  if (run_.skipExisting && UpToDate(job)) {
    result = begun;
    result.status = JobResult::Status::Skipped;
    result.reason = "the output is newer than the picture";
    return {};
  }
  const CropRequest& settings = job.settings;
  const uint64_t cost = CostOf(job.source);
  // A budget the user set is held to: a picture that alone needs more is
  // refused rather than decoded past it. A region averaged band by band
  // needs far less than its header's count, and runs alone instead.
  const bool streams =
      settings.region.Scales(settings.width, settings.height) && !settings.reduction.Special();
  if (run_.memory && !streams && cost != MemoryBudget::kUnlimited && cost > run_.memory) {
    result = begun;
    return ErrorLine::For(job.input, "decoding it takes about " + std::to_string(Up(cost, 1 << 20)) +
                                         " MB, more than the " + std::to_string(Up(run_.memory, 1 << 20)) +
                                         " MB that --memory allows");
  }
  const MemoryBudget::Share share(budget, cost, stop);
  if (!share.Held()) return {};
  result = begun;
  std::unique_ptr<gdi::MemorySurface> block;
  {
    const ReadMessages said(job.input);
    try {
      block = Cut(job, stop, part);
    } catch (const formats::StreamStopped&) {
      // Stopped half read: left out, as a picture not begun.
      result = JobResult{};
      return {};
    } catch (const std::exception& e) {
      said.Tell(note);
      return said.Failure(e);
    }
    said.Tell(note);
  }
  if (job.output != kPipe) {
    if (std::string failure = OutputFolder::Make(OutputFolder::Of(job.output), job.output);
        !failure.empty()) {
      return failure;
    }
  }
  try {
    const std::string chosen = Write(job, *block, result);
    if (!chosen.empty()) note(ErrorLine::For(job.output, chosen));
  } catch (const std::exception& e) {
    return ErrorLine::For(job.output, e);
  }
  result.status = JobResult::Status::Written;
  return {};
}

// An output older than its picture is from before the picture changed, and is made again.
bool BatchCropper::UpToDate(const CropJob& job) const {
  if (job.input == kPipe || job.output == kPipe) return false;
  std::error_code ec;
  const auto written = fs::last_write_time(job.output, ec);
  if (ec || !fs::is_regular_file(job.output, ec)) return false;
  const auto read = fs::last_write_time(job.source, ec);
  return !ec && written > read;
}

std::unique_ptr<gdi::MemorySurface> BatchCropper::Cut(const CropJob& job, const BatchRunner::Stop& stop,
                                                      const Part& part) const {
  const CropRequest& settings = job.settings;
  if (settings.region.Scales(settings.width, settings.height)) {
    const auto start = std::chrono::steady_clock::now();
    const auto longer = [&start] {
      return std::chrono::steady_clock::now() - start > std::chrono::seconds(1);
    };
    const StreamedScaler::Asked asked = [&](double done) {
      if (stop && stop()) return true;
      if (part && longer()) part(job.input, done);
      return false;
    };
    // Streaming averages areas alone; the other reductions take the whole picture.
    StreamedScaler streamed(settings.region, settings.width, settings.height, settings.placement, run_.exact,
                            asked);
    if (auto made = settings.reduction.Special() ? nullptr : streamed.Cut(job.source, settings.damage)) {
      if (part && longer()) part(job.input, 1.0);
      return made;
    }
    const RegionScaler scaler(settings.region, settings.width, settings.height, settings.placement,
                              settings.reduction);
    return scaler.Cut(*formats::LoadPicture(job.source, settings.damage));
  }
  const PictureCropper cropper(settings.width, settings.height, settings.placement);
  return cropper.Crop(formats::LoadPictureRegion(
      job.source, [&cropper](int32_t width, int32_t height) { return cropper.Block(width, height); },
      settings.damage));
}

std::string BatchCropper::Write(const CropJob& job, gdi::MemorySurface& block, JobResult& result) const {
  const CropRequest& settings = job.settings;
  std::string chosen;
  if (job.output == kPipe) {
    PipeFile kept;
    const std::string extension(formats::FormatTable::Of(settings.format).DefaultExtension());
    if (std::string failure = kept.Make(extension); !failure.empty()) throw std::runtime_error(failure);
    chosen = PictureWriter::Write(block, kept.Path(), settings.write);
    if (std::string failure = kept.Pour(stdout, result.bytes); !failure.empty()) {
      throw std::runtime_error(failure);
    }
  } else {
    chosen = PictureWriter::Write(block, job.output, settings.write);
    std::error_code ec;
    result.bytes = fs::file_size(job.output, ec);
  }
  result.width = settings.width;
  result.height = settings.height;
  if (settings.format == OutputFormat::Jpeg) {
    result.quality = chosen.empty() ? settings.write.quality : ChosenQuality(chosen);
  }
  return chosen;
}

// The most decoding takes, from the header: the bitmap (twice over while it is
// turned a quarter) and the file where it is held whole. A kind whose header
// says nothing runs alone; a file that can't be opened, or a picture above the
// size limit, fails before it takes anything.
uint64_t BatchCropper::CostOf(const std::string& picture) const {
  std::optional<formats::PictureHeader> header;
  try {
    header = formats::PictureHeader::Read(picture);
  } catch (const std::exception&) {
    return 0;
  }
  if (!header) return MemoryBudget::kUnlimited;
  const int64_t pixels = header->width * header->height;
  if (pixels > formats::kMaxPicturePixels) return 0;
  const bool turns = run_.read.autoOrient && formats::Orientation(header->orientation).Transposes();
  return static_cast<uint64_t>(pixels) * 3 * (turns ? 2 : 1) + header->encodedBytes + header->workingBytes;
}
