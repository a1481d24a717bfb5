#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/TestPictures.h"
#include "cli/ToolRun.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct WordsCase {
  const char* name;
  // Run in a folder holding p.png (40 x 30), empty.png (no bytes), cut.bmp
  // (a palette BMP cut short) and seg.jpg (a JPEG ending 65,000 bytes inside
  // a segment); "DIR/" stands for that folder.
  std::vector<std::string> args;
  const char* said;    // found in the one line said
  const char* also;    // and this too, where given
  const char* unsaid;  // and not this, where given
  size_t lines = 1;    // with the library's own when verbose
};

const WordsCase kCases[] = {
    {"MistypedOption",
     {"crop", "DIR/p.png", "--size", "8", "--origin", "0,0", "-o", "DIR/o.tga", "--qualty", "80"},
     "unknown option \"--qualty\" for crop (did you mean --quality?)",
     nullptr,
     nullptr},
    {"FarFromAnyOption",
     {"crop", "DIR/p.png", "--size", "8", "--origin", "0,0", "-o", "DIR/o.tga", "--zzzzzzzz"},
     "unknown option \"--zzzzzzzz\" for crop; see",
     nullptr,
     "did you mean"},
    {"EmptyFile",
     {"crop", "DIR/empty.png", "--size", "8", "--origin", "0,0", "-o", "DIR/o.tga"},
     "empty.png: the file is empty",
     nullptr,
     "not a picture"},
    {"DamagedSaysHowToReadItAnyway",
     {"crop", "DIR/cut.bmp", "--size", "8", "--origin", "0,0", "-o", "DIR/o.tga"},
     "cut.bmp: the picture is damaged: ",
     "; --allow-damaged uses what could be read",
     nullptr},
    {"RegionOnePixelWide",
     {"crop", "DIR/p.png", "--size", "8", "--region", "1x1", "--origin", "0,0", "-o", "DIR/o.tga"},
     "a region only 1 pixel wide",
     nullptr,
     "picture only"},
    // Found by fuzzing: a warning for every two bytes missing, 32,758 lines;
    // now each of libjpeg's two words once, then ours.
    {"FileEndingInsideASegmentWarnsOnce",
     {"crop", "DIR/seg.jpg", "--size", "8", "--origin", "0,0", "-o", "DIR/o.tga", "--verbose"},
     "seg.jpg: libjpeg: Premature end of JPEG file",
     "seg.jpg: the picture is damaged: ",
     nullptr,
     3},
};

class CommandLineWords : public testing::TestWithParam<WordsCase> {};

TEST_P(CommandLineWords, OneLineInWords) {
  TempDir dir;
  TestPictures::Save(TestPictures::Pattern(40, 30), dir / "p.png", "PNG");
  std::ofstream(dir / "empty.png").close();
  ASSERT_TRUE(PillowImage::Run("Image.effect_noise((40, 30), 60).convert('P').save(sys.argv[1])\n",
                               {(dir / "cut.bmp").string()}));
  fs::resize_file(dir / "cut.bmp", fs::file_size(dir / "cut.bmp") - 100);
  // Its marker's length (0xFFEE) runs far past the file's last byte.
  std::ofstream(dir / "seg.jpg", std::ios::binary) << "\xFF\xD8\xFF\xEE\xFF\xEE\xF7";
  std::vector<std::string> args = GetParam().args;
  for (std::string& arg : args) {
    if (arg.rfind("DIR/", 0) == 0) arg = (dir / arg.substr(4)).string();
  }
  const ToolRun run = ToolRun::InProcess(args);
  EXPECT_NE(run.status, 0);
  ASSERT_EQ(run.ErrorLines().size(), GetParam().lines) << run.err;
  EXPECT_NE(run.err.find(GetParam().said), std::string::npos) << run.err;
  if (GetParam().also) {
    EXPECT_NE(run.err.find(GetParam().also), std::string::npos) << run.err;
  }
  if (GetParam().unsaid) {
    EXPECT_EQ(run.err.find(GetParam().unsaid), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(dir / "o.tga"));
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLineWords, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
