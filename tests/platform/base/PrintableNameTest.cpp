#include "platform/base/PrintableName.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/base/LibraryMessages.h"

using platform::LibraryMessages;
using platform::PrintableName;

namespace {

struct NameCase {
  const char* name;
  std::string raw;
  std::string shown;
};

class PrintableNameOf : public testing::TestWithParam<NameCase> {};

}  // namespace

TEST_P(PrintableNameOf, EscapesWhatATerminalWouldObey) {
  EXPECT_EQ(PrintableName::Of(GetParam().raw), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PrintableNameOf,
    testing::Values(NameCase{"Plain", "photo 1.jpg", "photo 1.jpg"},
                    NameCase{"Utf8", "\xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\x85.jpg",
                             "\xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\x85.jpg"},
                    NameCase{"Escape", "\x1B[2Jx.jpg", "\"\\033[2Jx.jpg\""},
                    NameCase{"LineBreakAndTab", "a\nb\tc", "\"a\\nb\\tc\""},
                    NameCase{"QuoteAndBackslashOnceQuoted", "\x7F\"\\", "\"\\177\\\"\\\\\""},
                    NameCase{"C1Control",
                             "a\xC2\x9B"
                             "31m",
                             "\"a\\302\\23331m\""},
                    NameCase{"NoUtf8", "\xFF\xC3(", "\"\\377\\303(\""},
                    NameCase{"Overlong", "\xC0\xAF", "\"\\300\\257\""},
                    NameCase{"Surrogate", "\xED\xA0\x80", "\"\\355\\240\\200\""},
                    NameCase{"CutShort", "x\xE2\x82", "\"x\\342\\202\""}),
    [](const testing::TestParamInfo<NameCase>& test) { return std::string(test.param.name); });

TEST(PrintableName, ALineIsEscapedUnquoted) {
  EXPECT_EQ(PrintableName::Line("a \"b\"\x1B\\"), "a \"b\"\\033\\");
}

TEST(LibraryMessages, ACaptureKeepsOnlyItsOwnThreadsLines) {
  const LibraryMessages::Capture said;
  LibraryMessages::Note("qt.gui.imageio", "first");
  std::thread([] { LibraryMessages::Note("elsewhere", "not ours"); }).join();
  {
    const LibraryMessages::Capture inner;
    LibraryMessages::Note("", "inner");
    EXPECT_EQ(inner.Explanation(), "inner");
  }
  LibraryMessages::Note("libpng", "last");
  ASSERT_EQ(said.Lines().size(), 2u);
  EXPECT_EQ(said.Lines()[0].Full(), "qt.gui.imageio: first");
  EXPECT_EQ(said.Explanation(), "last");
}
