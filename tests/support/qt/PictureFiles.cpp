#include "support/qt/PictureFiles.h"

#include <QBuffer>
#include <QFile>
#include <stdexcept>

QImage PictureFiles::Pattern(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.setPixel(x, y, PatternPixel(x, y));
  }
  return image;
}

QRgb PictureFiles::PatternPixel(int x, int y) {
  return qRgb((x * 40) % 256, (y * 60) % 256, (x + 2 * y) * 9 % 256);
}

void PictureFiles::Save(const QImage& image, const std::filesystem::path& path, const char* format,
                        int quality) {
  if (!image.save(QString::fromStdString(path.string()), format, quality)) {
    throw std::runtime_error("could not write " + path.string());
  }
}

namespace {

void PutWord(QByteArray& out, int value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>((value >> 8) & 0xFF));
}

// Every pixel follows a clear code, so the code size stays at three bits and
// no dictionary is needed: valid LZW that any decoder reads.
QByteArray LzwWithoutCompression(const std::vector<uint8_t>& indices) {
  constexpr unsigned kClear = 4, kEnd = 5, kBits = 3;
  QByteArray packed;
  uint32_t buffer = 0;
  unsigned filled = 0;
  auto put = [&](unsigned code) {
    buffer |= code << filled;
    filled += kBits;
    while (filled >= 8) {
      packed.append(static_cast<char>(buffer & 0xFF));
      buffer >>= 8;
      filled -= 8;
    }
  };
  for (uint8_t index : indices) {
    put(kClear);
    put(index);
  }
  put(kEnd);
  if (filled > 0) packed.append(static_cast<char>(buffer & 0xFF));
  return packed;
}

}  // namespace

void PictureFiles::WriteGif(const std::filesystem::path& path, int width, int height,
                            const std::vector<QRgb>& palette, const std::vector<uint8_t>& indices) {
  QByteArray gif("GIF89a");
  PutWord(gif, width);
  PutWord(gif, height);
  gif.append(static_cast<char>(0x91));  // global table of four colours
  gif.append('\0').append('\0');
  for (int i = 0; i < 4; ++i) {
    QRgb c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
    gif.append(static_cast<char>(qRed(c)))
        .append(static_cast<char>(qGreen(c)))
        .append(static_cast<char>(qBlue(c)));
  }
  gif.append(',');
  PutWord(gif, 0);
  PutWord(gif, 0);
  PutWord(gif, width);
  PutWord(gif, height);
  gif.append('\0');
  gif.append('\2');  // minimum code size
  QByteArray data = LzwWithoutCompression(indices);
  for (qsizetype at = 0; at < data.size(); at += 255) {
    QByteArray block = data.mid(at, 255);
    gif.append(static_cast<char>(block.size())).append(block);
  }
  gif.append('\0').append(';');
  WriteBytes(path, gif);
}

void PictureFiles::WriteBytes(const std::filesystem::path& path, const QByteArray& bytes) {
  QFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    throw std::runtime_error("could not write " + path.string());
  }
}

void PictureFiles::WriteBogusJpeg(const std::filesystem::path& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  Pattern(40, 30).save(&buffer, "JPG", 90);
  const qsizetype table = bytes.indexOf("\xFF\xC4");
  if (table < 0) throw std::runtime_error("no Huffman table to spoil");
  for (qsizetype i = table + 5; i < table + 21; ++i) bytes[i] = '\xFF';
  WriteBytes(path, bytes);
}

gdi::PicturePtr PictureFiles::PatternPicture(int width, int height) {
  auto bitmap = gdi::Bitmap::Create(width, height, false);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap->MutableRow(y);
    for (int x = 0; x < width; ++x) {
      QRgb c = PatternPixel(x, y);
      row[3 * x] = static_cast<uint8_t>(qBlue(c));
      row[3 * x + 1] = static_cast<uint8_t>(qGreen(c));
      row[3 * x + 2] = static_cast<uint8_t>(qRed(c));
    }
  }
  return std::make_shared<const gdi::Picture>(std::move(bitmap));
}

QRgb PictureFiles::PixelOf(const gdi::Bitmap& bitmap, int x, int y) {
  const uint8_t* p = bitmap.Row(y) + 3 * x;
  return qRgb(p[2], p[1], p[0]);
}

QByteArray PictureFiles::BmpHeader(int32_t width, int32_t height) {
  QByteArray h(54, '\0');
  auto put32 = [&](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) h[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  h[0] = 'B';
  h[1] = 'M';
  put32(2, 54);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  h[26] = 1;
  h[28] = 24;
  return h;
}

QByteArray PictureFiles::JpegClaiming(const QImage& image, uint16_t width, uint16_t height) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 90);
  const qsizetype frame = bytes.indexOf(QByteArray("\xFF\xC0", 2));
  if (frame < 0) throw std::runtime_error("no baseline frame header");
  bytes[frame + 5] = static_cast<char>(height >> 8);
  bytes[frame + 6] = static_cast<char>(height & 0xFF);
  bytes[frame + 7] = static_cast<char>(width >> 8);
  bytes[frame + 8] = static_cast<char>(width & 0xFF);
  return bytes;
}
