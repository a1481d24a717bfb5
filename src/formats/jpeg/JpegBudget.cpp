#include "formats/jpeg/JpegBudget.h"

#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "platform/base/AppError.h"
#include "platform/base/AtomicFile.h"

// File sizes grow with the quality, so the best one within the budget lies
// between `fits` (0 standing for none) and `tooBig`; each encode halves that.
BudgetedJpeg JpegBudget::Fit(cDIBSection& bitmap, int64_t maxBytes) {
  BudgetedJpeg best;
  int32_t fits = 0, highest = 100;
  size_t smallest = 0;
  while (fits < highest) {
    const int32_t quality = (fits + highest + 1) / 2;
    std::vector<uint8_t> bytes = mIntelJPEGLibrary::EncodeJPEG(bitmap, quality);
    if (static_cast<int64_t>(bytes.size()) <= maxBytes) {
      fits = quality;
      best = {quality, std::move(bytes)};
    } else {
      highest = quality - 1;
      smallest = bytes.size();
    }
  }
  if (fits == 0) {
    throw platform::AppError::WithDescription(platform::ErrorNumber::InvalidArgument,
                                              "even at quality 1 the JPEG file takes " +
                                                  std::to_string(smallest) + " bytes, more than the " +
                                                  std::to_string(maxBytes) + " allowed");
  }
  return best;
}

BudgetedJpeg JpegBudget::Save(cDIBSection& bitmap, const std::string& path, int64_t maxBytes) {
  // A file that can't be replaced is said at once, before seven encodes.
  platform::AtomicFile::CheckReplaceable(path);
  BudgetedJpeg jpeg = Fit(bitmap, maxBytes);
  mIntelJPEGLibrary::WriteJPEGFile(path, jpeg.bytes);
  return jpeg;
}
