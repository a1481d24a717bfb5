#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/PictureWriter.h"
#include "core/RegionScaler.h"

// The name an output takes in its folder, from a template the user gives with
// --name: {stem} and {ext} of the picture's file name, {size} and {region} of
// the crop, {n} the job's line or argument number.
class OutputName {
 public:
  struct Fields {
    std::string input;
    size_t number = 0;
    int32_t width = 0;
    int32_t height = 0;
    RegionSize region;
  };

  // A UsageError when `pattern` names a field there is none of, or leaves a brace open.
  static void Check(const std::string& pattern);

  // An empty pattern is {stem}. A pattern that doesn't end in an extension
  // the writers know gets the format's own.
  static std::string Expand(const std::string& pattern, const Fields& fields, OutputFormat format);

 private:
  static std::string Field(const std::string& field, const Fields& fields);
};
