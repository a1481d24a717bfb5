#include <gtest/gtest.h>

#include <filesystem>

#include "TargaFile.h"
#include "ToolRun.h"
#include "support/pure/TempDir.h"
#include "support/qt/PictureFiles.h"

// The installed program itself, started without any display.

TEST(CommandLineBinary, HelpPrintsUsageAndNeedsNoDisplay) {
  TempDir dir;
  ToolRun run = ToolRun::Binary({"--help"}, dir.Path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("Usage:", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("quarvel crop PICTURE..."), std::string::npos);
  EXPECT_TRUE(run.err.empty()) << run.err;
}

// No display at all, and one named that no server answers.
TEST(CommandLineBinary, TheWindowWithoutADesktopSaysSoInOneLineAndStatusOne) {
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

TEST(CommandLineBinary, AWrongCommandLineIsOneLineAndStatusTwo) {
  TempDir dir;
  ToolRun run = ToolRun::Binary({"crop", "a.jpg", "--size", "0x8", "--center", "1,1"}, dir.Path());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "quarvel: bad size \"0x8\" for --size: WxH in whole pixels from 1 to 32767, such as 256x256\n");
  EXPECT_TRUE(run.out.empty());
}

TEST(CommandLineBinary, AFailedPictureGivesStatusOneAndTheOthersAreWritten) {
  TempDir dir;
  PictureFiles::Save(PictureFiles::Pattern(64, 48), dir / "good.png", "PNG");
  const std::string missing = (dir / "missing.gif").string();
  ToolRun run = ToolRun::Binary({"crop", missing, (dir / "good.png").string(), "--size", "16x16", "--center",
                                 "63,0", "--out-dir", (dir / "out").string()},
                                dir.Path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quarvel: " + missing + ": File not found\n");
  TargaFile tga = TargaFile::Read(dir / "out" / "good.tga");
  EXPECT_EQ(tga.At(0, 0), PictureFiles::PatternPixel(48, 0));
  EXPECT_EQ(tga.At(15, 15), PictureFiles::PatternPixel(63, 15));
}
