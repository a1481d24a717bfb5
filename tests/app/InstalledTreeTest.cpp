#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "cli/CommandLine.h"
#include "cli/ToolRun.h"
#include "formats/FormatTable.h"
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

namespace {

std::set<std::string> Matches(const std::string& text, const std::string& pattern) {
  std::set<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    found.insert((*it)[1].str());
  return found;
}

// The text from `start` up to the next `end`.
std::string Between(const std::string& text, const std::string& start, const std::string& end) {
  const size_t from = text.find(start);
  if (from == std::string::npos) return {};
  return text.substr(from, text.find(end, from + start.size()) - from);
}

std::set<std::string> WrittenExtensions(bool withDot) {
  std::set<std::string> extensions;
  for (const formats::FileFormat* format : formats::FormatTable::Written())
    for (std::string_view extension : format->extensions)
      extensions.emplace(extension.substr(withDot ? 0 : 1));
  return extensions;
}

std::set<std::string> WrittenNames() {
  std::set<std::string> names;
  for (const formats::FileFormat* format : formats::FormatTable::Written()) names.emplace(format->name);
  return names;
}

}  // namespace

// The help, the manual and bash completion list the kinds the format table
// holds: a kind added to one and not the others fails here.
TEST_F(InstalledTree, HelpManualAndCompletionListTheKindsOfTheFormatTable) {
  const std::string usage = CommandLine::Usage();
  EXPECT_EQ(Matches(Between(usage, "Output:", "Folders"), R"((?:\n  |, )(\.[a-z]+))"),
            WrittenExtensions(true));
  EXPECT_EQ(Matches(usage, R"(what --out-dir writes: ([a-z, ]+) \()"),
            std::set<std::string>{formats::FormatTable::WrittenNames()});

  const std::string manual = Slurp(Prefix() / "share/man/man1/quarvel.1");
  EXPECT_EQ(Matches(Between(manual, ".SH OUTPUT", ".PP"), R"(\n\.B (\.[a-z]+)(?=\n))"),
            WrittenExtensions(true));
  EXPECT_EQ(Matches(Between(manual, ".BI \\-\\-format", ".TP"), R"(\n\.BR? ([a-z]+)[ ,;]*(?=\n))"),
            WrittenNames());

  const std::string completion = Slurp(Prefix() / "share/bash-completion/completions/quarvel");
  std::set<std::string> completed;
  for (const std::string& list : Matches(completion, R"(_filedir '@\(([a-zA-Z|]+)\)')")) {
    for (const std::string& word : Matches(list, "([a-zA-Z]+)")) {
      std::string lower = word;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      completed.insert(lower);
    }
  }
  EXPECT_EQ(completed, WrittenExtensions(false));
  std::set<std::string> formatWords;
  for (const std::string& list :
       Matches(Between(completion, "--format)", ";;"), R"re(compgen -W "([a-z ]+)")re"))
    for (const std::string& word : Matches(list, "([a-z]+)")) formatWords.insert(word);
  EXPECT_EQ(formatWords, WrittenNames());

  // Every kind read is named where the help and the manual list what opens.
  const std::string manualText = Between(manual, "Pictures may be", "know.");
  const std::string window = Between(manual, "chooses a ", " file");
  for (const formats::FileFormat* format : formats::FormatTable::Read()) {
    const std::string title(format->title);
    EXPECT_NE(Between(usage, "Pictures:", "know.").find(title + ","), std::string::npos) << title;
    EXPECT_NE(manualText.find(title), std::string::npos) << title;
    EXPECT_NE(window.find(title), std::string::npos) << title;
  }
}
