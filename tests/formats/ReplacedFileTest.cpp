// Both writers replace a file the same way: the new file takes the old one's
// owner and permission bits before it takes its place, and nothing is done
// by name afterwards, so a link swapped in at that moment leads nowhere.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "formats/tga/SaveTGA.h"
#include "imaging/cDIBSection.h"
#include "platform/base/AtomicFile.h"
#include "platform/gdi/MemorySurface.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;
using platform::AtomicFile;

namespace {

enum class Writer { Targa, Jpeg };

void Save(Writer writer, const fs::path& path) {
  if (writer == Writer::Targa) {
    gdi::MemorySurface surface(6, 4);
    SaveTGA().SaveTGAinFile(path.string(), surface, true);
    return;
  }
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(6, 4));
  mIntelJPEGLibrary::SaveJPEGinFile(dib, path.string(), 80);
}

struct stat LinkStat(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void SetTimes(const fs::path& path, time_t accessed, time_t modified) {
  const timespec times[2] = {{accessed, 0}, {modified, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// What the other user does the moment the new file is in place: moves it
// aside and puts a link to a file of theirs in its stead.
struct Swap {
  static inline fs::path target, aside, victim;
  static inline mode_t modeAtRename = 0;
  static void Run(const std::string& path) {
    modeAtRename = LinkStat(path).st_mode & 07777;
    fs::rename(path, aside);
    fs::create_symlink(victim, target);
  }
};

class ReplacedFile : public ::testing::TestWithParam<Writer> {
 protected:
  void TearDown() override { AtomicFile::SetRenameHook(nullptr); }
  TempDir dir_;
};

}  // namespace

TEST_P(ReplacedFile, APrivateFileStaysPrivate) {
  const fs::path path = dir_ / "p.out";
  std::ofstream(path) << "old";
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  const mode_t saved = umask(022);
  Save(GetParam(), path);
  umask(saved);
  EXPECT_EQ(LinkStat(path).st_mode & 07777, 0600u);
  EXPECT_NE(ReadAll(path), "old");
}

TEST_P(ReplacedFile, KeepsItsOwnerAndGroupWhereTheSystemAllows) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file away";
  const fs::path path = dir_ / "shared.out";
  std::ofstream(path) << "old";
  ASSERT_EQ(chown(path.c_str(), 4321, 8765), 0);
  Save(GetParam(), path);
  EXPECT_EQ(LinkStat(path).st_uid, 4321u);
  EXPECT_EQ(LinkStat(path).st_gid, 8765u);
}

TEST_P(ReplacedFile, ALinkSwappedInAtTheRenameIsNeverFollowed) {
  Swap::target = dir_ / "out";
  Swap::aside = dir_ / "written";
  Swap::victim = dir_ / "victim";
  std::ofstream(Swap::victim) << "someone else's";
  ASSERT_EQ(chmod(Swap::victim.c_str(), 0644), 0);
  SetTimes(Swap::victim, 1000000000, 1100000000);
  std::ofstream(Swap::target) << "old";
  ASSERT_EQ(chmod(Swap::target.c_str(), 0600), 0);
  SetTimes(Swap::target, 1200000000, 1300000000);

  AtomicFile::SetRenameHook(&Swap::Run);
  Save(GetParam(), Swap::target);

  const struct stat victim = LinkStat(Swap::victim);
  EXPECT_EQ(victim.st_mode & 07777, 0644u);
  EXPECT_EQ(victim.st_atim.tv_sec, 1000000000);
  EXPECT_EQ(victim.st_mtim.tv_sec, 1100000000);
  EXPECT_EQ(ReadAll(Swap::victim), "someone else's");
  // The new file had its bits before it took the old one's place.
  EXPECT_EQ(Swap::modeAtRename, 0600u);
  const struct stat written = LinkStat(Swap::aside);
  EXPECT_EQ(written.st_mode & 07777, 0600u);
  if (GetParam() == Writer::Jpeg) {
    EXPECT_EQ(written.st_mtim.tv_sec, 1300000000);
  }
}

INSTANTIATE_TEST_SUITE_P(BothWriters, ReplacedFile, ::testing::Values(Writer::Targa, Writer::Jpeg),
                         [](const auto& writer) { return writer.param == Writer::Targa ? "Targa" : "Jpeg"; });
