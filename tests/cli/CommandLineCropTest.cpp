#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "cli/TargaFile.h"
#include "cli/TestPictures.h"
#include "cli/ToolRun.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;

namespace {

// Where the window's surfaces show no picture.
const Rgb kBackground = MakeRgb(240, 240, 240);

class CommandLineCrop : public testing::Test {
 protected:
  // A lossless picture of the test pattern.
  std::string Pattern(const std::string& name, int width, int height) {
    const fs::path path = dir / name;
    TestPictures::Save(TestPictures::Pattern(width, height), path, name.ends_with(".bmp") ? "BMP" : "PNG");
    return path.string();
  }

  std::string Out(const std::string& name) const { return (dir / name).string(); }

  // Every pixel of the block is the pattern's pixel at (left + x, top + y),
  // or the background where that lies outside the picture.
  static void ExpectBlock(const TargaFile& tga, int left, int top, int pictureWidth, int pictureHeight) {
    int wrong = 0;
    for (int y = 0; y < tga.height; ++y) {
      for (int x = 0; x < tga.width; ++x) {
        const int px = left + x, py = top + y;
        const bool inside = px >= 0 && py >= 0 && px < pictureWidth && py < pictureHeight;
        const Rgb expected = inside ? TestPictures::PatternPixel(px, py) : kBackground;
        if (tga.At(x, y) != expected && ++wrong <= 3) {
          ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << tga.At(x, y) << ", expected "
                        << expected;
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }

  TempDir dir;
};

}  // namespace

TEST_F(CommandLineCrop, OriginPutsTheBlocksCornerOnThePixel) {
  const std::string picture = Pattern("p.png", 60, 40);
  ToolRun run =
      ToolRun::InProcess({"crop", picture, "--size", "16x8", "--origin", "21,13", "-o", Out("o.tga")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty());
  TargaFile tga = TargaFile::Read(Out("o.tga"));
  EXPECT_EQ(tga.type, 2);
  EXPECT_EQ(tga.width, 16);
  EXPECT_EQ(tga.height, 8);
  EXPECT_EQ(fs::file_size(Out("o.tga")), 18u + 3 * 16 * 8);
  ExpectBlock(tga, 21, 13, 60, 40);
}

TEST_F(CommandLineCrop, CenterPlacesTheBlockAsTheWindowDoesForThePointer) {
  const std::string picture = Pattern("p.bmp", 300, 200);
  // Odd sizes centre on the pointer; even ones reach one pixel further up and left.
  ASSERT_EQ(ToolRun::InProcess({"crop", picture, "--size", "17x10", "--center", "100,50", "-o", Out("a.tga")})
                .status,
            0);
  ExpectBlock(TargaFile::Read(Out("a.tga")), 92, 45, 300, 200);
  // At the edges the block stays inside: from the first pixel, and ending on the last.
  ASSERT_EQ(ToolRun::InProcess({"crop", picture, "--size", "128x128", "--center", "0,0", "-o", Out("b.tga")})
                .status,
            0);
  ExpectBlock(TargaFile::Read(Out("b.tga")), 0, 0, 300, 200);
  ASSERT_EQ(
      ToolRun::InProcess({"crop", picture, "--size", "128x128", "--center", "299,199", "-o", Out("c.tga")})
          .status,
      0);
  ExpectBlock(TargaFile::Read(Out("c.tga")), 172, 72, 300, 200);
  // A pointer outside whose block still touches the picture is clamped the same way.
  ASSERT_EQ(
      ToolRun::InProcess({"crop", picture, "--size", "64x32", "--center", "-31,215", "-o", Out("d.tga")})
          .status,
      0);
  ExpectBlock(TargaFile::Read(Out("d.tga")), 0, 168, 300, 200);
}

TEST_F(CommandLineCrop, ABlockLargerThanThePictureIsBackgroundAroundIt) {
  const std::string picture = Pattern("small.png", 100, 50);
  // The far-edge clamp wins, so the block starts 28 and 14 pixels before the picture.
  ToolRun run =
      ToolRun::InProcess({"crop", picture, "--size", "128x64", "--center", "50,25", "-o", Out("o.tga")});
  ASSERT_EQ(run.status, 0) << run.err;
  TargaFile tga = TargaFile::Read(Out("o.tga"));
  ExpectBlock(tga, -28, -14, 100, 50);
  EXPECT_EQ(tga.At(0, 0), kBackground);
  EXPECT_EQ(tga.At(127, 63), TestPictures::PatternPixel(99, 49));

  ToolRun origin =
      ToolRun::InProcess({"crop", picture, "--size", "20x20", "--origin", "90,-5", "-o", Out("e.tga")});
  ASSERT_EQ(origin.status, 0) << origin.err;
  ExpectBlock(TargaFile::Read(Out("e.tga")), 90, -5, 100, 50);
}

TEST_F(CommandLineCrop, RunLengthEncodedOutputHoldsTheSamePixels) {
  const std::string picture = Pattern("p.png", 80, 60);
  ASSERT_EQ(
      ToolRun::InProcess({"crop", picture, "--size", "33x20", "--origin", "5,7", "--rle", "-o", Out("r.tga")})
          .status,
      0);
  TargaFile tga = TargaFile::Read(Out("r.tga"));
  EXPECT_EQ(tga.type, 10);
  ExpectBlock(tga, 5, 7, 80, 60);
  // Background runs compress: a block mostly outside the picture is small.
  ASSERT_EQ(ToolRun::InProcess(
                {"crop", picture, "--size", "256x256", "--origin", "79,59", "--rle", "-o", Out("s.tga")})
                .status,
            0);
  EXPECT_LT(fs::file_size(Out("s.tga")), 18u + 3 * 256 * 256 / 10);
  ExpectBlock(TargaFile::Read(Out("s.tga")), 79, 59, 80, 60);
}

TEST_F(CommandLineCrop, JpegOutputIsReadableWithThePicturesPixelsAtItsQuality) {
  // Smooth, so JPEG keeps it close.
  TestImage smooth(200, 120);
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 200; ++x) smooth.SetPixel(x, y, MakeRgb(x, 2 * y, 100));
  }
  TestPictures::Save(smooth, dir / "smooth.png", "PNG");
  const std::string picture = (dir / "smooth.png").string();
  for (const char* quality : {"95", "10"}) {
    const std::string out = Out(std::string("q") + quality + ".JPG");
    ToolRun run = ToolRun::InProcess(
        {"crop", picture, "--size", "64x48", "--origin", "120,40", "-o", out, "--quality", quality});
    ASSERT_EQ(run.status, 0) << run.err;
  }
  const TestImage best = TestImage::Read(Out("q95.JPG"));
  ASSERT_FALSE(best.Null());
  EXPECT_EQ(best.Width(), 64);
  EXPECT_EQ(best.Height(), 48);
  long long error = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      Rgb got = best.Pixel(x, y), want = smooth.Pixel(120 + x, 40 + y);
      error += std::abs(RedOf(got) - RedOf(want)) + std::abs(GreenOf(got) - GreenOf(want)) +
               std::abs(BlueOf(got) - BlueOf(want));
    }
  }
  EXPECT_LT(static_cast<double>(error) / (64 * 48 * 3), 3.0);
  EXPECT_GT(fs::file_size(Out("q95.JPG")), fs::file_size(Out("q10.JPG")));
}

// A batch into a folder names its outputs with the --format's extension, and
// a PNG holds the block's pixels exactly.
TEST_F(CommandLineCrop, AFolderOfPngsHoldsEachBlockExactly) {
  const std::string first = Pattern("first.bmp", 40, 30);
  const std::string second = Pattern("second.png", 50, 20);
  ToolRun run = ToolRun::InProcess({"crop", first, second, "--size", "9x7", "--origin", "3,4", "--out-dir",
                                    Out("minis"), "--format", "png"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* name : {"first.png", "second.png"}) {
    const TestImage block = TestImage::Read(Out("minis/") + name);
    ASSERT_EQ(block.Width(), 9) << name;
    ASSERT_EQ(block.Height(), 7) << name;
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 9; ++x)
        ASSERT_EQ(block.Pixel(x, y), TestPictures::PatternPixel(3 + x, 4 + y)) << name;
    }
  }
  EXPECT_FALSE(fs::exists(Out("minis/first.tga")));
}

TEST_F(CommandLineCrop, GifPicturesAreCutToo) {
  const std::vector<Rgb> palette = {MakeRgb(255, 0, 0), MakeRgb(0, 255, 0), MakeRgb(0, 0, 255),
                                    MakeRgb(9, 9, 9)};
  std::vector<uint8_t> indices(6 * 4);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>((i % 6 + i / 6) % 4);
  TestPictures::WriteGif(dir / "p.gif", 6, 4, palette, indices);
  ASSERT_EQ(ToolRun::InProcess({"crop", (dir / "p.gif").string(), "--size", "3x2", "--origin", "2,1",
                                "--out-dir", dir.Path().string()})
                .status,
            0);
  TargaFile tga = TargaFile::Read(dir / "p.tga");
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(tga.At(x, y), palette[indices[(1 + y) * 6 + 2 + x]]) << x << "," << y;
  }
}

TEST_F(CommandLineCrop, ABatchReportsEachBadPictureAndWritesTheRest) {
  const std::string first = Pattern("first.png", 40, 30);
  const std::string second = Pattern("second.bmp", 50, 20);
  const std::string locked = Pattern("locked.png", 40, 30);
  const std::string broken = (dir / "broken.jpg").string();
  TestPictures::WriteBytes(broken, std::string("this is no picture at all"));
  const std::string missing = (dir / "missing.jpg").string();
  const std::string outDir = Out("made/here");
  fs::create_directories(outDir);
  TestPictures::WriteBytes(outDir + "/locked.tga", std::string("old"));
  fs::permissions(outDir + "/locked.tga", fs::perms::owner_read);
  ToolRun run = ToolRun::InProcess({"crop", missing, first, broken, locked, second, "--size", "8x8",
                                    "--center", "20,10", "--out-dir", outDir});
  EXPECT_EQ(run.status, 1);
  const std::vector<std::string> lines = run.ErrorLines();
  ASSERT_EQ(lines.size(), 3u) << run.err;
  EXPECT_EQ(lines[0], "quarvel: " + missing + ": not found");
  EXPECT_EQ(lines[1], "quarvel: " + broken + ": not a picture this program reads");
  EXPECT_EQ(lines[2], "quarvel: " + outDir + "/locked.tga: the file is read-only");
  ExpectBlock(TargaFile::Read(outDir + "/first.tga"), 16, 6, 40, 30);
  ExpectBlock(TargaFile::Read(outDir + "/second.tga"), 16, 6, 50, 20);
  // Nothing else, no leftovers of the failed ones, and the locked file as it was.
  std::vector<std::string> written;
  for (const auto& entry : fs::directory_iterator(outDir))
    written.push_back(entry.path().filename().string());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{"first.tga", "locked.tga", "second.tga"}));
  EXPECT_EQ(fs::file_size(outDir + "/locked.tga"), 3u);
}

TEST_F(CommandLineCrop, TwoWorkersGiveEveryPictureItsOwnBlock) {
  std::vector<std::string> args = {"crop"};
  for (int i = 0; i < 8; ++i)
    args.push_back(Pattern("p" + std::to_string(i) + ".png", 30 + 7 * i, 20 + 3 * i));
  for (const char* option : {"--size", "12x9", "--center", "25,15", "--out-dir"}) args.push_back(option);
  args.push_back(Out("batch"));
  ToolRun run = ToolRun::InProcess(args);
  ASSERT_EQ(run.status, 0) << run.err;
  for (int i = 0; i < 8; ++i) {
    const int width = 30 + 7 * i, height = 20 + 3 * i;
    const int left = std::min(25 - 6, width - 12), top = std::min(15 - 4, height - 9);
    ExpectBlock(TargaFile::Read(Out("batch/p" + std::to_string(i) + ".tga")), left, top, width, height);
  }
}

TEST_F(CommandLineCrop, MissingFoldersOnTheWayToTheOutputAreMadeForEitherOption) {
  const std::string picture = Pattern("p.png", 20, 20);
  const std::vector<std::vector<std::string>> outputs = {
      {"-o", Out("a/b/x.tga")}, {"--output", Out("c/x.jpg")}, {"--out-dir", Out("d/e")}};
  for (const auto& output : outputs) {
    std::vector<std::string> args = {"crop", picture, "--size", "4", "--origin", "0,0"};
    args.insert(args.end(), output.begin(), output.end());
    ToolRun run = ToolRun::InProcess(args);
    EXPECT_EQ(run.status, 0) << run.err;
  }
  ExpectBlock(TargaFile::Read(Out("a/b/x.tga")), 0, 0, 20, 20);
  EXPECT_TRUE(fs::is_regular_file(Out("c/x.jpg")));
  ExpectBlock(TargaFile::Read(Out("d/e/p.tga")), 0, 0, 20, 20);
}

// Output folders are made with the first output: a run whose every picture
// fails leaves none of those it would have made.
TEST_F(CommandLineCrop, ARunThatWritesNothingMakesNoFolder) {
  const std::string picture = Pattern("p.png", 20, 20);
  TestPictures::WriteBytes(dir / "cut.png", TestPictures::ReadBytes(picture).substr(0, 60));
  TestPictures::WriteBytes(dir / "jobs.jsonl", std::string(R"({"input": ")") + Out("gone.png") +
                                                   R"(", "out-dir": ")" + Out("listed/deep") + "\"}\n");
  struct Case {
    std::vector<std::string> args;
    const char* made;  // the folder it would have made
    const char* origin = "0,0";
  };
  const Case cases[] = {
      {{Out("gone.png"), "--out-dir", Out("missing/deep")}, "missing"},
      {{Out("cut.png"), "-o", Out("damaged/x.tga")}, "damaged"},
      {{Out("cut.png"), Out("gone.png"), "--out-dir", Out("both")}, "both"},
      {{picture, "--out-dir", Out("outside")}, "outside", "30,30"},
      {{picture, "--memory", "1k", "-o", Out("budget/x.tga")}, "budget"},
      {{"--from", Out("jobs.jsonl")}, "listed"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"crop", "--size", "4", "--origin", c.origin};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolRun run = ToolRun::InProcess(args);
    EXPECT_EQ(run.status, 1) << c.made << ": " << run.err;
    EXPECT_FALSE(fs::exists(Out(c.made))) << c.made;
  }
  // The same folders once a picture is read.
  ToolRun good = ToolRun::InProcess(
      {"crop", Out("cut.png"), picture, "--size", "4", "--origin", "0,0", "--out-dir", Out("both")});
  EXPECT_EQ(good.status, 1);
  EXPECT_TRUE(fs::exists(Out("both/p.tga")));
}

TEST_F(CommandLineCrop, AnOutputFolderThatIsAFileFailsEveryPictureInOneLine) {
  const std::string picture = Pattern("p.png", 20, 20);
  TestPictures::WriteBytes(dir / "plain", std::string("x"));
  const std::vector<std::vector<std::string>> outputs = {{"--out-dir", Out("plain")},
                                                         {"-o", Out("plain/x.tga")}};
  for (const auto& output : outputs) {
    std::vector<std::string> args = {"crop", picture, "--size", "4x4", "--origin", "0,0"};
    if (output[0] == "--out-dir") args.push_back(Pattern("q.png", 20, 20));
    args.insert(args.end(), output.begin(), output.end());
    ToolRun run = ToolRun::InProcess(args);
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.ErrorLines().size(), 1u) << run.err;
    EXPECT_EQ(run.ErrorLines()[0],
              "quarvel: " + output[1] + ": " + Out("plain") + " is a file, not a folder");
  }
}

TEST_F(CommandLineCrop, NoPictureOverwritesAnotherOrItself) {
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  const std::string a = Pattern("a/same.png", 20, 20);
  const std::string b = Pattern("b/same.bmp", 30, 30);
  ToolRun run =
      ToolRun::InProcess({"crop", a, b, "--size", "4x4", "--origin", "1,1", "--out-dir", Out("out")});
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(run.ErrorLines().size(), 1u) << run.err;
  EXPECT_EQ(run.ErrorLines()[0], "quarvel: " + b + ": its crop would replace that of " + a + " in " +
                                     (fs::path(Out("out")) / "same.tga").string());
  ExpectBlock(TargaFile::Read(Out("out/same.tga")), 1, 1, 20, 20);

  // A Targa picture in the output folder would be replaced by its own crop.
  TestPictures::WriteBytes(dir / "self.tga", std::string("keep me"));
  ToolRun self = ToolRun::InProcess({"crop", (dir / "self.tga").string(), "--size", "4x4", "--origin", "0,0",
                                     "--out-dir", dir.Path().string()});
  EXPECT_EQ(self.status, 1);
  EXPECT_NE(self.err.find("is one of the pictures being cropped"), std::string::npos) << self.err;
  EXPECT_EQ(fs::file_size(dir / "self.tga"), 7u);
}

TEST_F(CommandLineCrop, ABlockPlacedWhollyOutsideThePictureIsRefused) {
  const std::string picture = Pattern("p.png", 20, 10);
  for (const char* origin : {"20,0", "0,10", "-4,0", "0,-4"}) {
    ToolRun run =
        ToolRun::InProcess({"crop", picture, "--size", "4x4", "--origin", origin, "-o", Out("o.tga")});
    EXPECT_EQ(run.status, 1) << origin;
    EXPECT_NE(run.err.find("lies outside the 20 x 10 picture"), std::string::npos) << run.err;
  }
  ToolRun far =
      ToolRun::InProcess({"crop", picture, "--size", "4x4", "--center", "2147483647,0", "-o", Out("o.tga")});
  EXPECT_EQ(far.status, 1);
  EXPECT_EQ(far.err, "quarvel: " + picture + ": --center 2147483647,0 lies outside the 20 x 10 picture\n");
  EXPECT_FALSE(fs::exists(Out("o.tga")));
}

TEST_F(CommandLineCrop, ADamagedPictureFailsInOneLineUnlessAllowedAndAPipeAtOnce) {
  std::vector<std::string> cut;
  for (const char* kind : {"jpg", "bmp", "gif", "png"}) {
    const std::string whole = Out(std::string("whole.") + kind);
    ASSERT_TRUE(
        PillowImage::Run("Image.effect_noise((64, 48), 90).convert('RGB').save(sys.argv[1])\n", {whole}));
    const std::string bytes = TestPictures::ReadBytes(whole);
    ASSERT_FALSE(bytes.empty());
    cut.push_back(Out(std::string("cut-") + kind + "." + kind));
    TestPictures::WriteBytes(cut.back(), bytes.substr(0, bytes.size() * 3 / 10));
  }
  const std::string pipe = Out("pipe.png");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::vector<std::string> args{"crop", pipe};
  args.insert(args.end(), cut.begin(), cut.end());
  args.insert(args.end(), {"--size=8", "--center=30,20", "--out-dir", Out("refused")});
  ToolRun refused = ToolRun::InProcess(args);
  EXPECT_EQ(refused.status, 1);
  const std::vector<std::string> lines = refused.ErrorLines();
  ASSERT_EQ(lines.size(), 5u) << refused.err;
  EXPECT_EQ(lines[0], "quarvel: " + pipe + ": this is a named pipe, not a picture file");
  for (size_t i = 1; i < 5; ++i)
    EXPECT_EQ(lines[i].rfind("quarvel: " + cut[i - 1] + ": the picture is damaged: ", 0), 0u);
  EXPECT_FALSE(fs::exists(Out("refused")));
  args.erase(args.begin() + 1);
  args.back() = Out("allowed");
  args.push_back("--allow-damaged");
  EXPECT_EQ(ToolRun::InProcess(args).status, 0);
  for (const char* kind : {"jpg", "bmp", "gif", "png"}) {
    EXPECT_EQ(TargaFile::Read(Out("allowed/cut-") + kind + ".tga").width, 8) << kind;
  }
}

TEST_F(CommandLineCrop, RegionAllWithinAByteBudgetNamesTheQuality) {
  const std::string picture = Pattern("p.png", 640, 480);
  ToolRun run = ToolRun::InProcess(
      {"crop", picture, "--size", "96", "--region", "all", "-o", Out("m.jpg"), "--max-bytes", "3k"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_LE(fs::file_size(Out("m.jpg")), 3072u);
  ASSERT_EQ(run.ErrorLines().size(), 1u) << run.err;
  EXPECT_NE(run.err.find(Out("m.jpg") + ": JPEG quality "), std::string::npos) << run.err;
  const TestImage written = TestImage::Read(Out("m.jpg"));
  EXPECT_EQ(written.Width(), 96);
  EXPECT_EQ(written.Height(), 96);
}

TEST_F(CommandLineCrop, ABudgetEvenQualityOneMissesWritesNothing) {
  const std::string picture = Pattern("p.png", 64, 64);
  for (const char* command : {"crop", "resize"}) {
    const std::vector<std::string> args =
        std::string(command) == "crop"
            ? std::vector<std::string>{"crop",     picture, "--size", "32",         "--region",    "64",
                                       "--origin", "0,0",   "-o",     Out("x.jpg"), "--max-bytes", "200"}
            : std::vector<std::string>{"resize", picture, "32x32", "-o", Out("x.jpg"), "--max-bytes", "200"};
    ToolRun run = ToolRun::InProcess(args);
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_NE(run.err.find("even at quality 1 the JPEG file takes"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(Out("x.jpg"))) << command;
  }
}

namespace {

// 16 colours in 8 x 8 tiles, one stray pixel of another colour in each tile.
Rgb TileColour(int x, int y) {
  static const Rgb palette[16] = {0x000000, 0xFFFFFF, 0x880000, 0xAAFFEE, 0xCC44CC, 0x00CC55,
                                  0x0000AA, 0xEEEE77, 0xDD8855, 0x664400, 0xFF7777, 0x333333,
                                  0x777777, 0xAAFF66, 0x0088FF, 0xBBBBBB};
  const int tile = (x / 8) * 5 + (y / 8) * 3;
  const bool stray = x % 8 == 3 && y % 8 == 5;
  return 0xFF000000u | palette[(tile + (stray ? 7 : 0)) % 16];
}

struct PaletteCropCase {
  const char* method;
  int region;  // of a 128 x 128 map, to 16 x 16
};

class CommandLinePaletteCrop : public CommandLineCrop, public testing::WithParamInterface<PaletteCropCase> {};

}  // namespace

TEST_P(CommandLinePaletteCrop, EachTileBecomesOnePixelOfItsOwnColour) {
  TestImage map(128, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) map.SetPixel(x, y, TileColour(x, y));
  TestPictures::Save(map, dir / "map.png", "PNG");
  const int side = GetParam().region / 8;
  ToolRun run = ToolRun::InProcess({"crop", (dir / "map.png").string(), "--size", std::to_string(side),
                                    "--region", std::to_string(GetParam().region), "--origin", "8,16",
                                    "--reduce", GetParam().method, "-o", Out("mini.tga")});
  ASSERT_EQ(run.status, 0) << run.err;
  const TargaFile tga = TargaFile::Read(Out("mini.tga"));
  ASSERT_EQ(tga.width, side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      ASSERT_EQ(tga.At(x, y), TileColour(8 + 8 * x, 16 + 8 * y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Methods, CommandLinePaletteCrop,
                         testing::Values(PaletteCropCase{"majority", 64}, PaletteCropCase{"majority", 112},
                                         PaletteCropCase{"nearest", 64}));

// Backup and sync tools compare size and time: a replaced file that kept the
// old time could be skipped. Targa, JPEG at a quality and JPEG in a budget.
TEST_F(CommandLineCrop, AReplacedFileGetsTheTimeOfTheWrite) {
  const std::string picture = Pattern("p.png", 64, 64);
  const std::vector<std::vector<std::string>> extras = {{}, {"--quality", "80"}, {"--max-bytes", "4k"}};
  const char* names[] = {"old.tga", "old.jpg", "budget.jpg"};
  for (size_t i = 0; i < extras.size(); ++i) {
    SCOPED_TRACE(names[i]);
    const fs::path out = dir / names[i];
    std::ofstream(out) << "old";
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
    fs::last_write_time(out, old);
    std::vector<std::string> args = {"crop", picture, "--size", "16", "--origin", "0,0", "-o", out.string()};
    args.insert(args.end(), extras[i].begin(), extras[i].end());
    ToolRun run = ToolRun::InProcess(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(fs::file_size(out), 3u);
    EXPECT_GT(fs::last_write_time(out), old + std::chrono::hours(24 * 364));
  }
}

// 9 MB of bitmap and as much again of coefficients: a budget of 12 MB, which
// the bitmap alone would fit, can't hold it.
TEST_F(CommandLineCrop, AProgressiveJpegsCoefficientsCountAgainstTheMemoryGiven) {
  const fs::path picture = dir / "progressive.jpg";
  ASSERT_TRUE(
      PillowImage::Run("Image.effect_noise((2000, 1500), 40).convert('RGB').save(sys.argv[1], "
                       "progressive=True)\n",
                       {picture.string()}));
  struct Budget {
    const char* memory;
    int status;
  };
  for (const Budget& b : {Budget{"12M", 1}, Budget{"64M", 0}}) {
    SCOPED_TRACE(b.memory);
    fs::remove(Out("o.tga"));
    ToolRun run = ToolRun::InProcess({"crop", picture.string(), "--size", "16", "--origin", "0,0", "-o",
                                      Out("o.tga"), "--memory", b.memory});
    EXPECT_EQ(run.status, b.status) << run.err;
    EXPECT_EQ(fs::exists(Out("o.tga")), b.status == 0);
    if (b.status != 0) {
      EXPECT_NE(run.err.find("MB, more than the 12 MB that --memory allows"), std::string::npos) << run.err;
      EXPECT_EQ(run.ErrorLines().size(), 1u) << run.err;
    }
  }
}
