#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cli/BatchRunner.h"
#include "cli/CommandLine.h"
#include "cli/MemoryBudget.h"
#include "core/PictureCropper.h"
#include "core/RegionScaler.h"

// Cuts the same block out of several pictures, side by side on a few
// threads, and writes each one. A picture that fails is reported and the
// others carry on. The pictures decoded at once share a memory budget, and an
// interruption stops the batch between pictures.
class BatchCropper {
 public:
  BatchCropper(CropRequest request, int workers);

  // Where each picture goes, in the pictures' order.
  const std::vector<std::string>& Outputs() const { return outputs_; }

  // Returns how many pictures failed; each failure reaches `report` as one
  // line, in the pictures' order. `progress` counts as BatchRunner's does.
  // What a byte budget chose reaches `note` as one line per picture.
  // A picture read band by band that takes longer than a second tells
  // `part` its name and the share of it read, now and then, from its worker.
  using Part = std::function<void(const std::string& picture, double done)>;
  size_t Run(const std::function<void(const std::string& line)>& report,
             const BatchRunner::Progress& progress = nullptr,
             const std::function<void(const std::string& line)>& note = nullptr,
             const Part& part = nullptr) const;

 private:
  void PlanOutputs();
  void RefuseClashes();
  bool MakeOutputFolder(const std::function<void(const std::string&)>& report) const;
  std::string CropOne(size_t item, const std::function<void(const std::string&)>& note, MemoryBudget& budget,
                      const BatchRunner::Stop& stop, const Part& part) const;
  std::unique_ptr<gdi::MemorySurface> Cut(const std::string& picture, const BatchRunner::Stop& stop,
                                          const Part& part) const;
  uint64_t CostOf(const std::string& picture) const;

  CropRequest request_;
  int workers_;
  PictureCropper cropper_;
  RegionScaler scaler_;
  std::vector<std::string> outputs_;
  // Why a picture is not even tried; empty for the ones that are.
  std::vector<std::string> refusals_;
};
