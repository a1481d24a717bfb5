#include "formats/jpeg/JpegBudget.h"

#include <algorithm>
#include <set>

#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "platform/base/AppError.h"
#include "platform/base/AtomicFile.h"

// File sizes mostly grow with the quality, so the best one within the budget
// lies between `fits` (0 standing for none) and `tooBig`; each encode halves
// that. Mostly: a quality or two above the answer can come out a few bytes
// smaller, so the few just above it are tried too.
BudgetedJpeg JpegBudget::Fit(cDIBSection& bitmap, int64_t maxBytes) {
  BudgetedJpeg best;
  int32_t fits = 0, highest = 100;
  size_t smallest = 0;
  std::set<int32_t> tooBig;
  while (fits < highest) {
    const int32_t quality = (fits + highest + 1) / 2;
    std::vector<uint8_t> bytes = mIntelJPEGLibrary::EncodeJPEG(bitmap, quality);
    if (static_cast<int64_t>(bytes.size()) <= maxBytes) {
      fits = quality;
      best = {quality, std::move(bytes)};
    } else {
      highest = quality - 1;
      smallest = bytes.size();
      tooBig.insert(quality);
    }
  }
  if (fits == 0) {
    throw platform::AppError::WithDescription(platform::ErrorNumber::InvalidArgument,
                                              "even at quality 1 the JPEG file takes " +
                                                  std::to_string(smallest) + " bytes, more than the " +
                                                  std::to_string(maxBytes) + " allowed");
  }
  const int32_t last = std::min(100, fits + kQualitiesAbove);
  for (int32_t quality = fits + 1; quality <= last; ++quality) {
    if (tooBig.count(quality)) continue;
    std::vector<uint8_t> bytes = mIntelJPEGLibrary::EncodeJPEG(bitmap, quality);
    if (static_cast<int64_t>(bytes.size()) <= maxBytes) best = {quality, std::move(bytes)};
  }
  return best;
}

BudgetedJpeg JpegBudget::Save(cDIBSection& bitmap, const std::string& path, int64_t maxBytes,
                              bool keepTimes) {
  // A file that can't be replaced is said at once, before seven encodes.
  platform::AtomicFile::CheckReplaceable(path);
  BudgetedJpeg jpeg = Fit(bitmap, maxBytes);
  mIntelJPEGLibrary::WriteJPEGFile(path, jpeg.bytes, keepTimes);
  return jpeg;
}
