#include "cli/TestPictures.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "formats/PictureDecoder.h"
#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "formats/png/PngWriter.h"
#include "imaging/cDIBSection.h"
#include "support/pure/PillowImage.h"

namespace {

// Bytes past the value's four are zero: a shift by 32 or more is undefined.
void PutLe(std::string& bytes, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes += static_cast<char>(i < 4 ? (value >> (8 * i)) & 0xFF : 0);
}

std::string Bmp(const gdi::Bitmap& bitmap) {
  const uint32_t stride = static_cast<uint32_t>(gdi::Bitmap::StrideFor(bitmap.Width()));
  const uint32_t pixels = stride * static_cast<uint32_t>(bitmap.Height());
  std::string bytes = "BM";
  PutLe(bytes, 54 + pixels, 4);
  PutLe(bytes, 0, 4);
  PutLe(bytes, 54, 4);
  PutLe(bytes, 40, 4);
  PutLe(bytes, static_cast<uint32_t>(bitmap.Width()), 4);
  PutLe(bytes, static_cast<uint32_t>(bitmap.Height()), 4);
  PutLe(bytes, 1, 2);
  PutLe(bytes, 24, 2);
  PutLe(bytes, 0, 4);
  PutLe(bytes, pixels, 4);
  PutLe(bytes, 2835, 4);
  PutLe(bytes, 2835, 4);
  PutLe(bytes, 0, 4);
  PutLe(bytes, 0, 4);
  for (int y = bitmap.Height() - 1; y >= 0; --y) {
    bytes.append(reinterpret_cast<const char*>(bitmap.Row(y)), 3 * static_cast<size_t>(bitmap.Width()));
    bytes.append(stride - 3 * static_cast<size_t>(bitmap.Width()), '\0');
  }
  return bytes;
}

std::unique_ptr<cDIBSection> Section(const gdi::Bitmap& bitmap) {
  auto section = std::make_unique<cDIBSection>();
  if (!section->Create(bitmap.Width(), bitmap.Height()))
    throw std::runtime_error("no memory for the picture");
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::copy_n(bitmap.Row(y), 3 * static_cast<size_t>(bitmap.Width()), section->hDib()->MutableRow(y));
  }
  return section;
}

}  // namespace

TestImage::TestImage(int width, int height) : bitmap_(gdi::Bitmap::Create(width, height, false)) {}

Rgb TestImage::Pixel(int x, int y) const {
  const uint8_t* p = bitmap_->Row(y) + 3 * x;
  return MakeRgb(p[2], p[1], p[0]);
}

void TestImage::SetPixel(int x, int y, Rgb colour) {
  uint8_t* p = bitmap_->MutableRow(y) + 3 * x;
  p[0] = static_cast<uint8_t>(BlueOf(colour));
  p[1] = static_cast<uint8_t>(GreenOf(colour));
  p[2] = static_cast<uint8_t>(RedOf(colour));
}

TestImage TestImage::Read(const std::filesystem::path& path) {
  try {
    const gdi::PicturePtr picture = formats::LoadPicture(path.string());
    return TestImage(picture->Handle()->ShareCopy());
  } catch (const std::exception&) {
    return TestImage(nullptr);
  }
}

TestImage TestPictures::Pattern(int width, int height) {
  TestImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.SetPixel(x, y, PatternPixel(x, y));
  }
  return image;
}

Rgb TestPictures::PatternPixel(int x, int y) {
  return MakeRgb((x * 40) % 256, (y * 60) % 256, (x + 2 * y) * 9 % 256);
}

void TestPictures::Save(const TestImage& image, const std::filesystem::path& path, const std::string& format,
                        int quality) {
  if (format == "BMP") {
    WriteBytes(path, Bmp(image.Bitmap()));
  } else if (format == "PNG") {
    formats::PngWriter::Save(image.Bitmap(), path.string());
  } else if (format == "JPG") {
    mIntelJPEGLibrary::SaveJPEGinFile(*Section(image.Bitmap()), path.string(), quality);
  } else {
    throw std::runtime_error("no writer for " + format);
  }
}

void TestPictures::WriteGif(const std::filesystem::path& path, int width, int height,
                            const std::vector<Rgb>& palette, const std::vector<uint8_t>& indices) {
  std::string colours, pixels;
  for (Rgb c : palette)
    colours +=
        std::to_string(RedOf(c)) + "," + std::to_string(GreenOf(c)) + "," + std::to_string(BlueOf(c)) + ",";
  for (uint8_t i : indices) pixels += std::to_string(i) + ",";
  const bool written = PillowImage::Run(
      "w, h = int(sys.argv[2]), int(sys.argv[3])\n"
      "im = Image.new('P', (w, h))\n"
      "im.putpalette(eval('[' + sys.argv[4] + ']'))\n"
      "im.putdata(eval('[' + sys.argv[5] + ']'))\n"
      "im.save(sys.argv[1])\n",
      {path.string(), std::to_string(width), std::to_string(height), colours, pixels});
  if (!written) throw std::runtime_error("could not write " + path.string());
}

void TestPictures::WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("could not write " + path.string());
}

std::string TestPictures::ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void TestPictures::WriteBogusJpeg(const std::filesystem::path& path) {
  const std::vector<uint8_t> jpeg = mIntelJPEGLibrary::EncodeJPEG(*Section(Pattern(40, 30).Bitmap()), 90);
  std::string bytes(jpeg.begin(), jpeg.end());
  const size_t table = bytes.find("\xFF\xC4");
  if (table == std::string::npos) throw std::runtime_error("no Huffman table to spoil");
  for (size_t i = table + 5; i < table + 21; ++i) bytes[i] = '\xFF';
  WriteBytes(path, bytes);
}
