#include "cli/BatchCropper.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <set>

#include "cli/ErrorLine.h"
#include "cli/Interruption.h"
#include "cli/OutputFolder.h"
#include "cli/ReadMessages.h"
#include "core/PictureWriter.h"
#include "formats/FormatTable.h"
#include "formats/Orientation.h"
#include "formats/PictureDecoder.h"
#include "formats/PictureHeader.h"

namespace fs = std::filesystem;

namespace {

uint64_t Up(uint64_t n, uint64_t step) { return (n + step - 1) / step; }

}  // namespace

BatchCropper::BatchCropper(CropRequest request, int workers)
    : request_(std::move(request)),
      workers_(workers),
      cropper_(request_.width, request_.height, request_.placement),
      scaler_(request_.region, request_.width, request_.height, request_.placement),
      refusals_(request_.pictures.size()) {
  PlanOutputs();
  RefuseClashes();
}

void BatchCropper::PlanOutputs() {
  for (const std::string& picture : request_.pictures) {
    if (!request_.outputFile.empty()) {
      outputs_.push_back(request_.outputFile);
    } else {
      const std::string_view extension = formats::FormatTable::Of(request_.format).DefaultExtension();
      fs::path name = fs::path(picture).filename().replace_extension(extension);
      outputs_.push_back((fs::path(request_.outputDir) / name).string());
    }
  }
}

// Two pictures of the same name in different folders would land on one
// output, and an output may be one of the pictures themselves: neither
// overwrites anything.
void BatchCropper::RefuseClashes() {
  std::set<std::string> inputs;
  for (const std::string& picture : request_.pictures) inputs.insert(PictureWriter::FileIdentity(picture));
  std::map<std::string, size_t> firstWriter;
  for (size_t i = 0; i < outputs_.size(); ++i) {
    const std::string output = PictureWriter::FileIdentity(outputs_[i]);
    if (inputs.count(output)) {
      refusals_[i] = "the output " + outputs_[i] + " is one of the pictures being cropped";
      continue;
    }
    auto [first, isNew] = firstWriter.emplace(output, i);
    if (!isNew) {
      refusals_[i] =
          "its crop would replace that of " + request_.pictures[first->second] + " in " + outputs_[i];
    }
  }
}

size_t BatchCropper::Run(const std::function<void(const std::string& line)>& report,
                         const BatchRunner::Progress& progress,
                         const std::function<void(const std::string& line)>& note) const {
  if (!MakeOutputFolder(report)) return request_.pictures.size();
  // Notes come from the workers; one at a time reaches the caller.
  std::mutex noteLock;
  auto noted = [&](const std::string& line) {
    const std::lock_guard<std::mutex> lock(noteLock);
    if (note) note(line);
  };
  MemoryBudget budget(request_.memory ? request_.memory : MemoryBudget::Default());
  const BatchRunner::Stop stop = [] { return Interruption::Requested(); };
  return BatchRunner(workers_, stop)
      .Run(
          request_.pictures.size(),
          [this, &noted, &budget, &stop](size_t item) { return CropOne(item, noted, budget, stop); },
          [&report](size_t, const std::string& line) { report(line); }, progress);
}

bool BatchCropper::MakeOutputFolder(const std::function<void(const std::string&)>& report) const {
  const std::string folder =
      request_.outputDir.empty() ? OutputFolder::Of(request_.outputFile) : request_.outputDir;
  const std::string failure =
      OutputFolder::Make(folder, request_.outputDir.empty() ? request_.outputFile : request_.outputDir);
  if (failure.empty()) return true;
  report(failure);
  return false;
}

// A picture that waits for memory while the batch is stopped is left out, as
// one that never started.
std::string BatchCropper::CropOne(size_t item, const std::function<void(const std::string&)>& note,
                                  MemoryBudget& budget, const BatchRunner::Stop& stop) const {
  const std::string& picture = request_.pictures[item];
  if (!refusals_[item].empty()) return ErrorLine::For(picture, refusals_[item]);
  const uint64_t cost = CostOf(picture);
  // A budget the user set is held to: a picture that alone needs more is
  // refused rather than decoded past it.
  if (request_.memory && cost != MemoryBudget::kUnlimited && cost > request_.memory) {
    return ErrorLine::For(picture, "decoding it takes about " + std::to_string(Up(cost, 1 << 20)) +
                                       " MB, more than the " + std::to_string(Up(request_.memory, 1 << 20)) +
                                       " MB that --memory allows");
  }
  const MemoryBudget::Share share(budget, cost, stop);
  if (!share.Held()) return {};
  std::unique_ptr<gdi::MemorySurface> block;
  {
    const ReadMessages said(picture);
    try {
      block = Cut(picture);
    } catch (const std::exception& e) {
      said.Tell(note);
      return said.Failure(e);
    }
    said.Tell(note);
  }
  try {
    const std::string chosen = PictureWriter::Write(*block, outputs_[item], request_.write);
    if (!chosen.empty()) note(ErrorLine::For(outputs_[item], chosen));
  } catch (const std::exception& e) {
    return ErrorLine::For(outputs_[item], e);
  }
  return {};
}

std::unique_ptr<gdi::MemorySurface> BatchCropper::Cut(const std::string& picture) const {
  if (request_.region.Scales(request_.width, request_.height)) {
    return scaler_.Cut(*formats::LoadPicture(picture, request_.damage));
  }
  return cropper_.Crop(formats::LoadPictureRegion(
      picture, [this](int32_t width, int32_t height) { return cropper_.Block(width, height); },
      request_.damage));
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
  const bool turns = request_.read.autoOrient && formats::Orientation(header->orientation).Transposes();
  return static_cast<uint64_t>(pixels) * 3 * (turns ? 2 : 1) + header->encodedBytes + header->workingBytes;
}
