#include "core/CropCommand.h"

#include <gtest/gtest.h>

namespace {

struct CommandCase {
  FixedCrop crop;
  const char* command;
};

class CropCommandText : public testing::TestWithParam<CommandCase> {};

TEST_P(CropCommandText, NamesWhatDiffersFromTheDefaults) {
  EXPECT_EQ(CropCommand::For(GetParam().crop), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Crops, CropCommandText,
    testing::Values(
        CommandCase{{"/maps/a.png", 256, 256, 256, 256, 96, 32, {}},
                    "quarvel crop '/maps/a.png' --size 256 --origin 96,32"},
        CommandCase{{"/maps/a.png", 256, 128, 256, 128, -28, 0, {}},
                    "quarvel crop '/maps/a.png' --size 256x128 --origin -28,0"},
        CommandCase{{"/maps/a.png", 256, 256, 1024, 1024, 96, 32, {}},
                    "quarvel crop '/maps/a.png' --size 256 --region 1024 --origin 96,32"},
        CommandCase{{"/m/b.bmp", 128, 64, 512, 256, 0, 16, {ReduceMethod::Majority, false}},
                    "quarvel crop '/m/b.bmp' --size 128x64 --region 512x256 --origin 0,16 --reduce majority"},
        CommandCase{{"/m/b.bmp", 128, 128, 300, 300, 1, 2, {ReduceMethod::Area, true}},
                    "quarvel crop '/m/b.bmp' --size 128 --region 300 --origin 1,2 --linear"},
        // A cut alone has nothing to reduce.
        CommandCase{{"/m/b.bmp", 128, 128, 128, 128, 1, 2, {ReduceMethod::Nearest, false}},
                    "quarvel crop '/m/b.bmp' --size 128 --origin 1,2"},
        CommandCase{{"-x.png", 8, 8, 8, 8, 0, 0, {}}, "quarvel crop './-x.png' --size 8 --origin 0,0"}));

struct QuoteCase {
  const char* text;
  const char* quoted;
};

class CropCommandQuote : public testing::TestWithParam<QuoteCase> {};

TEST_P(CropCommandQuote, LeavesTheShellNothingToExpand) {
  EXPECT_EQ(CropCommand::ShellQuoted(GetParam().text), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(Names, CropCommandQuote,
                         testing::Values(QuoteCase{"plain", "'plain'"}, QuoteCase{"", "''"},
                                         QuoteCase{"it's", "'it'\\''s'"},
                                         QuoteCase{"$HOME `x` \"y\" *", "'$HOME `x` \"y\" *'"},
                                         QuoteCase{"a\nb", "'a\nb'"}, QuoteCase{"''", "''\\'''\\'''"}));

}  // namespace
