#include "cli/CommandLineTool.h"

#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>

#include "cli/BatchCropper.h"
#include "cli/BatchRunner.h"
#include "cli/CropJobs.h"
#include "cli/ErrorLine.h"
#include "cli/Interruption.h"
#include "cli/JobResult.h"
#include "cli/OutputFolder.h"
#include "cli/PipeFile.h"
#include "cli/ProgressLine.h"
#include "cli/ReadMessages.h"
#include "cli/ToolkitModule.h"
#include "cli/UsageError.h"
#include "core/ErrorWords.h"
#include "core/PictureResizer.h"
#include "core/PictureWriter.h"
#include "core/ResultLimits.h"
#include "core/StreamedResizer.h"
#include "formats/Orientation.h"
#include "formats/PictureDecoder.h"
#include "formats/PictureStream.h"
#include "platform/base/AppError.h"
#include "platform/base/LibraryMessages.h"

bool CommandLineTool::Handles(int argc, char** argv) {
  return !CommandLine::OpensWindow(std::vector<std::string>(argv + 1, argv + argc));
}

// No toolkit: the program reads its own kinds of picture, and loads the
// toolkit's reader only for a picture of another kind.
int CommandLineTool::Main(int argc, char** argv) {
  formats::UseOtherKindsReader(&ToolkitModule::ReadOtherKinds);
  KeepPictureMemory();
  Interruption::Watch();
  std::vector<std::string> args(argv + 1, argv + argc);
  const int status =
      Run(args, std::cout, std::cerr, BatchRunner::DefaultWorkers(), isatty(STDERR_FILENO) == 1);
  return Interruption::Requested() ? Interruption::ExitStatus(Interruption::Signal()) : status;
}

// Each picture decodes into tens of megabytes. Handed back to the system after
// every picture, that memory would be faulted in afresh for the next one, and
// the workers would take turns at the kernel's page tables to do it.
void CommandLineTool::KeepPictureMemory() {
#if defined(__GLIBC__)
  constexpr int kLargest = 1 << 30;
  mallopt(M_MMAP_THRESHOLD, kLargest);
  mallopt(M_TRIM_THRESHOLD, kLargest);
#endif
}

int CommandLineTool::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                         int workers, bool errIsTerminal) {
  Request request;
  try {
    request = CommandLine::Parse(args);
  } catch (const UsageError& e) {
    err << ErrorLine::Plain(e.what()) << std::endl;
    return kUsage;
  }
  if (std::holds_alternative<HelpRequest>(request)) {
    out << CommandLine::Usage() << std::flush;
    return kSuccess;
  }
  if (std::holds_alternative<VersionRequest>(request)) {
    out << CommandLine::Version() << std::endl;
    return kSuccess;
  }
  if (auto* crop = std::get_if<CropRequest>(&request)) {
    Read(crop->read);
    return Crop(*crop, err, workers, errIsTerminal);
  }
  Read(std::get<ResizeRequest>(request).read);
  return Resize(std::get<ResizeRequest>(request), err, errIsTerminal);
}

void CommandLineTool::Read(const ReadOptions& options) {
  platform::LibraryMessages::SetVerbose(options.verbose);
  formats::Orientation::SetAutomatic(options.autoOrient);
}

int CommandLineTool::Crop(const CropRequest& request, std::ostream& err, int workers, bool errIsTerminal) {
  std::vector<CropJob> jobs;
  try {
    jobs = PlanJobs(request);
  } catch (const UsageError& e) {
    err << ErrorLine::Plain(e.what()) << std::endl;
    return kUsage;
  } catch (const std::runtime_error& e) {
    err << e.what() << std::endl;
    return kSomeFailed;
  }
  // A picture through a pipe is read once, before any work, into a file the readers can look into.
  PipeFile piped;
  for (CropJob& job : jobs) {
    if (job.input != "-" || !job.refusal.empty()) continue;
    std::string failure = piped.Make("");
    if (failure.empty()) failure = piped.Fill(stdin);
    if (!failure.empty()) job.refusal = failure;
    job.source = piped.Path();
  }
  ResultsFile results;
  if (!request.results.empty()) {
    if (std::string failure = results.Open(request.results); !failure.empty()) {
      err << failure << std::endl;
      return kSomeFailed;
    }
  }
  const BatchCropper cropper(std::move(jobs), request, workers);
  const bool counted = errIsTerminal && !request.quiet && cropper.Jobs() > 1;
  ProgressLine progress(err, cropper.Jobs());
  const auto print = [&progress](const std::string& line) { progress.Print(line); };
  BatchCropper::Part part = nullptr;
  if (errIsTerminal && !request.quiet)
    part = [&progress](const std::string& picture, double done) { progress.ShowPart(picture, done); };
  const size_t failures =
      counted ? cropper.Run(
                    print, [&progress](size_t done, size_t failed) { progress.Show(done, failed); }, nullptr,
                    &results, part)
              : cropper.Run(print, nullptr, print, &results, part);
  progress.Finish();
  if (Interruption::Requested())
    err << ErrorLine::Plain("interrupted; the pictures not finished were left out") << std::endl;
  if (std::string failure = results.Finish(); !failure.empty()) {
    err << failure << std::endl;
    return kSomeFailed;
  }
  return failures == 0 ? kSuccess : kSomeFailed;
}

std::vector<CropJob> CommandLineTool::PlanJobs(const CropRequest& request) {
  if (request.from.empty()) return CropJobs::Plan(request, nullptr);
  if (request.from == "-") return CropJobs::Plan(request, &std::cin);
  std::ifstream manifest(request.from);
  if (!manifest) {
    throw std::runtime_error(ErrorLine::For(
        request.from, errno == ENOENT ? std::string("not found")
                                      : "can't be read: " + ErrorWords::AfterColon(std::strerror(errno))));
  }
  return CropJobs::Plan(request, &manifest);
}

int CommandLineTool::Resize(const ResizeRequest& request, std::ostream& err, bool errIsTerminal) {
  ProgressLine progress(err, 1);
  Part part = nullptr;
  if (errIsTerminal && !request.quiet)
    part = [&progress](const std::string& picture, double done) { progress.ShowPart(picture, done); };
  std::string chosen;
  const std::string failure = ResizeOne(
      request, chosen, [&progress](const std::string& line) { progress.Print(line); }, part);
  progress.Finish();
  if (!chosen.empty()) err << chosen << std::endl;
  if (failure.empty()) return kSuccess;
  err << failure << std::endl;
  return kSomeFailed;
}

std::string CommandLineTool::ResizeOne(const ResizeRequest& request, std::string& chosen,
                                       const std::function<void(const std::string&)>& note,
                                       const Part& part) {
  if (PictureWriter::FileIdentity(request.outputFile) == PictureWriter::FileIdentity(request.picture)) {
    return ErrorLine::For(request.picture, "the output is the picture itself");
  }
  std::unique_ptr<cDIBSection> resized;
  {
    const ReadMessages said(request.picture);
    try {
      resized = Resized(request, part);
    } catch (const formats::StreamStopped&) {
      resized = nullptr;
    } catch (const std::exception& e) {
      said.Tell(note);
      return said.Failure(e);
    }
    said.Tell(note);
  }
  // Stopped while reading or just after: the old output, if any, stays as it was.
  if (Interruption::Requested()) return ErrorLine::Plain("interrupted; nothing was written");
  if (std::string failure = OutputFolder::Make(OutputFolder::Of(request.outputFile), request.outputFile);
      !failure.empty()) {
    return failure;
  }
  try {
    chosen = PictureWriter::Write(*resized, request.outputFile, request.write);
    if (!chosen.empty()) chosen = ErrorLine::For(request.outputFile, chosen);
  } catch (const std::exception& e) {
    return ErrorLine::For(request.outputFile, e);
  }
  return {};
}

std::unique_ptr<cDIBSection> CommandLineTool::Resized(const ResizeRequest& request, const Part& part) {
  const auto start = std::chrono::steady_clock::now();
  const auto longer = [&start] { return std::chrono::steady_clock::now() - start > std::chrono::seconds(1); };
  const StreamedResizer::Asked asked = [&](double done) {
    if (Interruption::Requested()) return true;
    if (part && longer()) part(request.picture, done);
    return false;
  };
  const StreamedResizer::Size size = [&request](int32_t width, int32_t height) {
    return std::pair{request.width, TargetHeight(request, width, height)};
  };
  if (auto made = StreamedResizer(size, asked).Resize(request.picture, request.damage)) {
    if (part && longer()) part(request.picture, 1.0);
    return made;
  }
  gdi::PicturePtr picture = formats::LoadPicture(request.picture, request.damage);
  return PictureResizer::Resize(*picture, request.width,
                                TargetHeight(request, picture->Width(), picture->Height()));
}

int32_t CommandLineTool::TargetHeight(const ResizeRequest& request, int32_t pictureWidth,
                                      int32_t pictureHeight) {
  if (!request.keepProportions) return request.height;
  const std::optional<int32_t> height =
      PictureResizer::Proportional(pictureHeight, request.width, pictureWidth);
  if (!height || !ResultLimits::Fits(request.width, *height)) {
    throw platform::AppError::WithDescription(
        platform::ErrorNumber::InvalidArgument,
        "in proportion to a width of " + std::to_string(request.width) + " the height would be " +
            (height ? std::to_string(*height) + " pixels" : "too large") + ", which no output can hold");
  }
  return *height;
}
