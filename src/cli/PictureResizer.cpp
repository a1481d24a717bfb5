#include "cli/PictureResizer.h"

#include "platform/base/AppError.h"
#include "platform/base/Checked.h"

using platform::AppError;
namespace ErrorNumber = platform::ErrorNumber;

int32_t PictureResizer::ProportionalHeight(const gdi::Picture& picture, int32_t width) {
  return checked::Div(checked::Mul(picture.Height(), width), picture.Width());
}

std::unique_ptr<cDIBSection> PictureResizer::Resize(const gdi::Picture& picture, int32_t width,
                                                    int32_t height) {
  if (picture.Empty()) throw AppError::Standard(ErrorNumber::InvalidPicture);
  cDIBSection source;
  source.CreateFromPicture(picture);
  if (!source.hDib()) throw AppError::Standard(ErrorNumber::OutOfMemory);
  std::unique_ptr<cDIBSection> resized = source.Resample(height, width);
  if (!resized) throw AppError::Standard(ErrorNumber::OutOfMemory);
  return resized;
}
