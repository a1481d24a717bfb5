#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "codecs/PictureLimits.h"
#include "codecs/PictureRegion.h"
#include "platform/gdi/Picture.h"

namespace platform {

// Reads the kinds of picture the program reads itself: uncompressed
// bottom-up 24- and 32-bit BMP, JPEG and GIF. Any other file goes to the
// reader set here (the window toolkit's), or is no picture when none is set.
// It raises as the decoders below do, and gives a bitmap on success.
using OtherKindsReader = std::unique_ptr<gdi::Bitmap> (*)(std::span<const uint8_t> file);
void UseOtherKindsReader(OtherKindsReader reader);

// Decodes a picture file into a bitmap; an empty name gives an empty picture.
// Raises 53 for a missing file, 75 for a folder or other file that is no
// regular file, 481 for one that can't be decoded and 7 for a picture too
// large to hold.
gdi::PicturePtr LoadPicture(const std::string& path);

// The same, decoding only as much as the chosen part of the picture needs
// where the kind allows it (JPEG rows and columns, BMP rows).
PictureRegion LoadPictureRegion(const std::string& path, const RegionChooser& choose);

}  // namespace platform
