#include "formats/jpeg/mIntelJPEGLibrary.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "imaging/cDIBSection.h"
#include "platform/base/AppError.h"
#include "platform/base/AppInfo.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;
using mIntelJPEGLibrary::SaveJPEGinFile;
using platform::AppError;
using Bytes = std::vector<uint8_t>;

namespace {

// Smooth colour ramps, with the top half brighter in red and the left side in
// blue: a flipped, mirrored or sheared picture differs by far more than the
// encoder's loss.
uint8_t Channel(int x, int y, int c, int width, int height) {
  switch (c) {
    case 0:
      return static_cast<uint8_t>(40 + 160 * (width - 1 - x) / std::max(1, width - 1));
    case 1:
      return static_cast<uint8_t>(90 + ((x + y) * 3) % 60);
    default:
      return static_cast<uint8_t>(30 + 190 * (height - 1 - y) / std::max(1, height - 1));
  }
}

// Fills the bitmap through its pixel memory: bottom row first, blue, green, red.
void Paint(cDIBSection& dib) {
  for (int y = 0; y < dib.Height(); ++y) {
    uint8_t* row =
        dib.DIBSectionBitsPtr() + static_cast<size_t>(dib.Height() - 1 - y) * dib.BytesPerScanLine();
    for (int x = 0; x < dib.Width(); ++x) {
      for (int c = 0; c < 3; ++c) row[3 * x + c] = Channel(x, y, c, dib.Width(), dib.Height());
    }
  }
}

double MeanAbsError(const PillowImage& image) {
  double sum = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* rgb = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
      for (int c = 0; c < 3; ++c) sum += std::abs(rgb[2 - c] - Channel(x, y, c, image.width, image.height));
    }
  }
  return sum / (3.0 * image.width * image.height);
}

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

size_t EntryCount(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

struct stat StatOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0);
  return info;
}

class SaveJPEG : public ::testing::Test {
 protected:
  cDIBSection& Painted(int32_t width, int32_t height) {
    EXPECT_TRUE(dib_.Create(width, height));
    Paint(dib_);
    return dib_;
  }

  AppError ErrorSaving(cDIBSection& dib, const fs::path& path, int32_t quality = 90) {
    try {
      SaveJPEGinFile(dib, path.string(), quality);
    } catch (const AppError& e) {
      return e;
    }
    return AppError(0, "", "no error");
  }

  cDIBSection dib_;
  TempDir dir_;
};

}  // namespace

TEST_F(SaveJPEG, PillowSeesTheBitmapUprightAtItsSize) {
  // 35 and 3 wide rows carry padding (1 and 3 bytes); 4 and 64 wide ones none.
  // Narrow pictures lose more to the halved colour resolution; a flipped or
  // sheared one is off by 25 to 50.
  struct Case {
    int32_t width, height;
    double tolerance;
  };
  for (auto [width, height, tolerance] :
       {Case{35, 39, 5.0}, Case{3, 16, 16.0}, Case{4, 16, 16.0}, Case{64, 48, 5.0}}) {
    ASSERT_TRUE(SaveJPEGinFile(Painted(width, height), (dir_ / "map.jpg").string(), 95));
    auto image = PillowImage::Read((dir_ / "map.jpg").string());
    ASSERT_TRUE(image.has_value()) << width << "x" << height;
    EXPECT_EQ(image->format, "JPEG");
    EXPECT_EQ(image->width, width);
    EXPECT_EQ(image->height, height);
    EXPECT_LT(MeanAbsError(*image), tolerance) << width << "x" << height;
  }
}

TEST_F(SaveJPEG, QualityReachesTheEncoderClampedToItsRange) {
  cDIBSection& dib = Painted(64, 48);
  auto bytesAt = [&](int32_t quality) {
    EXPECT_TRUE(SaveJPEGinFile(dib, (dir_ / "q.jpg").string(), quality));
    return ReadAll(dir_ / "q.jpg");
  };
  EXPECT_LT(bytesAt(10).size(), bytesAt(95).size());
  EXPECT_EQ(bytesAt(0), bytesAt(1));
  EXPECT_EQ(bytesAt(101), bytesAt(100));
}

TEST_F(SaveJPEG, ReplacedFileKeepsItsPermissionsAndTimes) {
  const fs::path path = dir_ / "map.jpg";
  std::ofstream(path, std::ios::binary) << std::string(300000, 'x');
  const timespec times[2] = {{1100000000, 111111111}, {1300000000, 222222222}};
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

  ASSERT_TRUE(SaveJPEGinFile(Painted(35, 39), path.string(), 90));

  const struct stat info = StatOf(path);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_atim.tv_sec, times[0].tv_sec);
  EXPECT_EQ(info.st_atim.tv_nsec, times[0].tv_nsec);
  EXPECT_EQ(info.st_mtim.tv_sec, times[1].tv_sec);
  EXPECT_EQ(info.st_mtim.tv_nsec, times[1].tv_nsec);
  EXPECT_LT(info.st_size, 300000);
  auto image = PillowImage::Read(path.string());
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 35);
  EXPECT_EQ(EntryCount(dir_.Path()), 1u);
}

TEST_F(SaveJPEG, NewFileGetsFreshTimesAndUsualPermissions) {
  const auto before = std::chrono::system_clock::now() - std::chrono::seconds(2);
  mode_t saved = umask(022);
  ASSERT_TRUE(SaveJPEGinFile(Painted(8, 8), (dir_ / "new.jpg").string(), 90));
  umask(saved);
  const struct stat info = StatOf(dir_ / "new.jpg");
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_GE(info.st_mtim.tv_sec, std::chrono::system_clock::to_time_t(before));
}

TEST_F(SaveJPEG, ReadOnlyFileIsNeverReplaced) {
  const fs::path path = dir_ / "locked.jpg";
  std::ofstream(path) << "old";
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
  const AppError error = ErrorSaving(Painted(8, 8), path);
  EXPECT_EQ(error.Number(), platform::ErrorNumber::PermissionDenied);
  EXPECT_EQ(ReadAll(path), Bytes({'o', 'l', 'd'}));
  EXPECT_EQ(StatOf(path).st_mode & 0777, 0440u);
  EXPECT_EQ(EntryCount(dir_.Path()), 1u);
}

TEST_F(SaveJPEG, EncoderFailuresCarryTheModuleSourceAndSignedCode) {
  const std::string savedExe = platform::AppInfo::ExeName();
  platform::AppInfo::SetExeName("mapcutter");
  const std::regex failedWithCode("Failed to save to JPG -[1-9][0-9]*");

  const AppError missingFolder = ErrorSaving(Painted(8, 8), dir_ / "none" / "map.jpg");
  cDIBSection neverCreated;
  const AppError emptyBitmap = ErrorSaving(neverCreated, dir_ / "empty.jpg");
  platform::AppInfo::SetExeName(savedExe);

  for (const AppError& error : {missingFolder, emptyBitmap}) {
    EXPECT_EQ(error.Number(), mIntelJPEGLibrary::kJpegErrorNumber);
    EXPECT_EQ(error.Source(), "mapcutter.mIntelJPEGLibrary");
    EXPECT_TRUE(std::regex_match(error.Description(), failedWithCode)) << error.Description();
  }
  // Each says why in words: the system's reason for the file, the encoder's for the bitmap.
  EXPECT_EQ(missingFolder.Reason(), "the folder " + (dir_ / "none").string() + " does not exist");
  EXPECT_EQ(emptyBitmap.Reason(), "there is no picture");
  EXPECT_EQ(EntryCount(dir_.Path()), 0u);
}

TEST_F(SaveJPEG, FailedSaveLeavesTheOldFileAsItWas) {
  const fs::path path = dir_ / "map.jpg";
  std::ofstream(path) << "old";
  cDIBSection neverCreated;
  EXPECT_EQ(ErrorSaving(neverCreated, path).Number(), mIntelJPEGLibrary::kJpegErrorNumber);
  EXPECT_EQ(ReadAll(path), Bytes({'o', 'l', 'd'}));
  EXPECT_EQ(EntryCount(dir_.Path()), 1u);
}
