#include "formats/gif/GifReader.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "formats/PictureLimits.h"

namespace formats {
namespace {

// A 12-bit code stands for at most 4096 pixels.
constexpr int64_t kDensestPixelsPerByte = 4096;

struct Source {
  std::span<const uint8_t> file;
  size_t at = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* into, int wanted) {
  auto* source = static_cast<Source*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(wanted), source->file.size() - source->at);
  std::memcpy(into, source->file.data() + source->at, n);
  source->at += n;
  return static_cast<int>(n);
}

struct Closer {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using Gif = std::unique_ptr<GifFileType, Closer>;

void Require(int status) {
  if (status != GIF_OK) throw PictureLimits::NotAPicture();
}

void SkipExtension(GifFileType* gif) {
  int code = 0;
  GifByteType* block = nullptr;
  Require(DGifGetExtension(gif, &code, &block));
  while (block) Require(DGifGetExtensionNext(gif, &block));
}

// The order in which an interlaced frame's rows arrive.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> order;
  order.reserve(static_cast<size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  constexpr int kStart[] = {0, 4, 2, 1};
  constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  }
  return order;
}

// A transparent pixel keeps its palette colour, as the toolkit's reader
// leaves it once the transparency is dropped. Rows past damage stay black;
// the damage is given back in words.
std::string DrawFrame(GifFileType* gif, const Source& source, gdi::Bitmap& screen) {
  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (!colours) throw PictureLimits::NotAPicture();
  std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
  for (int y : RowOrder(frame.Height, frame.Interlace)) {
    if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK) {
      return source.at == source.file.size() ? "the file ends before the end of its pixels"
                                             : "its pixel data is corrupt";
    }
    uint8_t* row = screen.MutableRow(frame.Top + y) + 3 * static_cast<size_t>(frame.Left);
    for (int x = 0; x < frame.Width; ++x, row += 3) {
      const int index = line[static_cast<size_t>(x)];
      if (index >= colours->ColorCount) continue;
      const GifColorType& c = colours->Colors[index];
      row[0] = c.Blue;
      row[1] = c.Green;
      row[2] = c.Red;
    }
  }
  return {};
}

}  // namespace

bool GifReader::Takes(std::span<const uint8_t> head) {
  return head.size() >= 4 && std::memcmp(head.data(), "GIF8", 4) == 0;
}

DecodedBitmap GifReader::Decode(std::span<const uint8_t> file) {
  Source source{file};
  int error = 0;
  Gif gif(DGifOpen(&source, ReadBytes, &error));
  if (!gif) throw PictureLimits::NotAPicture();
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    Require(DGifGetRecordType(gif.get(), &type));
    if (type == EXTENSION_RECORD_TYPE) {
      SkipExtension(gif.get());
    } else if (type == IMAGE_DESC_RECORD_TYPE) {
      break;
    } else {
      throw PictureLimits::NotAPicture();
    }
  }
  Require(DGifGetImageDesc(gif.get()));
  const GifImageDesc& frame = gif->Image;
  // A frame reaching past the screen makes the screen larger.
  const int64_t width = std::max<int64_t>(gif->SWidth, int64_t{frame.Left} + frame.Width);
  const int64_t height = std::max<int64_t>(gif->SHeight, int64_t{frame.Top} + frame.Height);
  PictureLimits::CheckAnnounced(width, height, file.size(), kDensestPixelsPerByte);
  auto screen = PictureLimits::NewBitmap(static_cast<int32_t>(width), static_cast<int32_t>(height), false);
  std::string damage = DrawFrame(gif.get(), source, *screen);
  return {std::move(screen), std::move(damage)};
}

}  // namespace formats
