#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "formats/PictureDecoder.h"
#include "imaging/StreamedAverager.h"

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
  // The averager the rows of the picture decoded at 1/shrink of its size
  // (width x height, rounded up) go to.
  virtual StreamedAverager& Averager(int shrink, int32_t width, int32_t height) = 0;
  // Asked between bands with the share of the rows read so far; true stops.
  virtual bool Stop(double done) = 0;
};

// Raised when the sink stopped a stream.
class StreamStopped : public std::runtime_error {
 public:
  StreamStopped() : std::runtime_error("stopped") {}
};

// What a stream did.
enum class Streamed {
  // The picture's kind or layout can't be streamed, or the sink didn't want
  // it: nothing was given to it.
  No,
  // Every needed row went to the averager.
  Yes,
};

// Reads a picture band by band into the sink: a few bands of its width in
// memory whatever its height, and for a JPEG only 1/shrink of each band.
// Pictures beyond the size limit of a whole decode are taken; a header that
// claims far more than the file holds is refused before anything is taken.
// Raises as LoadPicture does, and StreamStopped.
Streamed StreamPicture(const std::string& path, BandSink& sink, Damage damage = Damage::Refuse);

}  // namespace formats
