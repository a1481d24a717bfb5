#include <gtest/gtest.h>

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
  const std::vector<std::string> args = {"crop",     "bogus.jpg", "good.jpg",  "--size", "8",
                                         "--origin", "0,0",       "--out-dir", "out"};
  const ToolRun run = ToolRun::Binary(args, dir.Path());
  EXPECT_EQ(run.status, 1);
  const std::vector<std::string> lines = run.ErrorLines();
  ASSERT_EQ(lines.size(), 1u) << run.err;
  EXPECT_TRUE(lines[0].starts_with("quarvel: bogus.jpg: ")) << lines[0];
  EXPECT_NE(lines[0].find("Huffman"), std::string::npos) << lines[0];
  EXPECT_TRUE(fs::exists(dir / "out" / "good.tga"));

  std::vector<std::string> verbose = args;
  verbose.push_back("--verbose");
  const ToolRun told = ToolRun::Binary(verbose, dir.Path());
  // Our own JPEG reader says only why it stopped: no line from a second reader trying.
  EXPECT_GE(told.ErrorLines().size(), 1u);
  for (const std::string& line : told.ErrorLines())
    EXPECT_TRUE(line.starts_with("quarvel: bogus.jpg: ")) << line;
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
