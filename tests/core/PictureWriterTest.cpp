#include "core/PictureWriter.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
  const char* path;
  std::optional<OutputFormat> format;
  const char* targaName;
};

class PictureWriterNames : public testing::TestWithParam<NameCase> {};

}  // namespace

// The command line's output type and the window's Targa name follow one reading of the name.
TEST_P(PictureWriterNames, FormatAndTargaNameFollowTheEndingInAnyCase) {
  const NameCase c = GetParam();
  EXPECT_EQ(PictureWriter::FormatFor(c.path), c.format);
  EXPECT_EQ(PictureWriter::WithTargaExtension(c.path), c.targaName);
}

INSTANTIATE_TEST_SUITE_P(Names, PictureWriterNames,
                         testing::Values(NameCase{"a.tga", OutputFormat::Targa, "a.tga"},
                                         NameCase{"dir.x/A.TGA", OutputFormat::Targa, "dir.x/A.TGA"},
                                         NameCase{".tga", OutputFormat::Targa, ".tga"},
                                         NameCase{"a.Jpg", OutputFormat::Jpeg, "a.Jpg.tga"},
                                         NameCase{"a.jpeg", OutputFormat::Jpeg, "a.jpeg.tga"},
                                         NameCase{"a.tga.bak", std::nullopt, "a.tga.bak.tga"},
                                         NameCase{"tga", std::nullopt, "tga.tga"},
                                         NameCase{"a.png", OutputFormat::Png, "a.png.tga"},
                                         NameCase{"A.PNG", OutputFormat::Png, "A.PNG.tga"},
                                         NameCase{"a.pngx", std::nullopt, "a.pngx.tga"},
                                         NameCase{"a.gif", std::nullopt, "a.gif.tga"},
                                         NameCase{"a.jpg/", std::nullopt, "a.jpg/.tga"}));
