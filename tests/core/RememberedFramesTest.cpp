#include "core/RememberedFrames.h"

#include <gtest/gtest.h>

namespace {

FixedCrop Crop(const std::string& path, int32_t left) {
  return {path, 256, 256, 1024, 1024, left, 32, {ReduceMethod::Majority, false}};
}

TEST(RememberedFrames, AFrameComesBackForTheSamePathAndSizeOnly) {
  RememberedFrames frames;
  frames.Remember(4096, 4096, Crop("/maps/a.png", 96));
  EXPECT_EQ(frames.Find("/maps/a.png", 4096, 4096), Crop("/maps/a.png", 96));
  EXPECT_EQ(frames.Find("/maps/a.png", 4096, 4095), std::nullopt);
  EXPECT_EQ(frames.Find("/maps/b.png", 4096, 4096), std::nullopt);
  frames.Remember(4096, 4096, Crop("/maps/a.png", 160));
  EXPECT_EQ(frames.Find("/maps/a.png", 4096, 4096)->left, 160);
  EXPECT_EQ(frames.Count(), 1u);
}

TEST(RememberedFrames, ForgettingOneOrAllLeavesNothingBehind) {
  RememberedFrames frames;
  frames.Remember(10, 10, Crop("/a", 1));
  frames.Remember(10, 10, Crop("/b", 2));
  EXPECT_TRUE(frames.Forget("/a", 10, 10));
  EXPECT_FALSE(frames.Forget("/a", 10, 10));
  EXPECT_EQ(frames.Find("/a", 10, 10), std::nullopt);
  EXPECT_EQ(RememberedFrames(frames.Stored()).Find("/a", 10, 10), std::nullopt);
  EXPECT_TRUE(RememberedFrames(frames.Stored()).Find("/b", 10, 10));
  frames.ForgetAll();
  EXPECT_EQ(frames.Stored(), "");
  EXPECT_EQ(RememberedFrames(frames.Stored()).Count(), 0u);
}

TEST(RememberedFrames, KeepsTheNewestTwoHundred) {
  RememberedFrames frames;
  for (int i = 0; i < 250; ++i) frames.Remember(10, 10, Crop("/p" + std::to_string(i), i));
  EXPECT_EQ(frames.Count(), RememberedFrames::kMost);
  EXPECT_EQ(frames.Find("/p49", 10, 10), std::nullopt);
  EXPECT_EQ(frames.Find("/p50", 10, 10)->left, 50);
  // Cutting an old one again makes it the newest.
  frames.Remember(10, 10, Crop("/p50", 7));
  frames.Remember(10, 10, Crop("/new", 0));
  EXPECT_TRUE(frames.Find("/p50", 10, 10));
  EXPECT_EQ(frames.Find("/p51", 10, 10), std::nullopt);
}

class RememberedFramesNames : public testing::TestWithParam<std::string> {};

TEST_P(RememberedFramesNames, AnyFileNameSurvivesTheStoreAsPlainAscii) {
  RememberedFrames frames;
  const FixedCrop crop{GetParam(), 128, 64, 512, 256, -3, 0, {ReduceMethod::Area, true}};
  frames.Remember(640, 480, crop);
  const std::string stored = frames.Stored();
  for (char c : stored) ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
  EXPECT_EQ(RememberedFrames(stored).Find(GetParam(), 640, 480), crop);
}

INSTANTIATE_TEST_SUITE_P(Names, RememberedFramesNames,
                         testing::Values("/maps/plain.png", "/with space/and%percent.png", "/tab\there.png",
                                         "/new\nline.png", "/latin-\xe9t\xe9.bmp", "/utf-8 \xc3\xa9.gif"));

TEST(RememberedFrames, LinesThatCantBeReadAreDropped) {
  RememberedFrames frames;
  frames.Remember(10, 10, Crop("/good", 4));
  const std::string stored = frames.Stored() +
                             "\n10 10 256 256 1024 1024 1 2 mean 0 /bad-method"
                             "\n10 10 0 256 1024 1024 1 2 area 0 /zero-size"
                             "\n10 10 256 256 1024 1024 1 2 area 0 /bad%2"
                             "\nrubbish\n\n";
  const RememberedFrames read(stored);
  EXPECT_EQ(read.Count(), 1u);
  EXPECT_EQ(read.Find("/good", 10, 10)->left, 4);
}

}  // namespace
