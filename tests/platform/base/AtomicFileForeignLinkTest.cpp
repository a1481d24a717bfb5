#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/base/AppError.h"
#include "platform/base/AtomicFile.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;
using platform::AppError;
using platform::AtomicFile;
namespace ErrorNumber = platform::ErrorNumber;

namespace {

// Nobody this machine knows: a stranger who plants links.
constexpr uid_t kStranger = 54321;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

void Link(const fs::path& leadsTo, const fs::path& link, uid_t owner) {
  fs::create_symlink(leadsTo, link);
  ASSERT_EQ(lchown(link.c_str(), owner, owner), 0);
}

struct ForeignCase {
  const char* name;
  // The folder the write goes into: 1777 and root's like the shared
  // temporary folder, or the stranger's own.
  mode_t folderMode;
  uid_t folderOwner;
  uid_t linkOwner;
  // The link stands for a folder on the way rather than for the file.
  bool folderLink;
  bool refused;
};

const ForeignCase kForeignCases[] = {
    {"StrangersLinkInSharedFolder", 01777, 0, kStranger, false, true},
    {"StrangersLinkInStrangersFolder", 0755, kStranger, kStranger, false, true},
    {"StrangersFolderLinkOnTheWay", 01777, 0, kStranger, true, true},
    {"RootsLinkInStrangersFolder", 0755, kStranger, 0, false, false},
    {"OwnLinkInSharedFolder", 01777, 0, 0, false, false},
};

class ForeignLinkTest : public testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignLinkTest, FollowsOnlyTheUsersOwnOrRootsLinks) {
  if (geteuid() != 0) GTEST_SKIP() << "links of a second user can only be made as root";
  const ForeignCase& c = GetParam();
  TempDir dir;
  const fs::path shared = dir / "shared", secrets = dir / "secrets";
  fs::create_directory(shared);
  fs::create_directory(secrets);
  ASSERT_EQ(chmod(secrets.c_str(), 0700), 0);
  WriteText(secrets / "private", "root's own");
  ASSERT_EQ(chmod((secrets / "private").c_str(), 0600), 0);
  fs::path out = shared / "out.tga";
  if (c.folderLink) {
    Link(secrets, shared / "there", c.linkOwner);
    out = shared / "there" / "private";
  } else {
    Link(secrets / "private", out, c.linkOwner);
  }
  ASSERT_EQ(chown(shared.c_str(), c.folderOwner, c.folderOwner), 0);
  ASSERT_EQ(chmod(shared.c_str(), c.folderMode), 0);

  if (!c.refused) {
    AtomicFile file(out.string());
    file.Write({reinterpret_cast<const uint8_t*>("new"), 3});
    file.Commit();
    EXPECT_EQ(ReadAll(secrets / "private"), "new");
    return;
  }
  for (bool checkOnly : {true, false}) {
    SCOPED_TRACE(checkOnly ? "check" : "write");
    try {
      if (checkOnly) {
        AtomicFile::CheckReplaceable(out.string());
      } else {
        AtomicFile file(out.string());
        file.Write({reinterpret_cast<const uint8_t*>("new"), 3});
        file.Commit();
      }
      ADD_FAILURE() << "followed the stranger's link";
    } catch (const AppError& e) {
      EXPECT_EQ(e.Number(), ErrorNumber::PermissionDenied) << e.Description();
      EXPECT_NE(e.Reason().find("belongs to another user (user 54321)"), std::string::npos) << e.Reason();
      EXPECT_EQ(e.Reason().find('\n'), std::string::npos);
    }
  }
  EXPECT_EQ(ReadAll(secrets / "private"), "root's own");
  EXPECT_EQ(std::distance(fs::directory_iterator(secrets), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Links, ForeignLinkTest, testing::ValuesIn(kForeignCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
