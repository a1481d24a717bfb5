// The picture readers on a fuzzer's input, with the file's first bytes made
// those of one kind of picture (chosen when built) so that every input reaches
// that kind's reader, by the ways the command line reads: whole, a block of
// it, and band by band into an area average. Anything but a picture or a
// clean refusal is a finding, and so is a block or an average that differs
// from the same made from the whole.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/RegionScaler.h"
#include "core/StreamedScaler.h"
#include "formats/PictureDecoder.h"
#include "platform/base/AppError.h"

namespace {

constexpr std::string_view kMagic[] = {"\xFF\xD8\xFF", "BM", "GIF8", "\x89PNG\r\n\x1A\n"};
constexpr std::string_view kKindMagic = kMagic[QUARVEL_PICTURE_KIND];

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "not so: %s\n", what);
  std::abort();
}

bool KnownRefusal(int32_t number) {
  namespace N = platform::ErrorNumber;
  return number == N::InvalidPicture || number == N::OutOfMemory;
}

// The readers take a file by name: an unnamed file in memory has one.
class MemoryFile {
 public:
  explicit MemoryFile(const std::vector<uint8_t>& bytes) : fd_(memfd_create("picture", MFD_CLOEXEC)) {
    Require(fd_ >= 0 && write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
            "the input is in a file");
  }
  ~MemoryFile() { close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

// A block inside the picture, placed by two of the input's bytes.
gdi::Rect BlockFor(uint8_t a, uint8_t b, int32_t width, int32_t height) {
  const int32_t left = width * a / 256, top = height * b / 256;
  return {left, top, std::min(width, left + 1 + a % 37), std::min(height, top + 1 + b % 29)};
}

bool SameBlock(const formats::PictureRegion& part, const gdi::Rect& block, const gdi::Bitmap& whole) {
  const gdi::Bitmap& rows = *part.picture->Handle();
  for (int32_t y = block.top; y < block.bottom; ++y) {
    const uint8_t* a = rows.Row(y - part.top) + 3 * static_cast<size_t>(block.left - part.left);
    const uint8_t* b = whole.Row(y) + 3 * static_cast<size_t>(block.left);
    if (std::memcmp(a, b, 3 * static_cast<size_t>(block.right - block.left)) != 0) return false;
  }
  return true;
}

bool SameSurface(const gdi::MemorySurface& a, const gdi::MemorySurface& b) {
  const gdi::Bitmap &x = a.Image(), &y = b.Image();
  if (x.Width() != y.Width() || x.Height() != y.Height()) return false;
  for (int32_t row = 0; row < x.Height(); ++row) {
    if (std::memcmp(x.Row(row), y.Row(row), 3 * static_cast<size_t>(x.Width())) != 0) return false;
  }
  return true;
}

// The whole picture's area average to a few pixels, exact, as `resize` makes it band by band.
void CheckStreamed(const std::string& path, const gdi::Picture& picture, uint8_t a) {
  const int32_t side = 1 + a % 5;
  const RegionSize whole{true, 0, 0};
  StreamedScaler streamed(whole, side, side, {}, true);
  const std::unique_ptr<gdi::MemorySurface> made = streamed.Cut(path, formats::Damage::Refuse);
  if (!made) return;
  const std::unique_ptr<gdi::MemorySurface> expected = RegionScaler(whole, side, side, {}).Cut(picture);
  Require(SameSurface(*made, *expected), "the streamed average is the whole picture's");
}

void Check(const std::string& path, uint8_t a, uint8_t b) {
  const formats::PictureRegion whole = formats::DecodePicture(path);
  const gdi::Picture& picture = *whole.picture;
  const int64_t pixels = int64_t{picture.Width()} * picture.Height();
  Require(!picture.Empty() && pixels > 0 && pixels <= formats::kMaxPicturePixels,
          "a picture within the limits");
  // A block's read may stop short of the damage, as it needs none of its pixels.
  if (!whole.damage.empty()) return;
  const gdi::Rect block = BlockFor(a, b, picture.Width(), picture.Height());
  const formats::PictureRegion part =
      formats::LoadPictureRegion(path, [&](int32_t, int32_t) { return block; });
  Require(part.width == picture.Width() && part.height == picture.Height(),
          "the block's picture has the whole's size");
  Require(SameBlock(part, block, *picture.Handle()), "the block holds the whole's pixels");
  CheckStreamed(path, picture, a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kKindMagic.size() + 2) return 0;
  std::vector<uint8_t> file(data, data + size - 2);
  std::memcpy(file.data(), kKindMagic.data(), kKindMagic.size());
  const MemoryFile memory(file);
  try {
    Check(memory.Path(), data[size - 2], data[size - 1]);
  } catch (const platform::AppError& e) {
    Require(KnownRefusal(e.Number()), "a refusal says the file is no picture or too large");
  }
  return 0;
}
