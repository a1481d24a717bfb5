#include "cli/ProgressLine.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

struct LineCase {
  const char* name;
  size_t total;
  std::function<void(ProgressLine&)> steps;
  const char* written;
};

class ProgressLineWrites : public testing::TestWithParam<LineCase> {};

}  // namespace

TEST_P(ProgressLineWrites, WhatTheTerminalGets) {
  std::ostringstream out;
  ProgressLine line(out, GetParam().total);
  GetParam().steps(line);
  EXPECT_EQ(out.str(), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressLineWrites,
    testing::Values(
        // A single picture shows how far it has got alone, and the same percent once.
        LineCase{"OnePicture", 1,
                 [](ProgressLine& l) {
                   l.ShowPart("map.png", 0.421);
                   l.ShowPart("map.png", 0.425);
                   l.ShowPart("map.png", 1.0);
                   l.Finish();
                 },
                 "\rquarvel: map.png 42%\rquarvel: map.png 100%\n"},
        // A name that could rewrite the terminal is escaped, as in a failure's line.
        LineCase{"EscapedName", 1, [](ProgressLine& l) { l.ShowPart("\x1B[2J.png", 0.5); },
                 "\rquarvel: \"\\033[2J.png\" 50%"},
        // In a batch it follows the count; a shorter line wipes what the longer one left.
        LineCase{"Batch", 3,
                 [](ProgressLine& l) {
                   l.Show(0, 0);
                   l.ShowPart("a.jpg", 0.5);
                   l.Show(1, 0);
                 },
                 "\rquarvel: 0 of 3 done, 0 failed\rquarvel: 0 of 3 done, 0 failed, a.jpg 50%"
                 "\rquarvel: 1 of 3 done, 0 failed, a.jpg 50%"},
        // With nothing shown yet a failure is a plain line, as when no terminal counts.
        LineCase{"PlainLineFirst", 1,
                 [](ProgressLine& l) {
                   l.Print("a.jpg: not found");
                   l.Finish();
                 },
                 "a.jpg: not found\n"},
        LineCase{"LineAboveTheCounter", 2,
                 [](ProgressLine& l) {
                   l.Show(1, 1);
                   l.Print("b: x");
                 },
                 "\rquarvel: 1 of 2 done, 1 failed\rb: x                          \n\rquarvel: 1 of 2 done, "
                 "1 failed"}),
    [](const testing::TestParamInfo<LineCase>& test) { return test.param.name; });
