#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "cli/TargaFile.h"
#include "cli/TestPictures.h"
#include "cli/ToolRun.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> OursIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".quarvel-")) names.push_back(name);
  }
  return names;
}

}  // namespace

TEST(CommandLineBehaviour, OneLinePerFailedPictureAndNothingFromTheLibraries) {
  TempDir dir;
  TestPictures::WriteBogusJpeg(dir / "bogus.jpg");
  TestPictures::Save(TestPictures::Pattern(40, 30), dir / "good.jpg", "JPG", 90);
  ASSERT_TRUE(PillowImage::Run("Image.effect_noise((64, 48), 90).convert('RGB').save(sys.argv[1])\n",
                               {(dir / "noise.png").string()}));
  const std::string png = TestPictures::ReadBytes(dir / "noise.png");
  // Cut short, and with its header's checksum spoilt: Qt's libpng said "libpng error: Read Error".
  TestPictures::WriteBytes(dir / "cut.png", png.substr(0, png.size() / 2));
  std::string spoilt = png;
  spoilt[29] = static_cast<char>(spoilt[29] ^ 0xFF);
  TestPictures::WriteBytes(dir / "spoilt.png", spoilt);
  const struct {
    const char* picture;
    const char* said;
  } cases[] = {
      {"bogus.jpg", "Huffman"},
      {"cut.png", "the picture is damaged: the file ends before the end of its pixels"},
      {"spoilt.png", "not a picture this program reads"},
  };
  std::vector<std::string> args = {"crop", "good.jpg", "--size", "8", "--origin", "0,0", "--out-dir", "out"};
  for (const auto& c : cases) args.push_back(c.picture);
  const ToolRun run = ToolRun::Binary(args, dir.Path());
  EXPECT_EQ(run.status, 1);
  const std::vector<std::string> lines = run.ErrorLines();
  ASSERT_EQ(lines.size(), std::size(cases)) << run.err;
  for (const auto& c : cases) {
    const std::string start = std::string("quarvel: ") + c.picture + ": ";
    const auto line = std::find_if(lines.begin(), lines.end(),
                                   [&start](const std::string& l) { return l.starts_with(start); });
    ASSERT_NE(line, lines.end()) << run.err;
    EXPECT_NE(line->find(c.said), std::string::npos) << *line;
  }
  EXPECT_TRUE(fs::exists(dir / "out" / "good.tga"));

  std::vector<std::string> verbose = args;
  verbose.push_back("--verbose");
  const ToolRun told = ToolRun::Binary(verbose, dir.Path());
  // Our own readers say only why they stopped: no line from a second reader trying.
  EXPECT_GE(told.ErrorLines().size(), std::size(cases));
  for (const std::string& line : told.ErrorLines()) {
    EXPECT_TRUE(line.starts_with("quarvel: bogus.jpg: ") || line.starts_with("quarvel: cut.png: ") ||
                line.starts_with("quarvel: spoilt.png: "))
        << line;
    EXPECT_EQ(line.find("libpng"), std::string::npos) << line;
  }
}

// A full disk under standard output or the results is a failure in one line
// of our words, whatever became of the pictures.
TEST(CommandLineBehaviour, AFullDiskForTheResultsOrStandardOutputFails) {
  TempDir dir;
  TestPictures::Save(TestPictures::Pattern(40, 30), dir / "p.png", "PNG");
  const std::string crop = ToolRun::ShellQuoted(QUARVEL_BINARY) + " crop p.png --size 8 --origin 0,0 ";
  const struct {
    std::string options;
    std::string line;
  } cases[] = {
      {"--format tga -o - >/dev/full", "quarvel: -: can't write to standard output: no space left on device"},
      {"-o o.tga --results /dev/full",
       "quarvel: /dev/full: the results could not all be written: the disk is full"},
      {"-o o.tga --results - >/dev/full",
       "quarvel: -: the results could not all be written: the disk is full"},
  };
  for (const auto& c : cases) {
    const ToolRun run = ToolRun::Shell("(" + crop + c.options + ")", dir.Path());
    EXPECT_EQ(run.status, 1) << c.options;
    EXPECT_EQ(run.ErrorLines(), std::vector<std::string>{c.line}) << c.options;
  }
}

TEST(CommandLineBehaviour, ControlCharactersInANameAreEscaped) {
  TempDir dir;
  const std::string name = (dir / "\x1B]0;owned\x07\x1B[2J.png").string();
  const ToolRun run =
      ToolRun::InProcess({"crop", name, "--size", "8", "--origin", "0,0", "-o", (dir / "o.tga").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.find('\x1B'), std::string::npos);
  EXPECT_EQ(run.err.find('\x07'), std::string::npos);
  EXPECT_NE(run.err.find("\\033]0;owned\\a\\033[2J.png\""), std::string::npos) << run.err;
}

namespace {

struct LinkedOutput {
  const char* name;
  const char* extension;
};

class CommandLineLinkedOutput : public testing::TestWithParam<LinkedOutput> {};

}  // namespace

TEST_P(CommandLineLinkedOutput, IsWrittenThroughAndTheLinkStays) {
  TempDir dir;
  TestPictures::Save(TestPictures::Pattern(40, 30), dir / "p.png", "PNG");
  fs::create_directory(dir / "store");
  const fs::path target = dir / "store" / (std::string("asset") + GetParam().extension);
  std::ofstream(target) << "old";
  const fs::path link = dir / (std::string("link") + GetParam().extension);
  fs::create_symlink(target, link);
  const ToolRun run = ToolRun::InProcess(
      {"crop", (dir / "p.png").string(), "--size", "8", "--origin", "3,4", "-o", link.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_symlink(link));
  const std::optional<PillowImage> written = PillowImage::Read(target.string());
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 8);
  EXPECT_EQ(fs::directory_iterator(dir / "store")->path(), target);
  if (std::string(GetParam().extension) == ".tga") {
    EXPECT_EQ(TargaFile::Read(target).At(0, 0), TestPictures::PatternPixel(3, 4));
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, CommandLineLinkedOutput,
                         testing::Values(LinkedOutput{"Targa", ".tga"}, LinkedOutput{"Jpeg", ".jpg"}),
                         [](const testing::TestParamInfo<LinkedOutput>& test) {
                           return std::string(test.param.name);
                         });

// A phone photo stored on its side, 200 wide and 300 high, shown 300 x 200.
TEST(CommandLineBehaviour, ReadsPicturesUprightUnlessAskedNotTo) {
  TempDir dir;
  ASSERT_TRUE(
      PillowImage::Run("ex = Image.Exif()\nex[0x0112] = 6\n"
                       "Image.new('RGB', (200, 300), (200, 40, 40)).save(sys.argv[1], exif=ex.tobytes())\n",
                       {(dir / "phone.jpg").string()}));
  const std::vector<std::string> args = {
      "crop", (dir / "phone.jpg").string(), "--size", "10", "--origin", "250,0",
      "-o",   (dir / "o.tga").string()};
  EXPECT_EQ(ToolRun::InProcess(args).status, 0);
  std::vector<std::string> stored = args;
  stored.push_back("--no-auto-orient");
  const ToolRun run = ToolRun::InProcess(stored);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("200 x 300 picture"), std::string::npos) << run.err;
}

// The batch stops between pictures: those under way finish whole, the rest
// are left out, and nothing of ours stays behind.
TEST(CommandLineBehaviour, SigtermStopsABatchAndLeavesNothingBehind) {
  TempDir dir;
  constexpr int kPictures = 40;
  TestPictures::Save(TestPictures::Pattern(1600, 1200), dir / "p0.bmp", "BMP");
  fs::create_directory(dir / "out");
  for (int i = 0; i < kPictures; ++i) {
    const std::string name = "p" + std::to_string(i);
    if (i > 0) fs::create_hard_link(dir / "p0.bmp", dir / (name + ".bmp"));
    std::ofstream(dir / "out" / (name + ".tga")) << "old";
  }
  // Sent the moment a temporary file of ours shows: a picture is being written.
  const std::string command = "(" + ToolRun::ShellQuoted(QUARVEL_BINARY) +
                              " crop p*.bmp --size 1600x1200 --origin 0,0 --out-dir out & pid=$!; "
                              "for i in $(seq 5000); do ls -A out | grep -q '^\\.quarvel-' && break; done; "
                              "kill -TERM $pid; wait $pid; echo $?)";
  const ToolRun run = ToolRun::Shell(command, dir.Path());
  EXPECT_EQ(run.out, "143\n") << run.err;
  EXPECT_EQ(OursIn(dir / "out"), std::vector<std::string>{});
  int replaced = 0;
  for (int i = 0; i < kPictures; ++i) {
    const fs::path output = dir / "out" / ("p" + std::to_string(i) + ".tga");
    if (fs::file_size(output) == 3) continue;
    EXPECT_EQ(TargaFile::Read(output).width, 1600);
    ++replaced;
  }
  EXPECT_GT(replaced, 0);
  EXPECT_LT(replaced, kPictures);
}

namespace {

class StreamedInterrupted : public testing::TestWithParam<const char*> {};

}  // namespace

// A picture far too large to decode whole is read band by band; SIGINT stops
// it between bands, and neither the output nor a temporary file is left.
TEST_P(StreamedInterrupted, LeavesNoFile) {
  TempDir dir;
  // 40000 x 40000 pixels of black: a sparse file of 4.8 GB that takes no room.
  std::string header(54, '\0');
  const auto put = [&header](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) header[at + i] = static_cast<char>(value >> (8 * i));
  };
  header[0] = 'B';
  header[1] = 'M';
  put(10, 54);              // where the pixels start
  put(14, 40);              // the info header's size
  put(18, 40000);           // width
  put(22, 40000);           // height, bottom-up
  put(26, 1 | (24 << 16));  // one plane, 24 bits
  TestPictures::WriteBytes(dir / "huge.bmp", header);
  fs::resize_file(dir / "huge.bmp", 54 + 120000ull * 40000ull);
  fs::create_directory(dir / "out");
  // Sent once the program has had time to start reading.
  const std::string command = "(" + ToolRun::ShellQuoted(QUARVEL_BINARY) + " " + GetParam() +
                              " -o out/mini.tga & pid=$!; "
                              "sleep 0.3; kill -INT $pid; wait $pid; echo $?)";
  const ToolRun run = ToolRun::Shell(command, dir.Path());
  EXPECT_EQ(run.out, "130\n") << run.err;
  EXPECT_FALSE(fs::exists(dir / "out" / "mini.tga"));
  EXPECT_EQ(OursIn(dir / "out"), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(CropAndResize, StreamedInterrupted,
                         testing::Values("crop huge.bmp --size 64 --region all",
                                         "resize huge.bmp 1000x1000"));
