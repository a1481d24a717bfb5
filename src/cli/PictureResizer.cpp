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
  CheckBlendable(picture, width, height);
  cDIBSection source;
  source.CreateFromPicture(picture);
  if (!source.hDib()) throw AppError::Standard(ErrorNumber::OutOfMemory);
  std::unique_ptr<cDIBSection> resized = source.Resample(height, width);
  if (!resized) throw AppError::Standard(ErrorNumber::OutOfMemory);
  return resized;
}

// Each new pixel blends two neighbouring columns and two rows of the old one,
// whichever side changes; a picture one pixel across has no neighbour there.
void PictureResizer::CheckBlendable(const gdi::Picture& picture, int32_t width, int32_t height) {
  if (width == picture.Width() && height == picture.Height()) return;
  const bool narrow = picture.Width() == 1;
  if (!narrow && picture.Height() != 1) return;
  throw AppError::WithDescription(ErrorNumber::SubscriptOutOfRange,
                                  std::string("A picture only 1 pixel ") + (narrow ? "wide" : "high") +
                                      " can't be resized: there is no second " + (narrow ? "column" : "row") +
                                      " to blend with");
}
