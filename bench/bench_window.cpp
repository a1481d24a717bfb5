// The main window on large pictures, measured through the real handlers on the
// offscreen platform. Run by hand:
//   bench_window --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// MouseMove/N: one mouse move of a selection over an N-megapixel picture, the
// handler and the repaints it causes. The cost should not grow with N.
// Open12Mp vs Djpeg12Mp: opening a 12-megapixel JPEG, from the dialog's answer
// to the window laid out, against libjpeg-turbo's own djpeg decoding the same
// file (djpeg comes with Debian's libjpeg-turbo-progs).
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "platform/base/MessageBox.h"
#include "platform/ui/Events.h"

namespace {

QTemporaryDir& Folder() {
  static QTemporaryDir folder;
  return folder;
}

// A photo-like JPEG: smooth gradients with fine detail, quality 90.
std::string PhotoJpeg(int width, int height) {
  std::string path = Folder().filePath(QString("photo-%1x%2.jpg").arg(width).arg(height)).toStdString();
  if (std::ifstream(path).good()) return path;
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<unsigned char>(128 + 100 * std::sin(x * 0.002) + ((x * 7 + y * 13) & 15));
      p[1] = static_cast<unsigned char>(y * 200 / height + ((x ^ y) & 31));
      p[2] = static_cast<unsigned char>((x + y) * 255 / (width + height));
    }
  }
  tjhandle tj = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  tjCompress2(tj, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_420, 90, 0);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<char*>(jpeg), static_cast<std::streamsize>(size));
  tjFree(jpeg);
  tjDestroy(tj);
  return path;
}

void MouseMove(benchmark::State& state) {
  const int megapixels = static_cast<int>(state.range(0));
  const int width = 4 * static_cast<int>(std::lround(std::sqrt(megapixels * 1e6 / 12.0)));
  const int height = width * 3 / 4;
  Form1 form;
  form.show();
  form.OpenPicture(PhotoJpeg(width, height));
  form.Command3->click();
  // The first frame takes the picture's pixels for the surface to draw on, once.
  form.picSource_MouseMove(0, 0, 300, 300);
  platform::DoEvents();
  int step = 0;
  for (auto _ : state) {
    float x = 200.0f + static_cast<float>((step * 7) % 600);
    float y = 150.0f + static_cast<float>((step * 5) % 400);
    form.picSource_MouseMove(0, 0, x, y);
    platform::DoEvents();
    ++step;
  }
  form.picSource_Click();
  state.counters["megapixels"] = static_cast<double>(width) * height / 1e6;
}
BENCHMARK(MouseMove)->Arg(1)->Arg(12)->Arg(48)->Unit(benchmark::kMicrosecond)->UseRealTime();

void Open12Mp(benchmark::State& state) {
  std::string path = PhotoJpeg(4000, 3000);
  Form1 form;
  form.show();
  for (auto _ : state) {
    form.OpenPicture(path);
    platform::DoEvents();
  }
}
BENCHMARK(Open12Mp)->Unit(benchmark::kMillisecond)->UseRealTime();

void Djpeg12Mp(benchmark::State& state) {
  std::string command = "djpeg -outfile /dev/null '" + PhotoJpeg(4000, 3000) + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("djpeg failed: install libjpeg-turbo-progs");
      break;
    }
  }
}
BENCHMARK(Djpeg12Mp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  platform::MessageBox::Install([](const std::string& text, int32_t, const std::string&) {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return 1;
  });
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
