// The header probe a batch sizes its memory with, and the orientation reader,
// on any bytes: they read hostile files before any decoder does. Anything but
// an answer within bounds or a clean refusal is a finding.
#include <cstdio>
#include <cstdlib>
#include <span>

#include "formats/PictureHeader.h"
#include "formats/PictureLimits.h"
#include "formats/jpeg/ExifOrientation.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "not so: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> head(data, size);
  const int orientation = formats::ExifOrientation::Of(head);
  Require(orientation >= 1 && orientation <= 8, "an orientation is one of the eight");
  try {
    if (auto header = formats::PictureHeader::Of(head)) {
      Require(header->width > 0 && header->height > 0, "a size has pixels");
      Require(header->orientation >= 1 && header->orientation <= 8,
              "the header's orientation is one of the eight");
    }
  } catch (const platform::AppError& e) {
    Require(e.Number() == platform::ErrorNumber::InvalidPicture ||
                e.Number() == platform::ErrorNumber::OutOfMemory,
            "a refusal says the file is no picture or too large");
  }
  return 0;
}
