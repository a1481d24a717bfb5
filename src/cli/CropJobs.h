#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

// One picture to crop, with the options it alone runs with.
struct CropJob {
  // Its line in the manifest, or its place among the pictures; from 1.
  size_t number = 0;
  std::string input;
  // The file read: the input, or where standard input was kept.
  std::string source;
  // "-" for standard output.
  std::string output;
  // The job's own request, for its one picture.
  CropRequest settings;
  // Why the job is not even tried; empty for one that is.
  std::string refusal;
};

// The jobs of a crop, from its pictures or from its manifest's lines, each
// with its output named and checked against the others'.
class CropJobs {
 public:
  // `manifest` is read when the request names one. Jobs of other shards are
  // left out, but named and checked with the rest, so every shard refuses what
  // one run would. A --name that gives two jobs one output is a UsageError
  // before any picture is touched; without one, the later job is refused.
  static std::vector<CropJob> Plan(const CropRequest& request, std::istream* manifest);

 private:
  static std::vector<CropJob> FromPictures(const CropRequest& request);
  static std::vector<CropJob> FromManifest(const CropRequest& request, std::istream& manifest);
  static void Name(CropJob& job);
  static void RefuseShared(const CropRequest& request, std::vector<CropJob>& jobs);
  static void RefuseClashes(std::vector<CropJob>& jobs);
};
