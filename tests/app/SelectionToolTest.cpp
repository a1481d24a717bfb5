#include "app/SelectionTool.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <memory>
#include <optional>

#include "app/SelectionCases.h"
#include "app/SelectionKeys.h"
#include "app/WindowActions.h"
#include "core/GridSnap.h"
#include "core/RegionScaler.h"
#include "platform/ui/Events.h"
#include "support/qt/PictureFiles.h"

namespace {

constexpr QRgb kBackground = qRgb(240, 240, 240);

// The tool over four surfaces of its own, as the window gives it, without the window.
class SelectionToolTest : public ::testing::Test {
 protected:
  SelectionToolTest() {
    for (platform::PictureBox* surface : {&source, &buffer, &dest, &destBuffer}) {
      surface->SetScaleMode(gdi::vbPixels);
    }
    source.SetAutoSize(true);
    buffer.SetAutoSize(true);
  }

  void Load(int width, int height) {
    picture = PictureFiles::PatternPicture(width, height);
    source.SetPicture(picture);
    buffer.SetPicture(picture);
    tool.PictureLoaded({width, height});
  }

  void Begin(int width, int height) {
    tool.SetResultSize(PixelSize{width, height});
    ASSERT_TRUE(tool.Begin());
  }

  void MoveTo(float x, float y) {
    tool.MoveTo(static_cast<int32_t>(std::nearbyint(x)), static_cast<int32_t>(std::nearbyint(y)));
  }

  // The result shows the block at (left, top), the background where it leaves the picture.
  void ExpectBlockAt(const gdi::Bitmap& shown, int left, int top, int width, int height) {
    ASSERT_EQ(shown.Width(), width);
    ASSERT_EQ(shown.Height(), height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool inside =
            left + x >= 0 && left + x < picture->Width() && top + y >= 0 && top + y < picture->Height();
        ASSERT_EQ(PictureFiles::PixelOf(shown, x, y),
                  inside ? PictureFiles::PatternPixel(left + x, top + y) : kBackground)
            << x << "," << y;
      }
    }
  }

  static bool SamePixels(const gdi::Bitmap& a, const gdi::Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x)
        if (PictureFiles::PixelOf(a, x, y) != PictureFiles::PixelOf(b, x, y)) return false;
    return true;
  }

  QWidget window;
  platform::PictureBox source{&window}, buffer{&window}, dest{&window}, destBuffer{&window};
  SelectionTool tool{{source, buffer, dest, destBuffer}, {}};
  gdi::PicturePtr picture;
};

}  // namespace

TEST_F(SelectionToolTest, ThePointerPlacesTheSelectionInPicturePixels) {
  for (const PlacementCase& c : kPlacements) {
    SCOPED_TRACE(c.name);
    Load(c.pictureWidth, c.pictureHeight);
    Begin(c.width, c.height);
    MoveTo(c.x, c.y);
    ASSERT_TRUE(tool.Selection());
    EXPECT_EQ(*tool.Selection(), (gdi::Rect{c.left, c.top, c.left + c.width, c.top + c.height}));
    const PixelSize fixed = tool.Fix();
    EXPECT_EQ(fixed, (PixelSize{c.width, c.height}));
    ExpectBlockAt(dest.Image(), c.left, c.top, c.width, c.height);
    EXPECT_TRUE(SamePixels(source.Image(), buffer.Image())) << "a frame was left on the picture";
  }
}

TEST_F(SelectionToolTest, NudgesMoveTheSelectionAndStopAtTheEdges) {
  Load(300, 200);
  for (const NudgeRun& run : kNudgeRuns) {
    Begin(128, 128);
    MoveTo(run.x, run.y);
    for (const NudgeStep& step : run.steps) {
      const int tile = step.modifiers & Qt::ShiftModifier ? SelectionKeys::kTile : 1;
      const int dx = step.key == Qt::Key_Left ? -tile : step.key == Qt::Key_Right ? tile : 0;
      const int dy = step.key == Qt::Key_Up ? -tile : step.key == Qt::Key_Down ? tile : 0;
      tool.Nudge(dx, dy);
      SCOPED_TRACE(std::to_string(step.left) + "," + std::to_string(step.top));
      EXPECT_EQ(*tool.Selection(), (gdi::Rect{step.left, step.top, step.left + 128, step.top + 128}));
      ExpectBlockAt(dest.Image(), step.left, step.top, 128, 128);
    }
    tool.Fix();
  }
}

namespace {

enum class RegionKey { Grow, Shrink, OneToOne, Whole };

struct RegionSequence {
  const char* name;
  std::vector<std::pair<RegionKey, int>> keys;
  // In a 1200 x 900 picture, a 128 x 128 result, after a move to its centre.
  gdi::Rect selection;
};

// Regions over the reduced copies' limit are previewed roughly; the last ones
// here go back to a plain block, which the click must fix as shown.
const RegionSequence kRegionSequences[] = {
    {"Whole", {{RegionKey::Whole, 1}}, {150, 0, 1050, 900}},
    {"WholeThenShrunk", {{RegionKey::Whole, 1}, {RegionKey::Shrink, 1}}, {160, 10, 1040, 890}},
    {"Grown", {{RegionKey::Grow, 8}}, {472, 322, 728, 578}},
    {"ShrinkStopsAtTheResult", {{RegionKey::Grow, 2}, {RegionKey::Shrink, 5}}, {536, 386, 664, 514}},
    {"WholeThenOneToOne", {{RegionKey::Whole, 1}, {RegionKey::OneToOne, 1}}, {536, 386, 664, 514}},
    {"GrownLargeThenOneToOne", {{RegionKey::Grow, 48}, {RegionKey::OneToOne, 1}}, {536, 386, 664, 514}},
    // 912 rows, taller than the picture, start at row -12: the block goes back around row 444.
    {"WholeGrownThenOneToOne",
     {{RegionKey::Whole, 1}, {RegionKey::Grow, 1}, {RegionKey::OneToOne, 1}},
     {536, 380, 664, 508}},
};

}  // namespace

TEST_F(SelectionToolTest, TheClickFixesTheRegionShownAfterAnyKeys) {
  Load(1200, 900);
  for (const RegionSequence& c : kRegionSequences) {
    SCOPED_TRACE(c.name);
    Begin(128, 128);
    MoveTo(600, 450);
    for (auto [key, times] : c.keys) {
      for (int i = 0; i < times; ++i) {
        if (key == RegionKey::Whole) tool.FitWholePicture();
        if (key == RegionKey::Grow || key == RegionKey::Shrink || key == RegionKey::OneToOne)
          tool.Grow(key == RegionKey::Grow ? 1 : key == RegionKey::Shrink ? -1 : 0);
      }
    }
    ASSERT_EQ(*tool.Selection(), c.selection);
    const std::unique_ptr<gdi::Bitmap> shown = dest.Image().ShareCopy();
    tool.Fix();
    const gdi::Rect& r = c.selection;
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width == 128) {
      EXPECT_TRUE(SamePixels(*shown, dest.Image())) << "the click fixed something else than was shown";
      ExpectBlockAt(dest.Image(), r.left, r.top, 128, 128);
    } else {
      auto exact = RegionScaler::ScaleRegion(*picture, {r.left, r.top}, {false, width, height}, 128, 128);
      EXPECT_TRUE(SamePixels(exact->Image(), dest.Image()));
    }
  }
}

TEST_F(SelectionToolTest, ALoadEndsASelectionBegunBeforeAnyPictureOrOnAnother) {
  const struct {
    const char* name;
    bool pictureFirst;
  } cases[] = {{"NoPicture", false}, {"AnotherPicture", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SelectionTool fresh{{source, buffer, dest, destBuffer}, {}};
    if (c.pictureFirst) {
      source.SetPicture(PictureFiles::PatternPicture(50, 40));
      buffer.SetPicture(source.Picture());
      fresh.PictureLoaded({50, 40});
    }
    fresh.SetResultSize(PixelSize{32, 32});
    ASSERT_TRUE(fresh.Begin());
    fresh.MoveTo(20, 20);
    picture = PictureFiles::PatternPicture(300, 200);
    source.SetPicture(picture);
    buffer.SetPicture(picture);
    fresh.PictureLoaded({300, 200});
    EXPECT_FALSE(fresh.Selecting());
    EXPECT_FALSE(fresh.Selection());
    fresh.MoveTo(150, 100);
    EXPECT_FALSE(fresh.Selection()) << "moves after the load are ignored until a new selection";
    ASSERT_TRUE(fresh.Begin());
    fresh.MoveTo(150, 100);
    fresh.Fix();
    ExpectBlockAt(dest.Image(), 134, 84, 32, 32);
  }
}

TEST_F(SelectionToolTest, NoSelectionBeginsWithoutAUsableSize) {
  Load(300, 200);
  tool.SetResultSize(std::nullopt);
  EXPECT_FALSE(tool.Begin());
  EXPECT_FALSE(tool.Selecting());
  tool.SetResultSize(PixelSize{64, 48});
  EXPECT_TRUE(tool.Begin());
  EXPECT_FALSE(tool.Begin()) << "one selection at a time";
  EXPECT_EQ(dest.ScaleWidth(), 64);
  EXPECT_EQ(dest.ScaleHeight(), 48);
}

TEST(WindowActionsTest, CommandsFollowTheState) {
  const struct {
    CommandState state;
    EnabledActions expected;
  } cases[] = {
      // At start only the commands that need nothing.
      {{}, {}},
      {{.fileOpened = true, .pictureLoaded = true}, {.refresh = true, .resize = true, .zoom = true}},
      // A selection under way: no second one, a way out, the frame's own keys,
      // and nothing that would take the preview for the result.
      {{.fileOpened = true, .pictureLoaded = true, .selecting = true},
       {.refresh = true,
        .makeSelection = false,
        .cancelSelection = true,
        .resize = true,
        .frameKeys = true,
        .zoom = true}},
      {{.fileOpened = true, .pictureLoaded = true, .resultMade = true},
       {.refresh = true, .saveJpeg = true, .resize = true, .saveAsAndCopy = true, .zoom = true}},
      // A new selection over a fixed result: the result is no longer the one to copy.
      {{.fileOpened = true, .pictureLoaded = true, .selecting = true, .resultMade = true},
       {.refresh = true,
        .makeSelection = false,
        .cancelSelection = true,
        .saveJpeg = true,
        .resize = true,
        .frameKeys = true,
        .zoom = true}},
      // "Make Your Selection" before any picture.
      {{.selecting = true}, {.makeSelection = false, .cancelSelection = true, .frameKeys = true}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const EnabledActions actions = ActionsFor(cases[i].state);
    EXPECT_TRUE(actions.open);
    EXPECT_TRUE(actions.save);
    EXPECT_TRUE(actions.paste);
    EXPECT_TRUE(actions.sizes);
    EXPECT_EQ(actions, cases[i].expected);
  }
}

namespace {

struct GridLinesCase {
  const char* name;
  double zoom;
  bool snapping;
  bool lines;
};

const GridLinesCase kGridLinesCases[] = {
    {"actual size", 1.0, true, true}, {"200 %", 2.0, true, true},          {"150 %", 1.5, true, true},
    {"zoomed out", 0.5, true, false}, {"snapping off", 2.0, false, false},
};

}  // namespace

// What the window shows after the frame moved, through its backing store, so
// a line left behind or not drawn again where the frame went would show.
TEST_F(SelectionToolTest, FaintGridLinesLieUnderTheFrameOnTheGridFrom100PercentOn) {
  constexpr QRgb kGrey = qRgb(128, 128, 128);
  constexpr int kCell = 16;
  for (platform::PictureBox* hidden : {&buffer, &dest, &destBuffer}) hidden->hide();
  window.resize(420, 340);
  window.show();
  for (const GridLinesCase& c : kGridLinesCases) {
    SCOPED_TRACE(c.name);
    auto plain = gdi::Bitmap::Create(200, 160, false);
    plain->Fill(gdi::RGB(128, 128, 128));
    picture = std::make_shared<const gdi::Picture>(std::move(plain));
    source.SetPicture(picture);
    buffer.SetPicture(picture);
    tool.PictureLoaded({200, 160});
    source.SetZoom(c.zoom, QPointF());
    tool.SetGrid(c.snapping ? std::optional(GridSnap(kCell)) : std::nullopt);
    Begin(32, 32);
    // Each move shown before the next, as the window's drawing of the frame lets it be.
    const auto shown = [] {
      for (int i = 0; i < 3; ++i) platform::DoEvents();
    };
    MoveTo(150, 120);
    shown();
    MoveTo(90, 75);
    shown();
    tool.Nudge(1, 0);
    shown();
    const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
    ASSERT_GE(screen.width(), source.width());
    const QRgb frameColour = PictureFiles::PixelOf(source.Image(), 95, 70);
    if (!c.lines) {
      // Drawn afresh without any grid, the picture looks the same.
      source.SetGrid(std::nullopt);
      const QImage plainShown = source.grab().toImage();
      for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
          ASSERT_EQ(screen.pixel(x, y) | 0xFF000000u, plainShown.pixel(x, y) | 0xFF000000u) << x << "," << y;
      tool.Cancel();
      continue;
    }
    ASSERT_EQ(*tool.Selection(), (gdi::Rect{96, 64, 128, 96}));
    // Lines every cell over the whole 200 x 160 picture, each on the first
    // screen pixel of its picture pixel.
    const auto screenOf = [&](int pixel) { return static_cast<int>(std::ceil(pixel * c.zoom - 0.5)); };
    const auto pictureOf = [&](int view) { return static_cast<int>(std::floor((view + 0.5) / c.zoom)); };
    const auto onLine = [&](int view, int first, int last) {
      for (int p = first; p <= last; p += kCell)
        if (view == screenOf(p)) return true;
      return false;
    };
    for (int y = 0; y < source.height(); ++y) {
      for (int x = 0; x < source.width(); ++x) {
        const int px = pictureOf(x), py = pictureOf(y);
        // The outline: columns 95 and 129, rows 63 and 97.
        const bool frame = ((px == 95 || px == 129) && py >= 63 && py <= 97) ||
                           ((py == 63 || py == 97) && px >= 95 && px <= 129);
        const bool line = onLine(x, 0, 192) || onLine(y, 0, 144);
        const QRgb pixel = screen.pixel(x, y) | 0xFF000000u;
        if (frame) {
          ASSERT_EQ(pixel, frameColour) << "a line over the frame at " << x << "," << y;
        } else if (line) {
          ASSERT_NE(pixel, kGrey) << "no line at " << x << "," << y;
        } else {
          ASSERT_EQ(pixel, kGrey) << x << "," << y;
        }
      }
    }
    tool.Cancel();
    EXPECT_FALSE(source.GridShown()) << "the lines outlast the selection";
  }
}
