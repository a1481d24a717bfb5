#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include "support/pure/ErrorOf.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/base/AppError.h"
#include "platform/base/AtomicFile.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;
using platform::AppError;
using platform::AtomicFile;
namespace ErrorNumber = platform::ErrorNumber;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  return names;
}

// Makes writes past `bytes` fail with EFBIG instead of killing the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit saved_{};
  sighandler_t previousHandler_;
};

}  // namespace

TEST(AtomicFile, WritesNewFileFromPiecesAndLeavesOnlyIt) {
  TempDir dir;
  {
    AtomicFile file((dir / "out.bin").string());
    file.Write(Bytes("head"));
    file.Write(Bytes(""));
    file.Write(Bytes("-body"));
    file.Commit();
  }
  EXPECT_EQ(ReadAll(dir / "out.bin"), "head-body");
  EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"out.bin"});
}

TEST(AtomicFile, ReplacesLongerFileWithExactlyTheNewBytes) {
  TempDir dir;
  WriteText(dir / "out.bin", std::string(5000, 'x'));
  AtomicFile file((dir / "out.bin").string());
  file.Write(Bytes("short"));
  file.Commit();
  EXPECT_EQ(ReadAll(dir / "out.bin"), "short");
  EXPECT_EQ(Entries(dir.Path()).size(), 1u);
}

TEST(AtomicFile, TargetKeepsOldBytesUntilCommitAndTempLivesBesideIt) {
  TempDir dir;
  WriteText(dir / "out.bin", "old");
  AtomicFile file((dir / "out.bin").string());
  file.Write(Bytes("new"));
  EXPECT_EQ(ReadAll(dir / "out.bin"), "old");
  EXPECT_EQ(fs::path(file.TempPath()).parent_path(), dir.Path());
  EXPECT_TRUE(fs::exists(file.TempPath()));
  file.Commit();
  EXPECT_EQ(ReadAll(dir / "out.bin"), "new");
  EXPECT_EQ(Entries(dir.Path()).size(), 1u);
}

TEST(AtomicFile, AbandonedWriteLeavesOldFileAndNoTemp) {
  TempDir dir;
  WriteText(dir / "kept.bin", "old");
  {
    AtomicFile kept((dir / "kept.bin").string());
    kept.Write(Bytes("half"));
    AtomicFile fresh((dir / "fresh.bin").string());
    fresh.Write(Bytes("half"));
  }
  EXPECT_EQ(ReadAll(dir / "kept.bin"), "old");
  EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"kept.bin"});
}

TEST(AtomicFile, FailedWriteKeepsOldFileAndRemovesTemp) {
  TempDir dir;
  WriteText(dir / "out.bin", "old");
  AtomicFile file((dir / "out.bin").string());
  {
    FileSizeLimit limit(1024);
    EXPECT_EQ(ErrorOf([&] { file.Write(Bytes(std::string(4096, 'n'))); }), ErrorNumber::PathFileAccess);
  }
  EXPECT_NE(ErrorOf([&] { file.Commit(); }), 0);
  EXPECT_EQ(ReadAll(dir / "out.bin"), "old");
  EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"out.bin"});
}

TEST(AtomicFile, NeverReplacesReadOnlyFileEvenForRoot) {
  TempDir dir;
  WriteText(dir / "locked.bin", "old");
  fs::permissions(dir / "locked.bin", fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(ErrorOf([&] { AtomicFile file((dir / "locked.bin").string()); }), ErrorNumber::PermissionDenied);
  EXPECT_EQ(ReadAll(dir / "locked.bin"), "old");
  EXPECT_EQ(Entries(dir.Path()).size(), 1u);
}

TEST(AtomicFile, RefusesMissingFolderEmptyNameAndFolderInTheWay) {
  TempDir dir;
  fs::create_directory(dir / "sub");
  EXPECT_EQ(ErrorOf([&] { AtomicFile file((dir / "missing" / "out.bin").string()); }),
            ErrorNumber::PathNotFound);
  EXPECT_EQ(ErrorOf([&] { AtomicFile file(""); }), ErrorNumber::PathNotFound);
  EXPECT_EQ(ErrorOf([&] { AtomicFile file((dir / "sub").string()); }), ErrorNumber::PathFileAccess);
  EXPECT_FALSE(fs::exists(dir / "missing"));
  EXPECT_TRUE(fs::is_directory(dir / "sub"));
  EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"sub"});
}

TEST(AtomicFile, NewFileGetsUsualPermissionsLessUmask) {
  TempDir dir;
  mode_t saved = umask(027);
  {
    AtomicFile file((dir / "out.bin").string());
    file.Commit();
  }
  umask(saved);
  struct stat info;
  ASSERT_EQ(stat((dir / "out.bin").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(AtomicFile, ErrorNamesTheTarget) {
  TempDir dir;
  std::string target = (dir / "missing" / "out.bin").string();
  try {
    AtomicFile file(target);
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_NE(e.Description().find(target), std::string::npos) << e.Description();
  }
}

TEST(AtomicFile, ReasonsAreInWordsAndNameTheFolder) {
  EXPECT_EQ(AtomicFile::ReasonFor(EACCES, "/srv/up/map.jpg"), "you may not write in the folder /srv/up");
  EXPECT_EQ(AtomicFile::ReasonFor(EROFS, "/mnt/cd/map.jpg"),
            "the folder /mnt/cd is on a disk that can't be written");
  EXPECT_EQ(AtomicFile::ReasonFor(ENOENT, "gone/map.jpg"), "the folder gone does not exist");
  EXPECT_EQ(AtomicFile::ReasonFor(ENOSPC, "map.jpg"), "the disk is full");
  EXPECT_EQ(AtomicFile::ReasonFor(EIO, "map.jpg"), std::strerror(EIO));
}

namespace {

void Write(const std::string& path, const std::string& text) {
  AtomicFile file(path);
  file.Write(Bytes(text));
  file.Commit();
}

struct LinkCase {
  const char* name;
  // Made in the folder: "link" and whatever it leads to.
  void (*make)(const fs::path& dir);
  int32_t refusal;  // 0: written through
};

class AtomicFileLink : public testing::TestWithParam<LinkCase> {};

}  // namespace

// The check before writing and the write agree: both follow the link.
TEST_P(AtomicFileLink, WritesThroughOrRefusesClearly) {
  TempDir dir;
  fs::create_directory(dir / "store");
  GetParam().make(dir.Path());
  const std::string link = (dir / "link").string();
  if (GetParam().refusal != 0) {
    EXPECT_EQ(ErrorOf([&] { AtomicFile::CheckReplaceable(link); }), GetParam().refusal);
    try {
      Write(link, "new");
      ADD_FAILURE() << "written";
    } catch (const AppError& error) {
      EXPECT_EQ(error.Number(), GetParam().refusal);
      EXPECT_NE(error.Description().find("the link " + link + " leads to"), std::string::npos)
          << error.Description();
    }
    EXPECT_TRUE(fs::is_symlink(link));
    return;
  }
  AtomicFile::CheckReplaceable(link);
  Write(link, "new");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadAll(dir / "store" / "file"), "new");
  EXPECT_EQ(Entries(dir / "store"), std::vector<std::string>{"file"});
}

INSTANTIATE_TEST_SUITE_P(
    Links, AtomicFileLink,
    testing::Values(LinkCase{"ToAFile",
                             [](const fs::path& d) {
                               WriteText(d / "store" / "file", "old");
                               fs::create_symlink("store/file", d / "link");
                             },
                             0},
                    LinkCase{"ThroughTwoLinks",
                             [](const fs::path& d) {
                               WriteText(d / "store" / "file", "old");
                               fs::create_symlink("store/file", d / "hop");
                               fs::create_symlink(d / "hop", d / "link");
                             },
                             0},
                    LinkCase{"ToAFolder", [](const fs::path& d) { fs::create_symlink("store", d / "link"); },
                             ErrorNumber::PathFileAccess},
                    LinkCase{"LeadingNowhere",
                             [](const fs::path& d) { fs::create_symlink("store/missing", d / "link"); },
                             ErrorNumber::PathNotFound}),
    [](const testing::TestParamInfo<LinkCase>& test) { return std::string(test.param.name); });

TEST(AtomicFile, ALinkToAReadOnlyFileIsRefusedAsTheFileIs) {
  TempDir dir;
  WriteText(dir / "file", "old");
  fs::permissions(dir / "file", fs::perms::owner_read);
  fs::create_symlink("file", dir / "link");
  EXPECT_EQ(ErrorOf([&] { Write((dir / "link").string(), "new"); }), ErrorNumber::PermissionDenied);
  EXPECT_EQ(ReadAll(dir / "file"), "old");
}

// Only its own name's leftovers, older than a minute: another target's, a
// fresh one (another run may be writing it) and a stranger's name stay.
TEST(AtomicFile, RemovesItsOwnStaleTemporaryFiles) {
  TempDir dir;
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
  const std::vector<std::string> stale = {".quarvel-out.tga.0123456789ab.tmp"};
  const std::vector<std::string> kept = {".quarvel-other.tga.0123456789ab.tmp",
                                         ".quarvel-out.tga.0123456789ac.tmp", ".quarvel-out.tga.xyz.tmp",
                                         ".out.tga.0123456789ab.tmp"};
  for (const std::string& name : stale) WriteText(dir / name, "x");
  for (const std::string& name : kept) WriteText(dir / name, "x");
  for (const std::string& name : {stale[0], kept[0], kept[2], kept[3]}) fs::last_write_time(dir / name, old);
  Write((dir / "out.tga").string(), "new");
  for (const std::string& name : stale) EXPECT_FALSE(fs::exists(dir / name)) << name;
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir / name)) << name;
}
