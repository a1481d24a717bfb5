#include "formats/FormatTable.h"

#include <gtest/gtest.h>

#include <set>

using formats::FileKind;
using formats::FormatTable;
using formats::WriteOption;

namespace {

struct Named {
  const char* name;
  std::optional<FileKind> kind;
};

class FormatTableNames : public ::testing::TestWithParam<Named> {};

}  // namespace

// --format takes any written kind's extension without its dot, in any case.
TEST_P(FormatTableNames, NameTheWrittenKinds) {
  const formats::FileFormat* format = FormatTable::Named(GetParam().name);
  ASSERT_EQ(format != nullptr, GetParam().kind.has_value());
  if (format) {
    EXPECT_EQ(format->kind, *GetParam().kind);
  }
}

INSTANTIATE_TEST_SUITE_P(Names, FormatTableNames,
                         ::testing::Values(Named{"tga", FileKind::Targa}, Named{"TGA", FileKind::Targa},
                                           Named{"jpg", FileKind::Jpeg}, Named{"jpeg", FileKind::Jpeg},
                                           Named{"png", FileKind::Png}, Named{"Png", FileKind::Png},
                                           Named{"gif", std::nullopt}, Named{"bmp", std::nullopt},
                                           Named{".png", std::nullopt}, Named{"", std::nullopt},
                                           Named{"pn", std::nullopt}));

TEST(FormatTableTest, EveryKindIsListedOnceWithAnExtensionAndADialogPattern) {
  std::set<FileKind> kinds;
  std::set<std::string_view> extensions;
  for (const formats::FileFormat& format : FormatTable::All()) {
    EXPECT_TRUE(kinds.insert(format.kind).second) << format.title;
    EXPECT_EQ(&FormatTable::Of(format.kind), &format);
    ASSERT_FALSE(format.extensions.empty()) << format.title;
    for (std::string_view extension : format.extensions) {
      EXPECT_TRUE(extensions.insert(extension).second) << extension;
      EXPECT_EQ(extension.front(), '.');
    }
    EXPECT_EQ(format.dialogPattern.substr(0, 2), "*.");
    EXPECT_TRUE(format.reads || format.writes) << format.title;
  }
}

struct Wrong {
  WriteOption option;
  const char* words;
};

class FormatTableWrongOptions : public ::testing::TestWithParam<Wrong> {};

TEST_P(FormatTableWrongOptions, NameEveryKindThatTakesTheOption) {
  EXPECT_EQ(FormatTable::WrongOption(GetParam().option), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Options, FormatTableWrongOptions,
    ::testing::Values(Wrong{WriteOption::RunLength, "--rle applies to Targa output only"},
                      Wrong{WriteOption::Quality, "--quality applies to JPEG output only"},
                      Wrong{WriteOption::ByteBudget, "--max-bytes applies to JPEG output only"}));

// The window's dialogs keep their words; the open dialog lists every kind read.
TEST(FormatTableTest, GivesTheWindowsFiltersAndNames) {
  EXPECT_EQ(FormatTable::OpenFilter(),
            "Images (*.JPG *.BMP *.GIF *.PNG)|*.JPG;*.BMP;*.GIF;*.PNG|All Files (*.*)|*.*");
  EXPECT_EQ(FormatTable::Of(FileKind::Jpeg).DialogExtension(), "JPG");
  EXPECT_EQ(FormatTable::SaveFilter(FileKind::Jpeg, '|'), "JPEG Files (*.JPG)|*.JPG|");
  EXPECT_EQ(FormatTable::SaveFilter(FileKind::Targa, '\0'), std::string("Targa (*.tga)\0*.tga\0", 20));
  EXPECT_EQ(FormatTable::WrittenExtensions(), ".tga, .jpg, .jpeg or .png");
  EXPECT_EQ(FormatTable::WrittenNames(), "tga, jpg or png");
  EXPECT_EQ(FormatTable::WithExtension("map", FileKind::Png), "map.png");
  EXPECT_EQ(FormatTable::WithExtension("map.PNG", FileKind::Png), "map.PNG");
  EXPECT_EQ(FormatTable::WithExtension("map.jpeg", FileKind::Jpeg), "map.jpeg");
  EXPECT_EQ(FormatTable::WithExtension("map.tga.bak", FileKind::Targa), "map.tga.bak.tga");
}
