#pragma once

#include <cstdint>
#include <future>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/PictureDecoder.h"
#include "imaging/RowTaker.h"

namespace formats {

// Where a picture read band by band goes: it says what it needs once the
// picture's size is known, takes the rows as they are decoded, and may stop
// the reading between bands.
class BandSink {
 public:
  virtual ~BandSink() = default;

  // The picture's size is known: the most it may be shrunk while decoding
  // (1, 2, 4 or 8), or 0 when this picture isn't for streaming.
  virtual int MostShrink(int32_t width, int32_t height) = 0;
  // What the rows of the picture decoded at 1/shrink of its size (width x
  // height, rounded up) go to.
  virtual RowTaker& Taker(int shrink, int32_t width, int32_t height) = 0;
  // Asked between bands with the share of the rows read so far; true stops.
  virtual bool Stop(double done) = 0;
};

// Raised when the sink stopped a stream.
class StreamStopped : public std::runtime_error {
 public:
  StreamStopped() : std::runtime_error("stopped") {}
};

// Bands handed to the taker on a second thread while the next is decoded: the
// two cores' work overlaps where decoding and taking the rows cost about as much.
class BandHandOff {
 public:
  // Bands of up to `rows` rows of `width` pixels, the taker's first column
  // at `firstColumn` of each.
  BandHandOff(RowTaker& taker, int32_t width, int32_t firstColumn, int32_t rows);
  ~BandHandOff();
  BandHandOff(const BandHandOff&) = delete;
  BandHandOff& operator=(const BandHandOff&) = delete;

  int32_t Rows() const { return rows_; }
  // Row r of the band being filled.
  uint8_t* Row(int32_t r) { return bands_[filling_].data() + static_cast<size_t>(r) * stride_; }
  // `count` rows of the band from row `first` go to the taker; the next band
  // is filled meanwhile.
  void Pass(int32_t first, int32_t count);
  // Waits until every band passed is taken.
  void Finish();

 private:
  RowTaker& taker_;
  int32_t firstColumn_;
  int32_t rows_;
  size_t stride_;
  std::vector<uint8_t> bands_[2];
  int filling_ = 0;
  std::future<void> averaging_;
};

// What a stream did.
enum class Streamed {
  // The picture's kind or layout can't be streamed, or the sink didn't want
  // it: nothing was given to it.
  No,
  // Every needed row went to the taker.
  Yes,
};

// Reads a picture band by band into the sink: a few bands of its width in
// memory whatever its height, and for a JPEG only 1/shrink of each band.
// Pictures beyond the size limit of a whole decode are taken; a header that
// claims far more than the file holds is refused before anything is taken.
// Raises as LoadPicture does, and StreamStopped.
Streamed StreamPicture(const std::string& path, BandSink& sink, Damage damage = Damage::Refuse);

// Whether StreamPicture would read the picture at `path` band by band, from
// its first bytes; false for a file that can't be read.
bool Streams(const std::string& path);

}  // namespace formats
