#include "cli/CropJobs.h"

#include <filesystem>
#include <map>
#include <set>

#include "cli/Manifest.h"
#include "cli/OutputName.h"
#include "cli/UsageError.h"
#include "core/PictureWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPipe = "-";

std::string Job(const CropJob& job, bool fromManifest) {
  return (fromManifest ? "line " : "picture ") + std::to_string(job.number) + " (" + job.input + ")";
}

}  // namespace

std::vector<CropJob> CropJobs::Plan(const CropRequest& request, std::istream* manifest) {
  std::vector<CropJob> jobs =
      request.from.empty() || !manifest ? FromPictures(request) : FromManifest(request, *manifest);
  for (CropJob& job : jobs) {
    if (job.refusal.empty()) Name(job);
  }
  RefuseShared(request, jobs);
  RefuseClashes(jobs);
  std::vector<CropJob> taken;
  for (CropJob& job : jobs) {
    if (request.shard.Takes(job.number)) taken.push_back(std::move(job));
  }
  return taken;
}

std::vector<CropJob> CropJobs::FromPictures(const CropRequest& request) {
  // Each job's copy holds its own picture alone: a copy of every picture's name
  // in every job grows with the square of a glob's length.
  CropRequest shared = request;
  shared.pictures.clear();
  std::vector<CropJob> jobs;
  for (size_t i = 0; i < request.pictures.size(); ++i) {
    CropJob job;
    job.number = i + 1;
    job.input = job.source = request.pictures[i];
    job.settings = shared;
    job.settings.pictures = {job.input};
    jobs.push_back(std::move(job));
  }
  return jobs;
}

std::vector<CropJob> CropJobs::FromManifest(const CropRequest& request, std::istream& manifest) {
  std::vector<CropJob> jobs;
  for (ManifestLine& line : Manifest::Read(manifest)) {
    CropJob job;
    job.number = line.number;
    job.input = job.source = line.input;
    job.refusal = std::move(line.refusal);
    if (job.refusal.empty()) {
      try {
        job.settings = CommandLine::ParseJob(request.lineDefaults, line.options);
      } catch (const UsageError& e) {
        job.refusal = e.what();
      }
    }
    jobs.push_back(std::move(job));
  }
  return jobs;
}

void CropJobs::Name(CropJob& job) {
  const CropRequest& settings = job.settings;
  if (!settings.outputFile.empty()) {
    job.output = settings.outputFile;
    return;
  }
  const OutputName::Fields fields{job.input, job.number, settings.width, settings.height, settings.region};
  job.output =
      (fs::path(settings.outputDir) / OutputName::Expand(settings.name, fields, settings.format)).string();
}

// Standard input and output are one stream each: one job may read or write it,
// and none when the manifest or the results use it.
void CropJobs::RefuseShared(const CropRequest& request, std::vector<CropJob>& jobs) {
  const CropJob* reader = nullptr;
  const CropJob* writer = nullptr;
  const bool fromManifest = !request.from.empty();
  for (CropJob& job : jobs) {
    if (!job.refusal.empty()) continue;
    if (job.input == kPipe) {
      if (request.from == kPipe) {
        job.refusal = "standard input holds the jobs' list, so no picture can come from it";
      } else if (reader) {
        job.refusal = "standard input is read by " + Job(*reader, fromManifest) + " already";
      } else {
        reader = &job;
      }
    }
    if (job.refusal.empty() && job.output == kPipe) {
      if (request.results == kPipe) {
        job.refusal = "standard output takes the results, so no picture can go to it";
      } else if (writer) {
        job.refusal = "standard output is written by " + Job(*writer, fromManifest) + " already";
      } else {
        writer = &job;
      }
    }
  }
}

// Two pictures of the same name in different folders would land on one
// output, and an output may be one of the pictures themselves: neither
// overwrites anything.
void CropJobs::RefuseClashes(std::vector<CropJob>& jobs) {
  std::set<std::string> inputs;
  for (const CropJob& job : jobs) {
    if (!job.input.empty() && job.input != kPipe) inputs.insert(PictureWriter::FileIdentity(job.input));
  }
  std::map<std::string, const CropJob*> firstWriter;
  for (CropJob& job : jobs) {
    if (!job.refusal.empty() || job.output == kPipe) continue;
    const std::string output = PictureWriter::FileIdentity(job.output);
    if (inputs.count(output)) {
      job.refusal = "the output " + job.output + " is one of the pictures being cropped";
      continue;
    }
    auto [first, isNew] = firstWriter.emplace(output, &job);
    if (isNew) continue;
    const CropJob& earlier = *first->second;
    if (!job.settings.name.empty() || !earlier.settings.name.empty()) {
      const std::string& name = job.settings.name.empty() ? earlier.settings.name : job.settings.name;
      throw UsageError("--name " + name + " gives " + earlier.input + " and " + job.input + " one output, " +
                       job.output + "; add {ext} or {n} to tell them apart");
    }
    job.refusal = "its crop would replace that of " + earlier.input + " in " + job.output;
  }
}
