#include <gtest/gtest.h>

#include <filesystem>

#include "cli/TargaFile.h"
#include "cli/TestPictures.h"
#include "cli/ToolRun.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

// The installed program itself, started without any display.

namespace {

struct BinaryCase {
  std::vector<std::string> args;
  int status;
  // What standard output begins with, and standard error in full.
  std::string outStart;
  std::string err;
};

class CommandLineBinary : public testing::TestWithParam<BinaryCase> {};

const std::string kSeeHelp = "; see quarvel --help\n";

}  // namespace

TEST_P(CommandLineBinary, AnswersWithoutAWindow) {
  TempDir dir;
  TestPictures::Save(TestPictures::Pattern(64, 48), dir / "p.png", "PNG");
  const BinaryCase& c = GetParam();
  ToolRun run = ToolRun::Binary(c.args, dir.Path());
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_EQ(run.out.rfind(c.outStart, 0), 0u) << run.out;
  EXPECT_EQ(run.err, c.err);
  if (c.outStart.empty()) {
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CommandLineBinary,
    testing::Values(
        BinaryCase{{"--help"}, 0, "Usage:\n  quarvel [PICTURE]\n  quarvel crop PICTURE...", ""},
        BinaryCase{{"--version"}, 0, std::string("quarvel ") + QUARVEL_VERSION + "\n", ""},
        BinaryCase{{"-V"}, 0, std::string("quarvel ") + QUARVEL_VERSION + "\n", ""},
        BinaryCase{{"frobnicate", "p.png"},
                   2,
                   "",
                   "quarvel: unknown command \"frobnicate\" (the window opens one picture only)" + kSeeHelp},
        BinaryCase{{"--frobnicate"}, 2, "", "quarvel: unknown option \"--frobnicate\"" + kSeeHelp},
        BinaryCase{
            {"p.png", "--size=8"}, 2, "", "quarvel: --size goes after a command, crop or resize" + kSeeHelp},
        BinaryCase{
            {"crop", "p.png", "--size", "0x8", "--center", "1,1"},
            2,
            "",
            "quarvel: bad size \"0x8\" for --size: WxH, or N for N x N, in whole pixels from 1 to 32767, "
            "such as 256x256 or 256\n"},
        BinaryCase{
            {"resize", "p.png", "640x100", "--keep-proportions", "-o", "x.tga"},
            2,
            "",
            "quarvel: --keep-proportions works out the height itself: give the width alone, such as 640, "
            "not \"640x100\"\n"}));

// No display at all, and one named that no server answers.
TEST(QuarvelBinary, TheWindowWithoutADesktopSaysSoInOneLineAndStatusOne) {
  TempDir dir;
  for (const std::string display : {"", ":97"}) {
    ToolRun run = ToolRun::Binary({}, dir.Path(), display);
    EXPECT_EQ(run.status, 1) << display;
    EXPECT_EQ(run.err,
              "quarvel: the window needs a desktop session, and none was found; "
              "the command line works without one: quarvel --help\n")
        << display;
  }
}

TEST(QuarvelBinary, ASingleNumberCutsASquare) {
  TempDir dir;
  TestPictures::Save(TestPictures::Pattern(64, 48), dir / "p.png", "PNG");
  ToolRun run =
      ToolRun::Binary({"crop", "p.png", "--size", "20", "--origin", "3,4", "-o", "sq.tga"}, dir.Path());
  ASSERT_EQ(run.status, 0) << run.err;
  TargaFile tga = TargaFile::Read(dir / "sq.tga");
  EXPECT_EQ(tga.width, 20);
  EXPECT_EQ(tga.height, 20);
  EXPECT_EQ(tga.At(19, 19), TestPictures::PatternPixel(22, 23));
}

TEST(QuarvelBinary, AFailedPictureGivesStatusOneAndTheOthersAreWritten) {
  TempDir dir;
  TestPictures::Save(TestPictures::Pattern(64, 48), dir / "good.png", "PNG");
  const std::string missing = (dir / "missing.gif").string();
  ToolRun run = ToolRun::Binary({"crop", missing, (dir / "good.png").string(), "--size", "16x16", "--center",
                                 "63,0", "--out-dir", (dir / "out").string()},
                                dir.Path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quarvel: " + missing + ": not found\n");
  TargaFile tga = TargaFile::Read(dir / "out" / "good.tga");
  EXPECT_EQ(tga.At(0, 0), TestPictures::PatternPixel(48, 0));
  EXPECT_EQ(tga.At(15, 15), TestPictures::PatternPixel(63, 15));
}

namespace {

struct ProgressCase {
  bool terminal;
  bool quiet;
  bool counted;
};

class CommandLineProgress : public testing::TestWithParam<ProgressCase> {};

}  // namespace

TEST_P(CommandLineProgress, CountsABatchOnATerminalOnly) {
  TempDir dir;
  for (const char* name : {"a.png", "c.png"})
    TestPictures::Save(TestPictures::Pattern(30, 20), dir / name, "PNG");
  std::vector<std::string> args = {"crop", "a.png", "missing.png", "c.png", "--size", "8", "--origin", "0,0"};
  if (GetParam().quiet) args.push_back("-q");
  ToolRun run =
      GetParam().terminal ? ToolRun::OnTerminal(args, dir.Path()) : ToolRun::Binary(args, dir.Path());
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(std::filesystem::exists(dir / "c.tga"));
  // A terminal ends each line with a carriage return and a line feed.
  const std::string end = GetParam().terminal ? "\r\n" : "\n";
  const std::string failure = "quarvel: missing.png: not found";
  if (!GetParam().counted) {
    EXPECT_EQ(run.err, failure + end);
    return;
  }
  // The counter starts at nothing, steps aside for the failure and ends on the final count.
  EXPECT_TRUE(run.err.starts_with("\rquarvel: 0 of 3 done, 0 failed\r")) << run.err;
  EXPECT_NE(run.err.find("\r" + failure + end), std::string::npos) << run.err;
  EXPECT_TRUE(run.err.ends_with("\rquarvel: 3 of 3 done, 1 failed" + end)) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Streams, CommandLineProgress,
                         testing::Values(ProgressCase{true, false, true}, ProgressCase{true, true, false},
                                         ProgressCase{false, false, false}));

namespace {

struct LoadCase {
  const char* name;
  // A picture of this kind, made by Pillow from sys.argv[1].
  const char* picture;
  // Whether the toolkit's module must come in to read it.
  bool loadsToolkit;
};

class CommandLineLoads : public testing::TestWithParam<LoadCase> {};

}  // namespace

// The dynamic loader names every library it loads: a PNG, read by the
// program's own reader, brings in no Qt library; a kind only Qt reads does,
// which shows the check can see one.
TEST_P(CommandLineLoads, TheToolkitOnlyForAKindNoReaderOfOursTakes) {
  TempDir dir;
  const LoadCase& c = GetParam();
  ASSERT_TRUE(PillowImage::Run("Image.new('RGB', (40, 30), (9, 99, 199)).save(sys.argv[1])\n",
                               {(dir / c.picture).string()}));
  const ToolRun run = ToolRun::Shell("LD_DEBUG=files " + ToolRun::ShellQuoted(QUARVEL_BINARY) + " crop " +
                                         c.picture + " --size 16 --origin 0,0 -o cut.png",
                                     dir.Path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("libQt6") != std::string::npos, c.loadsToolkit) << run.err.substr(0, 2000);
  EXPECT_EQ(run.err.find("quarvel-window") != std::string::npos, c.loadsToolkit);
  const TestImage cut = TestImage::Read(dir / "cut.png");
  ASSERT_EQ(cut.Width(), 16);
  EXPECT_EQ(cut.Pixel(15, 15), MakeRgb(9, 99, 199));
}

INSTANTIATE_TEST_SUITE_P(Kinds, CommandLineLoads,
                         testing::Values(LoadCase{"Png", "p.png", false}, LoadCase{"Bmp", "p.bmp", false},
                                         LoadCase{"Ppm", "p.ppm", true}),
                         [](const auto& p) { return std::string(p.param.name); });
