// The program's own picture readers against Qt's on 12-megapixel pictures, in
// one process: what each reader costs without the program around it.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/PictureDecoder.h"
#include "formats/gif/GifReader.h"
#include "formats/jpeg/JpegReader.h"
#include "formats/png/PngReader.h"
#include "formats/qt/QtPictureReader.h"

namespace {

QTemporaryDir& Folder() {
  static QTemporaryDir folder;
  return folder;
}

// Photo-like pictures written by Pillow, once: "big.bmp", "big.gif", "big.jpg", "big.png".
std::string Picture(const std::string& name) {
  std::string path = Folder().filePath(QString::fromStdString(name)).toStdString();
  if (std::ifstream(path).good()) return path;
  const std::string folder = Folder().path().toStdString();
  const std::string script =
      "from PIL import Image\n"
      "im = Image.radial_gradient('L').resize((4000, 3000)).convert('RGB')\n"
      "im = Image.blend(im, Image.effect_noise((4000, 3000), 30).convert('RGB'), 0.2)\n"
      "im.save('" +
      folder + "/big.bmp'); im.save('" + folder + "/big.jpg', quality=90); im.save('" + folder +
      "/big.png')\n"
      "im.quantize(256).save('" +
      folder + "/big.gif')\n";
  if (std::system(("/usr/bin/python3 -c \"" + script + "\"").c_str()) != 0) std::abort();
  return path;
}

std::vector<uint8_t> Bytes(const std::string& name) {
  std::ifstream in(Picture(name), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void OursBmp(benchmark::State& state) {
  const std::string path = Picture("big.bmp");
  for (auto _ : state) benchmark::DoNotOptimize(formats::LoadPicture(path));
}
BENCHMARK(OursBmp)->Unit(benchmark::kMillisecond)->UseRealTime();

void QtBmp(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes("big.bmp");
  for (auto _ : state) benchmark::DoNotOptimize(formats::QtPictureReader::Decode(file));
}
BENCHMARK(QtBmp)->Unit(benchmark::kMillisecond)->UseRealTime();

void GiflibGif(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes("big.gif");
  for (auto _ : state) benchmark::DoNotOptimize(formats::GifReader::Decode(file));
}
BENCHMARK(GiflibGif)->Unit(benchmark::kMillisecond)->UseRealTime();

void QtGif(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes("big.gif");
  for (auto _ : state) benchmark::DoNotOptimize(formats::QtPictureReader::Decode(file));
}
BENCHMARK(QtGif)->Unit(benchmark::kMillisecond)->UseRealTime();

void WholeJpeg(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes("big.jpg");
  for (auto _ : state) benchmark::DoNotOptimize(formats::JpegReader::Decode(file));
}
BENCHMARK(WholeJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

void JpegBlock256(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes("big.jpg");
  const auto centre = [](int32_t, int32_t) { return gdi::Rect{1872, 1372, 2128, 1628}; };
  for (auto _ : state) benchmark::DoNotOptimize(formats::JpegReader::DecodeRegion(file, centre));
}
BENCHMARK(JpegBlock256)->Unit(benchmark::kMillisecond)->UseRealTime();

void SpngPng(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes("big.png");
  for (auto _ : state) benchmark::DoNotOptimize(formats::PngReader::Decode(file));
}
BENCHMARK(SpngPng)->Unit(benchmark::kMillisecond)->UseRealTime();

void QtPng(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes("big.png");
  for (auto _ : state) benchmark::DoNotOptimize(formats::QtPictureReader::Decode(file));
}
BENCHMARK(QtPng)->Unit(benchmark::kMillisecond)->UseRealTime();

// Rows down to the block's last only.
void PngBlock16(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes("big.png");
  const auto centre = [](int32_t, int32_t) { return gdi::Rect{1992, 1492, 2008, 1508}; };
  for (auto _ : state) benchmark::DoNotOptimize(formats::PngReader::DecodeRegion(file, centre));
}
BENCHMARK(PngBlock16)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
