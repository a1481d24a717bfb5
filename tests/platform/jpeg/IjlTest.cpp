#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/jpeg/Ijl.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;
using namespace jpeg;

namespace {

// A picture in the layout the writer hands over: BGR rows padded to 4 bytes,
// bottom row first in memory when bottomUp.
struct Dib {
  int32_t width;
  int32_t height;
  bool bottomUp;
  int32_t stride = (3 * width + 3) & ~3;
  std::vector<uint8_t> bytes = std::vector<uint8_t>(static_cast<size_t>(stride) * height, 0xEE);

  // Picture row y counts from the top.
  uint8_t* Pixel(int32_t x, int32_t y) {
    int32_t row = bottomUp ? height - 1 - y : y;
    return bytes.data() + static_cast<size_t>(row) * stride + 3 * x;
  }
};

// Top half red, bottom half blue, a green ramp from left to right: a flip or a
// wrong row pitch moves colour by far more than the encoder's loss.
Dib Sample(int32_t width, int32_t height, bool bottomUp) {
  Dib dib{width, height, bottomUp};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = dib.Pixel(x, y);
      bool top = y < height / 2;
      p[0] = top ? 0 : 220;
      p[1] = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));
      p[2] = top ? 220 : 0;
    }
  }
  return dib;
}

struct Decoded {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgr;  // top row first, no padding
};

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

Decoded Decode(const std::vector<uint8_t>& jpegBytes) {
  Decoded out;
  tjhandle handle = tjInitDecompress();
  int subsampling = 0, colourspace = 0;
  if (tjDecompressHeader3(handle, jpegBytes.data(), jpegBytes.size(), &out.width, &out.height, &subsampling,
                          &colourspace) == 0) {
    out.bgr.resize(static_cast<size_t>(out.width) * out.height * 3);
    if (tjDecompress2(handle, jpegBytes.data(), jpegBytes.size(), out.bgr.data(), out.width, 0, out.height,
                      TJPF_BGR, 0) != 0) {
      out.bgr.clear();
    }
  }
  tjDestroy(handle);
  return out;
}

double MeanAbsError(Dib& dib, const Decoded& decoded) {
  double sum = 0;
  for (int32_t y = 0; y < dib.height; ++y) {
    for (int32_t x = 0; x < dib.width; ++x) {
      const uint8_t* want = dib.Pixel(x, y);
      const uint8_t* got = &decoded.bgr[(static_cast<size_t>(y) * dib.width + x) * 3];
      for (int c = 0; c < 3; ++c) sum += std::abs(want[c] - got[c]);
    }
  }
  return sum / (3.0 * dib.width * dib.height);
}

class IjlWrite : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ijlInit(&props_), IJL_OK); }
  void TearDown() override { ijlFree(&props_); }

  void Fill(Dib& dib, const std::string& path, int32_t quality) {
    path_ = path;
    props_.DIBBytes = dib.bytes.data();
    props_.DIBWidth = dib.width;
    props_.DIBHeight = dib.bottomUp ? -dib.height : dib.height;
    props_.DIBPadBytes = dib.stride - 3 * dib.width;
    props_.JPGFile = path_.c_str();
    props_.JPGWidth = dib.width;
    props_.JPGHeight = dib.height;
    props_.jquality = quality;
  }

  JPEG_CORE_PROPERTIES props_;
  std::string path_;
  TempDir dir_;
};

}  // namespace

// Tiny pictures lose more to the halved colour resolution at the red-blue
// edge; a flipped or sheared picture is off by about 140.
TEST_F(IjlWrite, BottomUpPaddedRowsComeOutUprightAndClose) {
  struct Case {
    int32_t width, height;
    double tolerance;
  };
  for (auto [width, height, tolerance] :
       {Case{35, 39, 6.0}, Case{130, 17, 6.0}, Case{3, 8, 25.0}, Case{4, 8, 25.0}, Case{1, 1, 6.0}}) {
    Dib dib = Sample(width, height, true);
    Fill(dib, (dir_ / "out.jpg").string(), 95);
    ASSERT_EQ(ijlWrite(&props_, IJL_JFILE_WRITEWHOLEIMAGE), IJL_OK);
    Decoded decoded = Decode(ReadAll(dir_ / "out.jpg"));
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.height, height);
    ASSERT_FALSE(decoded.bgr.empty());
    EXPECT_LT(MeanAbsError(dib, decoded), tolerance) << width << "x" << height;
  }
}

TEST_F(IjlWrite, PositiveHeightReadsRowsTopDown) {
  Dib dib = Sample(20, 16, false);
  Fill(dib, (dir_ / "out.jpg").string(), 95);
  dib.bottomUp = false;
  ASSERT_EQ(ijlWrite(&props_, IJL_JFILE_WRITEWHOLEIMAGE), IJL_OK);
  EXPECT_LT(MeanAbsError(dib, Decode(ReadAll(dir_ / "out.jpg"))), 6.0);
}

TEST_F(IjlWrite, QualityIsClampedToOneToHundred) {
  Dib dib = Sample(64, 48, true);
  auto bytesAt = [&](int32_t quality) {
    Fill(dib, (dir_ / "q.jpg").string(), quality);
    EXPECT_EQ(ijlWrite(&props_, IJL_JFILE_WRITEWHOLEIMAGE), IJL_OK);
    return ReadAll(dir_ / "q.jpg");
  };
  EXPECT_EQ(bytesAt(-7), bytesAt(1));
  EXPECT_EQ(bytesAt(1000), bytesAt(100));
  EXPECT_LT(bytesAt(10).size(), bytesAt(100).size());
}

TEST_F(IjlWrite, ReplacesLongerFileWholeAndLeavesNoTemp) {
  std::ofstream(dir_ / "out.jpg", std::ios::binary) << std::string(100000, 'x');
  Dib dib = Sample(16, 16, true);
  Fill(dib, (dir_ / "out.jpg").string(), 75);
  ASSERT_EQ(ijlWrite(&props_, IJL_JFILE_WRITEWHOLEIMAGE), IJL_OK);
  std::vector<uint8_t> bytes = ReadAll(dir_ / "out.jpg");
  ASSERT_GT(bytes.size(), 4u);
  EXPECT_LT(bytes.size(), 100000u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
  EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
  EXPECT_EQ(bytes.back(), 0xD9);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 1);
}

TEST_F(IjlWrite, RejectsPropertiesItCannotHonourWithoutWriting) {
  Dib dib = Sample(8, 8, true);
  struct Case {
    const char* name;
    void (*spoil)(JPEG_CORE_PROPERTIES&);
    int32_t code;
  };
  const Case cases[] = {
      {"no pixels", [](JPEG_CORE_PROPERTIES& p) { p.DIBBytes = nullptr; }, IJL_INVALID_JPEG_PROPERTIES},
      {"zero width", [](JPEG_CORE_PROPERTIES& p) { p.DIBWidth = p.JPGWidth = 0; },
       IJL_INVALID_JPEG_PROPERTIES},
      {"zero height", [](JPEG_CORE_PROPERTIES& p) { p.DIBHeight = p.JPGHeight = 0; },
       IJL_INVALID_JPEG_PROPERTIES},
      {"negative pad", [](JPEG_CORE_PROPERTIES& p) { p.DIBPadBytes = -1; }, IJL_INVALID_JPEG_PROPERTIES},
      {"scaled width", [](JPEG_CORE_PROPERTIES& p) { p.JPGWidth = 4; }, IJL_INVALID_JPEG_PROPERTIES},
      {"scaled height", [](JPEG_CORE_PROPERTIES& p) { p.JPGHeight = 16; }, IJL_INVALID_JPEG_PROPERTIES},
      {"huge pitch", [](JPEG_CORE_PROPERTIES& p) { p.DIBPadBytes = INT32_MAX - 10; },
       IJL_INVALID_JPEG_PROPERTIES},
      {"no file name", [](JPEG_CORE_PROPERTIES& p) { p.JPGFile = nullptr; }, IJL_INVALID_FILENAME},
      {"empty file name", [](JPEG_CORE_PROPERTIES& p) { p.JPGFile = ""; }, IJL_INVALID_FILENAME},
  };
  for (const Case& c : cases) {
    Fill(dib, (dir_ / "out.jpg").string(), 75);
    c.spoil(props_);
    EXPECT_EQ(ijlWrite(&props_, IJL_JFILE_WRITEWHOLEIMAGE), c.code) << c.name;
  }
  Fill(dib, (dir_ / "out.jpg").string(), 75);
  EXPECT_EQ(ijlWrite(&props_, 1), IJL_UNSUPPORTED_MODE);
  EXPECT_FALSE(fs::exists(dir_ / "out.jpg"));
}

TEST_F(IjlWrite, FileErrorsLeaveWhatWasThere) {
  Dib dib = Sample(8, 8, true);
  Fill(dib, (dir_ / "missing" / "out.jpg").string(), 75);
  EXPECT_EQ(ijlWrite(&props_, IJL_JFILE_WRITEWHOLEIMAGE), IJL_FILE_ERROR);
  EXPECT_FALSE(fs::exists(dir_ / "missing"));

  std::ofstream(dir_ / "locked.jpg") << "old";
  fs::permissions(dir_ / "locked.jpg", fs::perms::owner_read);
  Fill(dib, (dir_ / "locked.jpg").string(), 75);
  EXPECT_EQ(ijlWrite(&props_, IJL_JFILE_WRITEWHOLEIMAGE), IJL_FILE_ERROR);
  EXPECT_EQ(ReadAll(dir_ / "locked.jpg"), std::vector<uint8_t>({'o', 'l', 'd'}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 1);
}

TEST(IjlLifecycle, InitFreeAndMisuseCodes) {
  JPEG_CORE_PROPERTIES props;
  EXPECT_EQ(ijlWrite(&props, IJL_JFILE_WRITEWHOLEIMAGE), IJL_NOT_INITIALISED);
  EXPECT_EQ(ijlFree(&props), IJL_NOT_INITIALISED);
  ASSERT_EQ(ijlInit(&props), IJL_OK);
  EXPECT_NE(props.handle, nullptr);
  EXPECT_EQ(props.jquality, IJL_DEFAULT_QUALITY);
  EXPECT_EQ(ijlInit(&props), IJL_ALREADY_INITIALISED);
  EXPECT_EQ(ijlFree(&props), IJL_OK);
  EXPECT_EQ(props.handle, nullptr);
  EXPECT_EQ(ijlWrite(&props, IJL_JFILE_WRITEWHOLEIMAGE), IJL_NOT_INITIALISED);
  EXPECT_EQ(ijlInit(nullptr), IJL_INVALID_JPEG_PROPERTIES);
  EXPECT_EQ(ijlWrite(nullptr, IJL_JFILE_WRITEWHOLEIMAGE), IJL_NOT_INITIALISED);
  EXPECT_EQ(ijlFree(nullptr), IJL_NOT_INITIALISED);
}
