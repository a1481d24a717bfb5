#include "core/MiniMapCommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "formats/PictureDecoder.h"
#include "platform/base/AppError.h"
#include "support/pure/TempDir.h"
#include "support/qt/PictureFiles.h"

namespace fs = std::filesystem;

namespace {

// A header claiming width x height, and a sparse file as long as its pixels.
void WriteLargeBmp(const fs::path& path, int32_t width, int32_t height) {
  const QByteArray header = PictureFiles::BmpHeader(width, height);
  PictureFiles::WriteBytes(path, header);
  fs::resize_file(path, static_cast<uintmax_t>(header.size()) +
                            static_cast<uintmax_t>((3 * int64_t{width} + 3) / 4 * 4) * height);
}

// The header of an interlaced PNG of that size, and nothing after it.
void WriteInterlacedPngHeader(const fs::path& path, uint32_t width, uint32_t height) {
  QByteArray bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) bytes.append(static_cast<char>((v >> shift) & 0xFF));
  bytes.append("\x08\x02\x00\x00\x01", 5);
  bytes.append(QByteArray(4, 0));
  PictureFiles::WriteBytes(path, bytes);
}

struct AdviceCase {
  const char* name;
  std::function<void(const fs::path&)> write;
  // Whether the words name the command.
  bool advised;
};

class MiniMapAdvice : public testing::TestWithParam<AdviceCase> {};

}  // namespace

// The window's words for a picture it can't hold name the command only where
// the command line would stream the picture.
TEST_P(MiniMapAdvice, OnlyForPicturesTheCommandLineStreams) {
  TempDir dir;
  const fs::path path = dir / "world's map.bmp";
  GetParam().write(path);
  std::string words;
  try {
    formats::LoadPicture(path.string());
    FAIL() << "opened";
  } catch (const std::exception& e) {
    words = MiniMapCommand::Opening(path.string(), e);
  }
  const std::string command = MiniMapCommand::For(path.string());
  EXPECT_EQ(words.find(command) != std::string::npos, GetParam().advised) << words;
  if (GetParam().advised) {
    EXPECT_NE(words.find("20000 x 10000 pixels (200 megapixels)"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MiniMapAdvice,
    testing::Values(AdviceCase{"LargeBmp", [](const fs::path& p) { WriteLargeBmp(p, 20000, 10000); }, true},
                    AdviceCase{"SmallButCutShort",
                               [](const fs::path& p) {
                                 PictureFiles::WriteBytes(p, PictureFiles::BmpHeader(20, 10));
                               },
                               false},
                    AdviceCase{"LargeInterlacedPng",
                               [](const fs::path& p) { WriteInterlacedPngHeader(p, 20000, 10000); }, false}),
    [](const testing::TestParamInfo<AdviceCase>& test) { return test.param.name; });

// Pasted into a shell, the quoted path is the path again, quotes and all.
TEST(MiniMapCommand, TheCommandQuotesPathsForTheShell) {
  struct Case {
    const char* path;
    const char* command;
  } cases[] = {
      {"/maps/world.png",
       "quarvel crop '/maps/world.png' --size 256 --region all -o '/maps/world-mini-map.tga'"},
      {"it's $HOME.jpg",
       "quarvel crop 'it'\\''s $HOME.jpg' --size 256 --region all -o 'it'\\''s $HOME-mini-map.tga'"},
  };
  for (const Case& c : cases) EXPECT_EQ(MiniMapCommand::For(c.path), c.command);
}
