// The main window on large pictures, measured through the real handlers on the
// offscreen platform. Run by hand:
//   bench_window --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// MouseMove/N: one mouse move of a selection over an N-megapixel picture, the
// handler and the repaints it causes, at actual size; MouseMoveAtFit/N the same
// with the whole picture zoomed into the view. The cost should not grow with N.
// WheelStep96Mp: one step of the wheel over a 96-megapixel picture, repaint included.
// ZoomToFit96Mp: from actual size to the whole picture, repaint included.
// RegionMove96Mp: a move with a 4096 x 4096 region shown at 256 x 256 on a
// 96-megapixel picture: the frame, and the region averaged into the preview;
// firstMoveMs the first move, which makes the reduced copy's tiles it needs,
// and max/meanChannelError how far the last preview lay from the click's
// result. RegionSweep96Mp the same, each move over parts not shown before.
// The window sits on a pretended 1920 x 1080 screen.
// Open12Mp vs Djpeg12Mp: opening a 12-megapixel JPEG, from the dialog's answer
// to the window laid out, against libjpeg-turbo's own djpeg decoding the same
// file (djpeg comes with Debian's libjpeg-turbo-progs).
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "app/MapMakerCommands.h"
#include "app/SelectionTool.h"
#include "platform/base/MessageBox.h"
#include "platform/ui/Events.h"
#include "platform/ui/ScreenMetrics.h"

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

// The same picture as an uncompressed 24-bit BMP.
std::string PhotoBmp(int width, int height) {
  std::string path = Folder().filePath(QString("photo-%1x%2.bmp").arg(width).arg(height)).toStdString();
  if (!std::ifstream(path).good())
    QImage(QString::fromStdString(PhotoJpeg(width, height))).save(QString::fromStdString(path), "BMP");
  return path;
}

std::string PhotoOfMegapixels(int megapixels) {
  const int width = 4 * static_cast<int>(std::lround(std::sqrt(megapixels * 1e6 / 12.0)));
  return PhotoJpeg(width, width * 3 / 4);
}

// Moves spread over the whole picture: at fit they land anywhere in it.
// With `snap` the frame keeps to a 16-pixel grid; the user's grid choice is
// put back afterwards.
void MoveOverPicture(benchmark::State& state, bool fit, bool snap = false) {
  Form1 form;
  form.show();
  form.OpenPicture(PhotoOfMegapixels(static_cast<int>(state.range(0))));
  if (fit) form.ZoomToFit();
  const bool snapping = form.MapMaker().Aids().Snapping();
  const int32_t cell = form.MapMaker().Aids().Grid().Cell();
  if (snap) {
    form.MapMaker().Aids().SetGridSize(16);
    if (!snapping) form.MapMaker().ToggleGridSnap();
  }
  // "Make Your Selection" gives the surface a copy of the picture of its own to draw on, once.
  const auto start = std::chrono::steady_clock::now();
  form.Command3->click();
  const auto made = std::chrono::steady_clock::now();
  form.picSource_MouseMove(0, 0, 300, 300);
  platform::DoEvents();
  const auto moved = std::chrono::steady_clock::now();
  state.counters["makeSelectionMs"] = std::chrono::duration<double, std::milli>(made - start).count();
  state.counters["firstMoveMs"] = std::chrono::duration<double, std::milli>(moved - made).count();
  const float width = form.picSource->ScaleWidth();
  const float height = form.picSource->ScaleHeight();
  int step = 0;
  for (auto _ : state) {
    const float x = fit ? width * static_cast<float>((step * 7) % 97) / 97
                        : 200.0f + static_cast<float>((step * 7) % 600);
    const float y = fit ? height * static_cast<float>((step * 5) % 89) / 89
                        : 150.0f + static_cast<float>((step * 5) % 400);
    form.picSource_MouseMove(0, 0, x, y);
    platform::DoEvents();
    ++step;
  }
  form.picSource_Click();
  state.counters["megapixels"] = static_cast<double>(width) * height / 1e6;
  state.counters["zoom"] = form.picSource->Zoom();
  if (snap) {
    form.MapMaker().Aids().SetGridSize(cell);
    if (!snapping) form.MapMaker().ToggleGridSnap();
  }
}

void MouseMove(benchmark::State& state) { MoveOverPicture(state, false); }
BENCHMARK(MouseMove)->Arg(1)->Arg(12)->Arg(48)->Arg(96)->Unit(benchmark::kMicrosecond)->UseRealTime();

void MouseMoveAtFit(benchmark::State& state) { MoveOverPicture(state, true); }
BENCHMARK(MouseMoveAtFit)->Arg(1)->Arg(12)->Arg(48)->Arg(96)->Unit(benchmark::kMicrosecond)->UseRealTime();

void MouseMoveSnapped(benchmark::State& state) { MoveOverPicture(state, false, true); }
BENCHMARK(MouseMoveSnapped)->Arg(1)->Arg(12)->Arg(48)->Arg(96)->Unit(benchmark::kMicrosecond)->UseRealTime();

void WheelStep96Mp(benchmark::State& state) {
  Form1 form;
  form.show();
  form.OpenPicture(PhotoOfMegapixels(96));
  platform::DoEvents();
  const QPointF at(300, 300);
  int step = 0;
  for (auto _ : state) {
    // Down and up in turns, so every step scrolls.
    const int notch = (step++ / 20) % 2 == 0 ? -120 : 120;
    QWheelEvent wheel(at, form.picSource->mapToGlobal(at), QPoint(), QPoint(0, notch), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(form.picSource, &wheel);
    platform::DoEvents();
  }
  state.counters["scrolledTo"] = form.picSource->ScrollPosition().y();
}
BENCHMARK(WheelStep96Mp)->Unit(benchmark::kMicrosecond)->UseRealTime();

void ZoomToFit96Mp(benchmark::State& state) {
  Form1 form;
  form.show();
  form.OpenPicture(PhotoOfMegapixels(96));
  platform::DoEvents();
  for (auto _ : state) {
    form.ZoomToActualSize();
    platform::DoEvents();
    const auto start = std::chrono::steady_clock::now();
    form.ZoomToFit();
    platform::DoEvents();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.counters["zoom"] = form.picSource->Zoom();
}
BENCHMARK(ZoomToFit96Mp)->Unit(benchmark::kMillisecond)->UseManualTime();

// How far the preview shown lies from the result the click fixes, per channel.
void CountPreviewError(benchmark::State& state, Form1& form) {
  const std::unique_ptr<gdi::Bitmap> preview = form.picDest->Image().ShareCopy();
  form.picSource_Click();
  const gdi::Bitmap& result = form.picDest->Image();
  int most = 0;
  double sum = 0;
  for (int y = 0; y < result.Height(); ++y) {
    for (int x = 0; x < 3 * result.Width(); ++x) {
      const int error = std::abs(preview->Row(y)[x] - result.Row(y)[x]);
      most = std::max(most, error);
      sum += error;
    }
  }
  state.counters["maxChannelError"] = most;
  state.counters["meanChannelError"] = sum / (3.0 * result.Width() * result.Height());
}

// A 256 x 256 selection on a 96-megapixel picture with its frame grown to 4096 x 4096.
void StartRegionSelection(benchmark::State& state, Form1& form) {
  form.show();
  form.OpenPicture(PhotoOfMegapixels(96));
  form.txtSelWidth->SetText("256");
  form.txtSelHeight->SetText("256");
  form.Command3->click();
  // 128 eighths of 256 = 4096.
  for (int i = 0; i < 120; ++i) form.Selection().Grow(1);
  const auto start = std::chrono::steady_clock::now();
  form.picSource_MouseMove(0, 0, 5000, 4000);
  platform::DoEvents();
  state.counters["firstMoveMs"] =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Moves in steps of a few pixels through the middle of the picture, where the region is never clamped.
void RegionMove96Mp(benchmark::State& state) {
  Form1 form;
  StartRegionSelection(state, form);
  int step = 0;
  for (auto _ : state) {
    form.picSource_MouseMove(0, 0, 4000.0f + static_cast<float>((step * 7) % 600),
                             3000.0f + static_cast<float>((step * 5) % 400));
    platform::DoEvents();
    ++step;
  }
  CountPreviewError(state, form);
}
BENCHMARK(RegionMove96Mp)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Moves of 16 pixels sweeping across the picture, each one over parts not shown before.
void RegionSweep96Mp(benchmark::State& state) {
  Form1 form;
  StartRegionSelection(state, form);
  const int width = static_cast<int>(form.picSource->ScaleWidth());
  int step = 0;
  for (auto _ : state) {
    const int sweep = 16 * step++;
    const int x = 2048 + sweep % (width - 4096);
    const int y = 2048 + 16 * (sweep / (width - 4096)) % 3000;
    form.picSource_MouseMove(0, 0, static_cast<float>(x), static_cast<float>(y));
    platform::DoEvents();
  }
  CountPreviewError(state, form);
}
BENCHMARK(RegionSweep96Mp)->Unit(benchmark::kMicrosecond)->UseRealTime();

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

void Open12MpBmp(benchmark::State& state) {
  std::string path = PhotoBmp(4000, 3000);
  Form1 form;
  form.show();
  for (auto _ : state) {
    form.OpenPicture(path);
    platform::DoEvents();
  }
}
BENCHMARK(Open12MpBmp)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the BMP open is held against: copying the file.
void Cp12MpBmp(benchmark::State& state) {
  std::string command =
      "cp '" + PhotoBmp(4000, 3000) + "' '" + Folder().filePath("copy.bmp").toStdString() + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
  }
}
BENCHMARK(Cp12MpBmp)->Unit(benchmark::kMillisecond)->UseRealTime();

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
  platform::ScreenMetrics::PretendAvailableArea(QRect(0, 0, 1920, 1080));
  platform::MessageBox::Install([](const std::string& text, int32_t, const std::string&) {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return 1;
  });
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
