#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "formats/PictureLimits.h"
#include "formats/PictureRegion.h"
#include "platform/gdi/Picture.h"

namespace formats {

// Reads the kinds of picture the program reads itself: uncompressed
// bottom-up 24- and 32-bit BMP, JPEG, GIF and PNG. Any other file goes to the
// reader set here (the window toolkit's), or is no picture when none is set.
// It raises as the decoders below do, and gives a bitmap on success.
using OtherKindsReader = std::unique_ptr<gdi::Bitmap> (*)(std::span<const uint8_t> file);
void UseOtherKindsReader(OtherKindsReader reader);

// Decodes a picture file whole into a bitmap, saying how the file is damaged
// if it is; an empty name gives an empty picture. Raises 53 for a missing
// file, 75 for a folder, pipe, device or socket, 481 for one that can't be
// decoded or whose header claims far more than the file holds, and 7 for a
// picture or file too large to hold.
PictureRegion DecodePicture(const std::string& path);

// Whether a damaged file gives what could be read of it, or raises 481
// saying how it is damaged.
enum class Damage { Refuse, Accept };

gdi::PicturePtr LoadPicture(const std::string& path, Damage damage = Damage::Refuse);

// The same, decoding only as much as the chosen part of the picture needs
// where the kind allows it (JPEG rows and columns, BMP rows, PNG rows down to
// the part's last).
PictureRegion LoadPictureRegion(const std::string& path, const RegionChooser& choose,
                                Damage damage = Damage::Refuse);

}  // namespace formats
