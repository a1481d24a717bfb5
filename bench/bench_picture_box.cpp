// What a picture surface costs on a large photo: setting the picture, and one
// step of the selection (a block copied in, a frame drawn, the window events
// run so the changed rectangles are repainted). Run by hand:
//   bench_picture_box --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/MemorySurface.h"
#include "platform/ui/Events.h"
#include "platform/ui/PictureBox.h"

namespace {

constexpr int kWidth = 8000;
constexpr int kHeight = 6000;  // 48 megapixels

gdi::PicturePtr LargePicture() {
  auto bitmap = gdi::Bitmap::Create(kWidth, kHeight, false);
  bitmap->Fill(gdi::RGB(90, 140, 200));
  return std::make_shared<const gdi::Picture>(std::move(bitmap));
}

void SetLargePicture(benchmark::State& state) {
  gdi::PicturePtr picture = LargePicture();
  platform::PictureBox box;
  box.SetAutoSize(true);
  for (auto _ : state) {
    box.SetPicture(picture);
    benchmark::DoNotOptimize(box.Image().Bits());
  }
}
BENCHMARK(SetLargePicture)->Unit(benchmark::kMicrosecond);

void SelectionStepOnLargePicture(benchmark::State& state) {
  platform::PictureBox box;
  box.SetAutoSize(true);
  box.SetPicture(LargePicture());
  box.show();
  gdi::MemorySurface block(128, 128, gdi::RGB(250, 20, 20));
  gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, 0);
  gdi::SelectObject(box.hDC(), pen);
  gdi::BitBlt(box.hDC(), 0, 0, 1, 1, block.hDC(), 0, 0, gdi::SRCCOPY);  // the one-off copy on first write
  platform::DoEvents();
  int step = 0;
  for (auto _ : state) {
    int x = 200 + (step % 64) * 7;
    int y = 150 + (step % 48) * 5;
    gdi::BitBlt(box.hDC(), x, y, 128, 128, block.hDC(), 0, 0, gdi::SRCCOPY);
    gdi::Rectangle(box.hDC(), x - 1, y - 1, x + 130, y + 130);
    platform::DoEvents();
    ++step;
  }
  gdi::SelectObject(box.hDC(), gdi::Pen::Stock());
  gdi::DeleteObject(pen);
}
BENCHMARK(SelectionStepOnLargePicture)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
