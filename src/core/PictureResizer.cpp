#include "core/PictureResizer.h"

#include "platform/base/AppError.h"
#include "platform/base/Checked.h"

using platform::AppError;
namespace ErrorNumber = platform::ErrorNumber;

std::optional<int32_t> PictureResizer::Proportional(int32_t side, int32_t typed, int32_t otherSide) {
  try {
    return checked::Div(checked::Mul(side, typed), otherSide);
  } catch (const AppError&) {
    return std::nullopt;
  }
}

std::unique_ptr<cDIBSection> PictureResizer::Resize(const gdi::Picture& picture, int32_t width,
                                                    int32_t height) {
  if (picture.Empty()) throw AppError::Standard(ErrorNumber::InvalidPicture);
  CheckBlendable(picture.Width(), picture.Height(), width, height);
  cDIBSection source;
  source.CreateFromPicture(picture);
  if (!source.hDib()) throw AppError::Standard(ErrorNumber::OutOfMemory);
  std::unique_ptr<cDIBSection> resized = source.Resample(height, width);
  if (!resized) throw AppError::Standard(ErrorNumber::OutOfMemory);
  return resized;
}

// Each new pixel blends two neighbouring columns and two rows of the old one,
// whichever side changes; a picture one pixel across has no neighbour there.
void PictureResizer::CheckBlendable(int32_t pictureWidth, int32_t pictureHeight, int32_t width,
                                    int32_t height, const char* what) {
  if (width == pictureWidth && height == pictureHeight) return;
  const bool narrow = pictureWidth == 1;
  if (!narrow && pictureHeight != 1) return;
  throw AppError::WithDescription(ErrorNumber::SubscriptOutOfRange,
                                  std::string("A ") + what + " only 1 pixel " + (narrow ? "wide" : "high") +
                                      " can't be resized: there is no second " + (narrow ? "column" : "row") +
                                      " to blend with");
}
