#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cli/BatchRunner.h"
#include "cli/CommandLine.h"
#include "cli/CropJobs.h"
#include "cli/JobResult.h"
#include "cli/MemoryBudget.h"

// Crops several pictures, each job with its own options, side by side on a
// few threads, and writes each one. A job that fails is reported and the
// others carry on. The pictures decoded at once share a memory budget, and an
// interruption stops the batch between pictures.
class BatchCropper {
 public:
  // The request's pictures, each a job with the request's options.
  BatchCropper(CropRequest request, int workers);
  // `run` gives what holds for the whole run: memory, orientation, skipping.
  BatchCropper(std::vector<CropJob> jobs, CropRequest run, int workers);

  // Where each job goes, in the jobs' order.
  std::vector<std::string> Outputs() const;
  size_t Jobs() const { return jobs_.size(); }

  // Returns how many jobs failed; each failure reaches `report` as one line,
  // in the jobs' order. `progress` counts as BatchRunner's does. What a byte
  // budget chose reaches `note` as one line per picture. Every job that ends,
  // however, reaches `results` as it ends; one never begun does not.
  // A picture read band by band that takes longer than a second tells
  // `part` its name and the share of it read, now and then, from its worker.
  using Part = std::function<void(const std::string& picture, double done)>;
  size_t Run(const std::function<void(const std::string& line)>& report,
             const BatchRunner::Progress& progress = nullptr,
             const std::function<void(const std::string& line)>& note = nullptr,
             ResultsFile* results = nullptr, const Part& part = nullptr) const;

 private:
  bool OutputFolderCanBeMade(const std::function<void(const std::string&)>& report,
                             ResultsFile* results) const;
  std::string CropOne(const CropJob& job, const std::function<void(const std::string&)>& note,
                      MemoryBudget& budget, const BatchRunner::Stop& stop, JobResult& result,
                      const Part& part) const;
  bool UpToDate(const CropJob& job) const;
  std::unique_ptr<gdi::MemorySurface> Cut(const CropJob& job, const BatchRunner::Stop& stop,
                                          const Part& part) const;
  // The writer's note on a byte budget's choice, if any.
  std::string Write(const CropJob& job, gdi::MemorySurface& block, JobResult& result) const;
  uint64_t CostOf(const std::string& picture) const;

  std::vector<CropJob> jobs_;
  CropRequest run_;
  int workers_;
};
