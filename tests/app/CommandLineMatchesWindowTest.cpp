#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>

#include <cerrno>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/Form1Fixture.h"
#include "cli/TargaFile.h"
#include "cli/ToolRun.h"
#include "platform/base/AtomicFile.h"

namespace fs = std::filesystem;

namespace {

struct CropCase {
  int pictureWidth, pictureHeight, width, height, x, y;
};

class CommandLineMatchesWindow : public Form1Fixture, public testing::WithParamInterface<CropCase> {};

}  // namespace

// The command line cuts the very block a click in the window fixes for the pointer at the same place.
TEST_P(CommandLineMatchesWindow, SamePictureSamePlaceSamePixels) {
  const CropCase c = GetParam();
  const std::string picture = PatternFile(c.pictureWidth, c.pictureHeight);
  Open(picture);
  form.txtSelWidth->SetText(std::to_string(c.width));
  form.txtSelHeight->SetText(std::to_string(c.height));
  form.Command3->click();
  form.picSource_MouseMove(0, 0, static_cast<float>(c.x), static_cast<float>(c.y));
  form.picSource_Click();
  const gdi::Bitmap& window = form.picDest->Image();

  const std::string out = (dir / "cut.tga").string();
  const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
  const std::string centre = std::to_string(c.x) + "," + std::to_string(c.y);
  ToolRun run = ToolRun::InProcess({"crop", picture, "--size", size, "--center", centre, "-o", out});
  ASSERT_EQ(run.status, 0) << run.err;
  TargaFile tga = TargaFile::Read(out);
  ASSERT_EQ(tga.width, window.Width());
  ASSERT_EQ(tga.height, window.Height());
  for (int y = 0; y < tga.height; ++y)
    for (int x = 0; x < tga.width; ++x)
      ASSERT_EQ(tga.At(x, y), PictureFiles::PixelOf(window, x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Placements, CommandLineMatchesWindow,
                         testing::Values(CropCase{300, 200, 37, 20, 101, 7},
                                         CropCase{100, 80, 160, 96, 50, 40}));

namespace {

struct MiniMapCase {
  const char* name;
  int pictureWidth, pictureHeight, side;
};

class MiniMapMatchesWindow : public Form1Fixture, public testing::WithParamInterface<MiniMapCase> {};

}  // namespace

// The window's fitted region of a JPEG, clicked, is what --exact makes of the
// file read band by band, byte for byte; without it the JPEG is shrunk while
// decoding and the result only comes near.
TEST_P(MiniMapMatchesWindow, ExactIsTheWindowsResult) {
  const MiniMapCase c = GetParam();
  const std::string picture = (dir / "photo.jpg").string();
  PictureFiles::Save(PictureFiles::Pattern(c.pictureWidth, c.pictureHeight), picture, "JPG", 90);
  Open(picture);
  const std::string side = std::to_string(c.side);
  form.txtSelWidth->SetText(side);
  form.txtSelHeight->SetText(side);
  form.Command3->click();
  QKeyEvent fit(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
  QCoreApplication::sendEvent(form.picSource, &fit);
  form.picSource_Click();
  const gdi::Bitmap& window = form.picDest->Image();

  const std::string exact = (dir / "exact.tga").string(), quick = (dir / "quick.tga").string();
  const ToolRun run =
      ToolRun::InProcess({"crop", picture, "--size", side, "--region", "all", "--exact", "-o", exact});
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(ToolRun::InProcess({"crop", picture, "--size", side, "--region", "all", "-o", quick}).status, 0);
  const TargaFile tga = TargaFile::Read(exact), shrunk = TargaFile::Read(quick);
  ASSERT_EQ(tga.width, window.Width());
  ASSERT_EQ(tga.height, window.Height());
  int differing = 0;
  for (int y = 0; y < tga.height; ++y) {
    for (int x = 0; x < tga.width; ++x) {
      ASSERT_EQ(tga.At(x, y), PictureFiles::PixelOf(window, x, y)) << x << "," << y;
      differing += shrunk.At(x, y) != tga.At(x, y);
    }
  }
  EXPECT_GT(differing, 0) << "the quick result should come from a shrunk decode";
}

INSTANTIATE_TEST_SUITE_P(Sizes, MiniMapMatchesWindow,
                         testing::Values(MiniMapCase{"Wide", 1210, 700, 64},
                                         MiniMapCase{"Tall", 500, 903, 50}),
                         [](const testing::TestParamInfo<MiniMapCase>& test) { return test.param.name; });

namespace {

// A failure to write, set up in a folder: the file to write and the words both faces give.
struct WriteFailure {
  const char* name;
  std::function<fs::path(const fs::path& dir, const std::string& extension)> setUp;
  std::function<std::string(const fs::path& dir)> words;
};

const WriteFailure kWriteFailures[] = {
    // A file where the folder should be: the command line can't make it either.
    {"a file where the folder should be",
     [](const fs::path& dir, const std::string& extension) {
       std::ofstream(dir / "blocker") << "x";
       return dir / "blocker" / ("map" + extension);
     },
     [](const fs::path& dir) { return (dir / "blocker").string() + " is a file, not a folder"; }},
    {"read-only file",
     [](const fs::path& dir, const std::string& extension) {
       fs::path path = dir / ("kept" + extension);
       std::ofstream(path) << "old";
       fs::permissions(path, fs::perms::owner_read);
       return path;
     },
     [](const fs::path&) { return std::string("the file is read-only"); }},
    {"disk full",
     [](const fs::path& dir, const std::string& extension) {
       platform::AtomicFile::SetWriteFault(ENOSPC);
       return dir / ("full" + extension);
     },
     [](const fs::path&) { return std::string("the disk is full"); }},
};

class SameFailureSameWords : public Form1Fixture, public testing::WithParamInterface<const char*> {
 protected:
  void TearDown() override {
    platform::AtomicFile::SetWriteFault(0);
    Form1Fixture::TearDown();
  }

  // The second line of the window's message for a save from that button.
  std::string WindowWords(const fs::path& path) {
    messages.Clear();
    messages.Answer(platform::vbYes);
    dialogs.Choose(path.string());
    if (path.extension() == ".tga") {
      form.Command6->click();
    } else {
      form.cmdSave_Click();
    }
    if (messages.Messages().empty()) return "(no message)";
    std::istringstream lines(messages.Messages().back().text);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first, "Failed to save the picture to the file: '" + path.string() + "'");
    return second;
  }
};

}  // namespace

TEST_P(SameFailureSameWords, InTheWindowAndOnTheCommandLine) {
  const std::string picture = PatternFile(40, 30);
  Open(picture);
  form.Command3->click();
  form.picSource_MouseMove(0, 0, 20, 15);
  form.picSource_Click();
  for (const WriteFailure& failure : kWriteFailures) {
    SCOPED_TRACE(failure.name);
    const TempDir window, line;
    const fs::path windowPath = failure.setUp(window.Path(), GetParam());
    EXPECT_EQ(WindowWords(windowPath), failure.words(window.Path()));
    const fs::path linePath = failure.setUp(line.Path(), GetParam());
    ToolRun run =
        ToolRun::InProcess({"crop", picture, "--size", "8", "--origin", "0,0", "-o", linePath.string()});
    platform::AtomicFile::SetWriteFault(0);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "quarvel: " + linePath.string() + ": " + failure.words(line.Path()) + "\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, SameFailureSameWords, testing::Values(".tga", ".jpg"));
