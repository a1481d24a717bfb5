#pragma once

#include <cstdint>
#include <string>
#include <vector>

class cDIBSection;

// A JPEG file at the best quality whose size keeps within a number of bytes.
struct BudgetedJpeg {
  int32_t quality = 0;
  std::vector<uint8_t> bytes;
};

// Finds the quality by halving the range 1 to 100, then tries the few just
// above the answer, since a file can shrink a little as the quality grows: at
// most 7 + kQualitiesAbove encodes, all in memory, and the file is written once.
class JpegBudget {
 public:
  static constexpr int kQualitiesAbove = 4;
  static constexpr int kMaxEncodes = 7 + kQualitiesAbove;

  // Raises invalid argument (5) naming both sizes when even quality 1 is larger.
  static BudgetedJpeg Fit(cDIBSection& bitmap, int64_t maxBytes);

  // Fit, then the file written as mIntelJPEGLibrary writes it.
  static BudgetedJpeg Save(cDIBSection& bitmap, const std::string& path, int64_t maxBytes,
                           bool keepTimes = true);
};
