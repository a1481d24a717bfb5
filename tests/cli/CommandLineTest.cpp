#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include "cli/UsageError.h"

namespace {

using Args = std::vector<std::string>;

CropRequest Crop(const Args& args) { return std::get<CropRequest>(CommandLine::Parse(args)); }
ResizeRequest Resize(const Args& args) { return std::get<ResizeRequest>(CommandLine::Parse(args)); }

// The reason given for a refused command line, or a note that none was refused.
std::string Refusal(const Args& args) {
  try {
    CommandLine::Parse(args);
  } catch (const UsageError& e) {
    return e.what();
  }
  return "<accepted>";
}

}  // namespace

TEST(CommandLine, NothingOrOnePictureOpensTheWindowAndAllElseIsACommandLine) {
  for (const Args& window : {Args{}, Args{"photo.jpg"}, Args{"/a b/c.gif"}, Args{""}, Args{"-"}})
    EXPECT_TRUE(CommandLine::OpensWindow(window)) << testing::PrintToString(window);
  for (const Args& command : {Args{"crop"}, Args{"resize"}, Args{"--help"}, Args{"-V"}, Args{"--frobnicate"},
                              Args{"-o"}, Args{"frobnicate", "x.jpg"}, Args{"a.jpg", "b.jpg"}}) {
    EXPECT_FALSE(CommandLine::OpensWindow(command)) << testing::PrintToString(command);
  }
}

TEST(CommandLine, HelpOrVersionAnywhereBeforeTheEndOfOptionsAnswersThat) {
  EXPECT_TRUE(std::holds_alternative<HelpRequest>(CommandLine::Parse({"--help"})));
  EXPECT_TRUE(std::holds_alternative<HelpRequest>(CommandLine::Parse({"crop", "a.jpg", "-h"})));
  EXPECT_TRUE(std::holds_alternative<HelpRequest>(CommandLine::Parse({"crop", "--size", "bad", "--help"})));
  CropRequest afterEnd = Crop({"crop", "--size", "8x8", "--origin", "0,0", "--", "--help"});
  EXPECT_EQ(afterEnd.pictures, Args{"--help"});
  EXPECT_TRUE(std::holds_alternative<VersionRequest>(CommandLine::Parse({"-V"})));
  EXPECT_TRUE(std::holds_alternative<VersionRequest>(CommandLine::Parse({"crop", "--version"})));
  EXPECT_TRUE(std::holds_alternative<HelpRequest>(CommandLine::Parse({"--version", "--help"})));
  const std::string usage = CommandLine::Usage();
  for (const char* word : {"crop", "resize", "--size", "--center", "--origin", "--out-dir", "--output",
                           "--rle", "--quality", "--keep-proportions", "--quiet", "--version", "--region",
                           "--max-bytes", "--reduce", "majority", "nearest", "--linear", "Exit status"}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
}

TEST(CommandLine, CropTakesOptionsAmongThePicturesInBothSpellings) {
  CropRequest r = Crop({"crop", "a.jpg", "--size=256x128", "b.gif", "--center", "-5,70", "--out-dir", "out",
                        "c.bmp", "--rle"});
  EXPECT_EQ(r.pictures, (Args{"a.jpg", "b.gif", "c.bmp"}));
  EXPECT_EQ(r.width, 256);
  EXPECT_EQ(r.height, 128);
  EXPECT_EQ(r.placement.mode, Placement::Center);
  EXPECT_EQ(r.placement.x, -5);
  EXPECT_EQ(r.placement.y, 70);
  EXPECT_EQ(r.outputDir, "out");
  EXPECT_TRUE(r.outputFile.empty());
  EXPECT_TRUE(r.write.rle);
  EXPECT_FALSE(r.quiet);

  CropRequest spelled = Crop({"crop", "a.jpg", "--size", "48", "--origin", "0,0", "--output=x.tga", "-q"});
  EXPECT_EQ(spelled.width, 48);
  EXPECT_EQ(spelled.height, 48);
  EXPECT_EQ(spelled.outputFile, "x.tga");
  EXPECT_TRUE(spelled.quiet);
}

struct FormatCase {
  Args extra;
  OutputFormat format;
};

class CommandLineFormats : public testing::TestWithParam<FormatCase> {};

// -o's extension chooses, and --format chooses for a folder; Targa otherwise.
TEST_P(CommandLineFormats, CropWritesTheKindNamed) {
  Args args = {"crop", "a.jpg", "--size", "8", "--origin", "0,0"};
  args.insert(args.end(), GetParam().extra.begin(), GetParam().extra.end());
  EXPECT_EQ(Crop(args).format, GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CommandLineFormats,
    testing::Values(FormatCase{{}, OutputFormat::Targa}, FormatCase{{"--out-dir", "d"}, OutputFormat::Targa},
                    FormatCase{{"--format", "png"}, OutputFormat::Png},
                    FormatCase{{"--format=JPEG", "--quality", "70"}, OutputFormat::Jpeg},
                    FormatCase{{"--format", "tga", "--rle"}, OutputFormat::Targa},
                    FormatCase{{"-o", "m.PNG"}, OutputFormat::Png},
                    FormatCase{{"-o", "m.png", "--format", "png"}, OutputFormat::Png},
                    FormatCase{{"-o", "m.jpeg", "--format", "jpg"}, OutputFormat::Jpeg}));

TEST(CommandLine, CropDefaultsToTheCurrentFolderAndJpegQualityNinety) {
  CropRequest toFolder = Crop({"crop", "a.jpg", "--size", "8X4", "--origin", "3,2"});
  EXPECT_EQ(toFolder.outputDir, ".");
  EXPECT_EQ(toFolder.placement.mode, Placement::Origin);
  EXPECT_EQ(toFolder.width, 8);
  EXPECT_EQ(toFolder.height, 4);
  EXPECT_FALSE(toFolder.write.rle);

  CropRequest toJpeg = Crop({"crop", "a.jpg", "--size", "8x8", "--origin", "0,0", "-o", "x.JPEG"});
  EXPECT_EQ(toJpeg.outputFile, "x.JPEG");
  EXPECT_TRUE(toJpeg.outputDir.empty());
  EXPECT_EQ(toJpeg.write.quality, 90);
  EXPECT_EQ(Crop({"crop", "a.jpg", "--size", "8x8", "--origin", "0,0", "-o", "x.jpg", "--quality", "35"})
                .write.quality,
            35);
}

TEST(CommandLine, CropRegionIsTheSizeUnlessGivenOrAll) {
  const CropRequest plain = Crop({"crop", "a.jpg", "--size", "256", "--origin", "0,0"});
  EXPECT_FALSE(plain.region.whole);
  EXPECT_EQ(plain.region.width, 256);
  EXPECT_EQ(plain.region.height, 256);
  const CropRequest larger =
      Crop({"crop", "a.jpg", "--size", "256", "--region", "4096x2048", "--center", "9,8"});
  EXPECT_EQ(larger.region.width, 4096);
  EXPECT_EQ(larger.region.height, 2048);
  EXPECT_EQ(larger.placement.mode, Placement::Center);
  EXPECT_EQ(larger.placement.x, 9);
  const CropRequest whole = Crop({"crop", "a.jpg", "--size", "128x64", "--region", "all"});
  EXPECT_TRUE(whole.region.whole);
}

struct ReductionCase {
  Args more;
  ReduceMethod method;
  bool linear;
};

class CommandLineReduction : public testing::TestWithParam<ReductionCase> {};

TEST_P(CommandLineReduction, ReadsTheMethodAndLight) {
  Args args = {"crop", "a.jpg", "--size", "256", "--region", "1024", "--origin", "0,0"};
  args.insert(args.end(), GetParam().more.begin(), GetParam().more.end());
  const Reduction reduction = Crop(args).reduction;
  EXPECT_EQ(reduction.method, GetParam().method);
  EXPECT_EQ(reduction.linear, GetParam().linear);
}

INSTANTIATE_TEST_SUITE_P(Methods, CommandLineReduction,
                         testing::Values(ReductionCase{{}, ReduceMethod::Area, false},
                                         ReductionCase{{"--reduce", "area"}, ReduceMethod::Area, false},
                                         ReductionCase{{"--reduce=majority"}, ReduceMethod::Majority, false},
                                         ReductionCase{{"--reduce", "nearest"}, ReduceMethod::Nearest, false},
                                         ReductionCase{{"--linear"}, ReduceMethod::Area, true},
                                         ReductionCase{
                                             {"--reduce", "area", "--linear"}, ReduceMethod::Area, true}));

TEST(CommandLine, ResizeReadsPictureSizeAndOutput) {
  ResizeRequest r = Resize({"resize", "p.bmp", "640x480", "-o", "small.tga", "--rle"});
  EXPECT_EQ(r.picture, "p.bmp");
  EXPECT_EQ(r.width, 640);
  EXPECT_EQ(r.height, 480);
  EXPECT_FALSE(r.keepProportions);
  EXPECT_FALSE(r.quiet);
  EXPECT_EQ(r.outputFile, "small.tga");
  EXPECT_TRUE(r.write.rle);

  ResizeRequest widthOnly = Resize({"resize", "--keep-proportions", "p.bmp", "640", "-o=small.jpg", "-q"});
  EXPECT_TRUE(widthOnly.keepProportions);
  EXPECT_TRUE(widthOnly.quiet);
  EXPECT_EQ(widthOnly.width, 640);
  EXPECT_EQ(widthOnly.height, 0);
  EXPECT_EQ(widthOnly.outputFile, "small.jpg");
}

struct RefusedCase {
  Args args;
  const char* reason;
};

class CommandLineRefusal : public testing::TestWithParam<RefusedCase> {};

TEST_P(CommandLineRefusal, SaysWhyInOneLine) {
  const std::string reason = Refusal(GetParam().args);
  EXPECT_NE(reason.find(GetParam().reason), std::string::npos) << reason;
  EXPECT_EQ(reason.find('\n'), std::string::npos);
}

const Args kCrop = {"crop", "a.jpg", "--origin", "0,0", "--size"};

Args CropWithSize(const std::string& size) {
  Args args = kCrop;
  args.push_back(size);
  return args;
}

Args CropPlus(const Args& more) {
  Args args = CropWithSize("8x8");
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandLineRefusal,
    testing::Values(
        RefusedCase{{}, "no command"},
        RefusedCase{{"rotate", "a.jpg"}, "unknown command \"rotate\" (the window opens one picture only)"},
        RefusedCase{{"a.jpg", "b.jpg"}, "unknown command \"a.jpg\""},
        RefusedCase{{"a.jpg", "--frobnicate"}, "unknown option \"--frobnicate\"; see"},
        RefusedCase{{"--out-dir=x", "a.jpg"}, "--out-dir goes after a command"},
        RefusedCase{{"-q"}, "-q goes after a command"},
        RefusedCase{{"crop", "--size", "8x8", "--origin", "0,0"}, "at least one picture"},
        RefusedCase{{"crop", "a.jpg", "--origin", "0,0"}, "needs --size"},
        RefusedCase{{"crop", "a.jpg", "--size", "8x8"}, "needs --center X,Y or --origin X,Y"},
        RefusedCase{CropPlus({"--center", "1,1"}), "can't be used together"},
        RefusedCase{CropPlus({"--frobnicate"}), "unknown option \"--frobnicate\" for crop"},
        RefusedCase{CropPlus({"--keep-proportions"}), "unknown option"},
        RefusedCase{kCrop, "--size needs a value"},
        RefusedCase{CropPlus({"--size", "4x4"}), "--size is given twice"},
        RefusedCase{CropPlus({"--rle", "--rle"}), "--rle is given twice"},
        RefusedCase{CropPlus({"--rle=yes"}), "--rle takes no value"},
        RefusedCase{CropPlus({"b.jpg", "-o", "x.tga"}), "-o names one output file but 2 pictures"},
        RefusedCase{CropPlus({"-o", "x.tga", "--out-dir", "d"}), "can't be used together"},
        RefusedCase{CropPlus({"-o", "x.gif"}),
                    "unknown output type \"x.gif\": use .tga, .jpg, .jpeg or .png"},
        RefusedCase{CropPlus({"-o", "noextension"}), "unknown output type"},
        RefusedCase{CropPlus({"--format", "gif"}), "unknown --format \"gif\": use tga, jpg or png"},
        RefusedCase{CropPlus({"--format", "png", "--rle"}), "--rle applies to Targa output only"},
        RefusedCase{CropPlus({"-o", "x.png", "--quality", "80"}), "--quality applies to JPEG output only"},
        RefusedCase{CropPlus({"-o", "x.tga", "--format", "png"}),
                    "--format png and the output \"x.tga\" name"},
        RefusedCase{CropPlus({"--out-dir", ""}), "--out-dir needs a folder"},
        RefusedCase{CropPlus({"-o", "x.jpg", "--rle"}), "--rle applies to Targa output only"},
        RefusedCase{CropPlus({"--quality", "50"}), "--quality applies to JPEG output only"},
        RefusedCase{CropPlus({"-o", "x.jpg", "--quality", "0"}), "bad quality \"0\""},
        RefusedCase{CropPlus({"-o", "x.jpg", "--quality", "101"}), "bad quality"},
        RefusedCase{CropPlus({"-o", "x.jpg", "--quality", "9x"}), "bad quality"},
        RefusedCase{CropPlus({""}), "file name is empty"},
        RefusedCase{CropPlus({"--region", "0x5"}), "bad size \"0x5\" for --region"},
        RefusedCase{CropPlus({"--region", "All"}), "for --region"},
        RefusedCase{CropPlus({"--region", "all"}), "leave out --center and --origin"},
        RefusedCase{{"crop", "a.jpg", "--size", "8", "--region", "16"}, "needs --center X,Y or --origin X,Y"},
        RefusedCase{CropPlus({"--region", "16", "--reduce", "Majority"}), "bad reduction \"Majority\""},
        RefusedCase{CropPlus({"--region", "16", "--reduce", ""}), "area, majority or nearest"},
        RefusedCase{CropPlus({"--reduce", "nearest"}), "--reduce applies to a --region only"},
        RefusedCase{CropPlus({"--linear"}), "--linear applies to a --region only"},
        RefusedCase{CropPlus({"--region", "16", "--linear", "--reduce", "majority"}), "leave out one"},
        RefusedCase{CropPlus({"--region", "16", "--reduce", "nearest", "--reduce", "area"}), "given twice"},
        RefusedCase{{"resize", "p.jpg", "8x8", "-o", "x.tga", "--linear"}, "unknown option \"--linear\""},
        RefusedCase{CropPlus({"--max-bytes", "20k"}), "--max-bytes applies to JPEG output only"},
        RefusedCase{CropPlus({"-o", "x.jpg", "--max-bytes", "9", "--quality", "5"}), "leave out --quality"},
        RefusedCase{CropPlus({"-o", "x.jpg", "--max-bytes", "0"}), "bad byte count \"0\""},
        RefusedCase{CropPlus({"-o", "x.jpg", "--max-bytes", "20K"}), "bad byte count"},
        RefusedCase{CropPlus({"-o", "x.jpg", "--max-bytes", "k"}), "bad byte count"},
        RefusedCase{CropPlus({"-o", "x.jpg", "--max-bytes", "2kk"}), "bad byte count"},
        RefusedCase{CropPlus({"-o", "x.jpg", "--max-bytes", "1.5M"}), "bad byte count"},
        RefusedCase{CropPlus({"-o", "x.jpg", "--max-bytes", "9999999M"}), "bad byte count"},
        RefusedCase{{"resize", "p.jpg", "8x8", "-o", "x.tga", "--max-bytes", "9"}, "JPEG output only"},
        RefusedCase{{"resize", "p.jpg", "-o", "x.tga"}, "one picture and one size"},
        RefusedCase{{"resize", "p.jpg", "q.jpg", "8x8", "-o", "x.tga"}, "one picture and one size"},
        RefusedCase{{"resize", "p.jpg", "8x8"}, "resize needs -o FILE"},
        RefusedCase{{"resize", "p.jpg", "640", "-o", "x.tga"}, "bad size \"640\" for resize"},
        RefusedCase{{"resize", "p.jpg", "640x100", "-o", "x.tga", "--keep-proportions"},
                    "give the width alone, such as 640, not \"640x100\""},
        RefusedCase{{"resize", "p.jpg", "0", "-o", "x.tga", "--keep-proportions"}, "bad width \"0\""},
        RefusedCase{{"resize", "p.jpg", "8x8", "-o", "x.tga", "--exact"},
                    "unknown option \"--exact\" for resize"},
        RefusedCase{{"resize", "p.jpg", "8x8", "-o", "x.gif"}, "unknown output type"},
        RefusedCase{{"resize", "p.jpg", "8x8", "-o", "x.tga", "--size", "8x8"}, "for resize"},
        RefusedCase{{"resize", "", "8x8", "-o", "x.tga"}, "file name is empty"}));

INSTANTIATE_TEST_SUITE_P(Sizes, CommandLineRefusal,
                         testing::Values(RefusedCase{CropWithSize("0"), "bad size \"0\""},
                                         RefusedCase{CropWithSize("0x10"), "bad size"},
                                         RefusedCase{CropWithSize("10x0"), "bad size"},
                                         RefusedCase{CropWithSize("-1x5"), "bad size"},
                                         RefusedCase{CropWithSize("32768x1"), "bad size"},
                                         RefusedCase{CropWithSize("axb"), "bad size"},
                                         RefusedCase{CropWithSize("10x10x"), "bad size"},
                                         RefusedCase{CropWithSize(" 10x10"), "bad size"},
                                         RefusedCase{CropWithSize("10x"), "bad size"},
                                         RefusedCase{CropWithSize("+10x10"), "bad size"},
                                         RefusedCase{CropWithSize("1.5x2"), "bad size"},
                                         RefusedCase{CropWithSize("99999999999x1"), "bad size"},
                                         RefusedCase{CropWithSize("32767"), "too large"}));

INSTANTIATE_TEST_SUITE_P(
    Positions, CommandLineRefusal,
    testing::Values(RefusedCase{{"crop", "a.jpg", "--size", "8x8", "--center", "1"}, "bad position \"1\""},
                    RefusedCase{{"crop", "a.jpg", "--size", "8x8", "--center", "1,"}, "bad position"},
                    RefusedCase{{"crop", "a.jpg", "--size", "8x8", "--center", ",1"}, "bad position"},
                    RefusedCase{{"crop", "a.jpg", "--size", "8x8", "--origin", "a,b"}, "for --origin"},
                    RefusedCase{{"crop", "a.jpg", "--size", "8x8", "--center", "1.5,2"}, "bad position"},
                    RefusedCase{{"crop", "a.jpg", "--size", "8x8", "--center", "1,2,3"}, "bad position"},
                    RefusedCase{{"crop", "a.jpg", "--size", "8x8", "--center", "2147483648,0"},
                                "bad position"}));

TEST(CommandLine, TheLargestSizesAndPositionsAreAccepted) {
  CropRequest r = Crop({"crop", "a.jpg", "--size", "32767x4577", "--origin", "-2147483648,2147483647"});
  EXPECT_EQ(r.width, 32767);
  EXPECT_EQ(r.height, 4577);
  EXPECT_EQ(r.placement.x, INT32_MIN);
  EXPECT_EQ(r.placement.y, INT32_MAX);
}

struct ByteCountCase {
  const char* text;
  int64_t bytes;
};

class CommandLineByteCount : public testing::TestWithParam<ByteCountCase> {};

TEST_P(CommandLineByteCount, CountsBytesWithKAndM) {
  EXPECT_EQ(Crop(CropPlus({"-o", "x.jpg", "--max-bytes", GetParam().text})).write.maxBytes, GetParam().bytes);
  EXPECT_EQ(Resize({"resize", "p.jpg", "8x8", "-o", "x.jpeg", "--max-bytes", GetParam().text}).write.maxBytes,
            GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Suffixes, CommandLineByteCount,
                         testing::Values(ByteCountCase{"1", 1}, ByteCountCase{"20000", 20000},
                                         ByteCountCase{"20k", 20480}, ByteCountCase{"3M", 3145728},
                                         ByteCountCase{"1024M", int64_t{1} << 30}));
