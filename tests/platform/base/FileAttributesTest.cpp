#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/base/FileAttributes.h"
#include "support/pure/TempDir.h"

using platform::FileAttributes;

namespace {

struct stat StatOf(const std::filesystem::path& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0);
  return info;
}

}  // namespace

TEST(FileAttributes, NothingForMissingFile) {
  TempDir dir;
  EXPECT_FALSE(FileAttributes::Of((dir / "none").string()).has_value());
}

TEST(FileAttributes, CarriesPermissionsAndBothTimesToAnotherFile) {
  TempDir dir;
  std::ofstream(dir / "old") << "old";
  std::ofstream(dir / "new") << "new";
  const timespec times[2] = {{1000000000, 123456789}, {1200000000, 987654321}};
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "old").c_str(), times, 0), 0);
  ASSERT_EQ(chmod((dir / "old").c_str(), 0640), 0);

  auto attributes = FileAttributes::Of((dir / "old").string());
  ASSERT_TRUE(attributes.has_value());
  EXPECT_EQ(attributes->Permissions(), 0640u);
  const int fd = open((dir / "new").c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(attributes->ApplyTo(fd, true));
  close(fd);

  struct stat info = StatOf(dir / "new");
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_atim.tv_sec, times[0].tv_sec);
  EXPECT_EQ(info.st_atim.tv_nsec, times[0].tv_nsec);
  EXPECT_EQ(info.st_mtim.tv_sec, times[1].tv_sec);
  EXPECT_EQ(info.st_mtim.tv_nsec, times[1].tv_nsec);
}

TEST(FileAttributes, TimesStayUnlessAsked) {
  TempDir dir;
  std::ofstream(dir / "old") << "old";
  std::ofstream(dir / "new") << "new";
  const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "old").c_str(), times, 0), 0);
  ASSERT_EQ(chmod((dir / "old").c_str(), 0600), 0);
  const int fd = open((dir / "new").c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(FileAttributes::Of((dir / "old").string())->ApplyTo(fd, false));
  close(fd);
  struct stat info = StatOf(dir / "new");
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_GT(info.st_mtim.tv_sec, times[1].tv_sec);
}

TEST(FileAttributes, ApplyToAClosedDescriptorReportsFailure) {
  TempDir dir;
  std::ofstream(dir / "old") << "old";
  auto attributes = FileAttributes::Of((dir / "old").string());
  ASSERT_TRUE(attributes.has_value());
  EXPECT_FALSE(attributes->ApplyTo(-1, true));
}
