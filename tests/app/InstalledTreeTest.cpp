#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "ToolRun.h"
#include "cli/CommandLine.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;

// What `cmake --install` puts into a fresh prefix, seen as a desktop, a
// software centre, man and bash see it.

namespace {

std::string Slurp(const fs::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class InstalledTree : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new TempDir;
    const ToolRun install = ToolRun::Shell(ToolRun::ShellQuoted(CMAKE_COMMAND) + " --install " +
                                               ToolRun::ShellQuoted(QUARVEL_BUILD_DIR) + " --prefix prefix",
                                           scratch_->Path());
    ASSERT_EQ(install.status, 0) << install.out << install.err;
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }

  static fs::path Prefix() { return scratch_->Path() / "prefix"; }
  static ToolRun Run(const std::string& command) { return ToolRun::Shell(command, scratch_->Path()); }

  // Every long option the usage names, such as "--out-dir".
  static std::set<std::string> UsageOptions() {
    const std::string usage = CommandLine::Usage();
    const std::regex option("--[a-z][a-z-]*");
    std::set<std::string> options;
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option); it != std::sregex_iterator();
         ++it)
      options.insert(it->str());
    return options;
  }

  static inline TempDir* scratch_ = nullptr;
};

class InstalledIcon : public InstalledTree, public testing::WithParamInterface<int> {};

}  // namespace

TEST_P(InstalledIcon, IsThereAtItsSize) {
  const int size = GetParam();
  const fs::path path = Prefix() / "share/icons/hicolor" /
                        (std::to_string(size) + "x" + std::to_string(size)) / "apps/quarvel.png";
  EXPECT_EQ(QImage(QString::fromStdString(path.string())).size(), QSize(size, size)) << path;
}

INSTANTIATE_TEST_SUITE_P(Sizes, InstalledIcon, testing::Values(16, 24, 32, 48, 64, 128, 256));

TEST_F(InstalledTree, HasTheProgramAndAScalableIcon) {
  EXPECT_EQ(fs::status(Prefix() / "bin/quarvel").permissions() & fs::perms::owner_exec,
            fs::perms::owner_exec);
  const std::string svg = Slurp(Prefix() / "share/icons/hicolor/scalable/apps/quarvel.svg");
  EXPECT_TRUE(svg.starts_with("<svg xmlns=\"http://www.w3.org/2000/svg\"")) << svg;
  EXPECT_NE(svg.find("viewBox=\"0 0 32 32\""), std::string::npos);
  EXPECT_TRUE(svg.ends_with("</svg>\n"));
}

TEST_F(InstalledTree, MetainfoPassesTheSoftwareCentresCheckAndNamesThisVersion) {
  const fs::path metainfo = Prefix() / "share/metainfo/org.quarvel.quarvel.metainfo.xml";
  EXPECT_NE(Slurp(metainfo).find(std::string("<release version=\"") + QUARVEL_VERSION + "\""),
            std::string::npos)
      << "the newest release in the metainfo is not the project's version";
  if (Run("command -v appstreamcli").status != 0) GTEST_SKIP() << "appstreamcli is not installed";
  // Offline: the screenshot's address is checked for its form, not fetched.
  const ToolRun check = Run("appstreamcli validate-tree --pedantic --no-net prefix");
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  // Not even a pedantic hint, which alone would still pass.
  EXPECT_FALSE(std::regex_search(check.out, std::regex("(^|\\n)\\s*[EWIP]: "))) << check.out;
}

TEST_F(InstalledTree, ManualPageRendersWithoutWarningsAndCoversEveryOption) {
  const ToolRun man =
      Run("LC_ALL=C MANWIDTH=80 MAN_KEEP_FORMATTING= man --warnings -l prefix/share/man/man1/quarvel.1");
  ASSERT_EQ(man.status, 0) << man.err;
  EXPECT_EQ(man.err, "");
  for (const char* section :
       {"NAME", "SYNOPSIS", "THE WINDOW", "COMMANDS", "OPTIONS", "EXIT STATUS", "EXAMPLES"})
    EXPECT_NE(man.out.find(std::string("\n") + section + "\n"), std::string::npos) << section;
  EXPECT_NE(man.out.find(std::string("quarvel ") + QUARVEL_VERSION), std::string::npos);
  for (const std::string& option : UsageOptions())
    EXPECT_NE(man.out.find(option), std::string::npos) << option;
}

TEST_F(InstalledTree, BashCompletesEveryOption) {
  const std::string completion = Slurp(Prefix() / "share/bash-completion/completions/quarvel");
  EXPECT_NE(completion.find("complete -F _quarvel quarvel"), std::string::npos);
  for (const std::string& option : UsageOptions())
    EXPECT_TRUE(std::regex_search(completion, std::regex(option + "(?![a-z-])"))) << option;
  EXPECT_EQ(Run("bash -n prefix/share/bash-completion/completions/quarvel").status, 0);
}
