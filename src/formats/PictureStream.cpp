#include "formats/PictureStream.h"

#include "formats/Orientation.h"
#include "formats/PictureFile.h"
#include "formats/PictureHeader.h"
#include "formats/bmp/BmpReader.h"
#include "formats/jpeg/ExifOrientation.h"
#include "formats/jpeg/JpegReader.h"
#include "formats/png/PngReader.h"

namespace formats {

BandHandOff::BandHandOff(RowTaker& taker, int32_t width, int32_t firstColumn, int32_t rows)
    : taker_(taker), firstColumn_(firstColumn), rows_(rows), stride_(3 * static_cast<size_t>(width)) {
  for (std::vector<uint8_t>& band : bands_) band.resize(stride_ * static_cast<size_t>(rows));
}

BandHandOff::~BandHandOff() {
  if (averaging_.valid()) averaging_.wait();
}

void BandHandOff::Pass(int32_t first, int32_t count) {
  Finish();
  const Range columns = taker_.Columns();
  const PixelRows<const uint8_t> band{
      bands_[filling_].data() + static_cast<size_t>(first) * stride_ + 3 * static_cast<size_t>(firstColumn_),
      static_cast<ptrdiff_t>(stride_), columns.end - columns.first, count};
  if (count > 0) averaging_ = std::async(std::launch::async, [this, band] { taker_.Add(band); });
  filling_ ^= 1;
}

void BandHandOff::Finish() {
  if (averaging_.valid()) averaging_.get();
}

// The file is never held whole, so its size is no limit; a kind that can't
// stream falls back on the whole decode, which applies its limits again.
Streamed StreamPicture(const std::string& path, BandSink& sink, Damage damage) {
  const PictureFile file(path, UINT64_MAX);
  const std::vector<uint8_t> head = file.Head(PictureHeader::kHeadBytes);
  std::string hurt;
  Streamed streamed = Streamed::No;
  if (auto layout = BmpReader::Read(head, file.Size(), kMaxStreamedPixels)) {
    streamed = BmpReader::Stream(file, *layout, sink, hurt);
  } else if (PngReader::Takes(head)) {
    streamed = PngReader::Stream(file, sink, hurt);
  } else if (JpegReader::Takes(head)) {
    // A photo turned upright is turned whole.
    const bool upright = !Orientation::Automatic() || ExifOrientation::Of(head) == ExifOrientation::kUpright;
    if (upright) streamed = JpegReader::Stream(file, sink, hurt);
  }
  if (streamed == Streamed::Yes && damage == Damage::Refuse && !hurt.empty())
    throw PictureLimits::Damaged(hurt);
  return streamed;
}

bool Streams(const std::string& path) {
  try {
    const PictureFile file(path, UINT64_MAX);
    const std::vector<uint8_t> head = file.Head(PictureHeader::kHeadBytes);
    if (BmpReader::Read(head, file.Size(), kMaxStreamedPixels)) return true;
    // Byte 28 is the header's interlace method.
    if (PngReader::Takes(head)) return head.size() > 28 && head[28] == 0;
    return JpegReader::Takes(head) &&
           (!Orientation::Automatic() || ExifOrientation::Of(head) == ExifOrientation::kUpright);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace formats
