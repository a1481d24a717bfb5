#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CommandLine.h"
#include "cli/CropJobs.h"
#include "cli/JobResult.h"
#include "cli/Manifest.h"
#include "cli/OutputName.h"
#include "cli/UsageError.h"

// The lists of jobs: their lines, each job's options over the command line's,
// the names of their outputs and the lines their ends are told in.

namespace {

using Args = std::vector<std::string>;

CropRequest Crop(const Args& args) { return std::get<CropRequest>(CommandLine::Parse(args)); }

struct LineCase {
  std::string text;
  // Part of the refusal; empty for a line that is a job.
  std::string refused = {};
  std::map<std::string, std::string> values = {};
  std::set<std::string> flags = {};
  std::set<std::string> cleared = {};
};

class ManifestLines : public testing::TestWithParam<LineCase> {};

}  // namespace

TEST_P(ManifestLines, ReadAsTheLongOptionsOrRefusedSayingWhy) {
  const LineCase& c = GetParam();
  const ManifestLine line = Manifest::Parse(7, c.text);
  EXPECT_EQ(line.number, 7u);
  if (!c.refused.empty()) {
    EXPECT_NE(line.refusal.find(c.refused), std::string::npos) << line.refusal;
    return;
  }
  EXPECT_EQ(line.refusal, "");
  EXPECT_EQ(line.options.positional, Args{"a.jpg"});
  EXPECT_EQ(line.options.values, c.values);
  EXPECT_EQ(line.options.flags, c.flags);
  EXPECT_EQ(line.options.cleared, c.cleared);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ManifestLines,
    testing::Values(LineCase{R"({"input": "a.jpg", "size": "256", "region": "all"})",
                             "",
                             {{"--size", "256"}, {"--region", "all"}}},
                    LineCase{R"({"input":"a.jpg","size":256,"output":"x.tga","rle":true})",
                             "",
                             {{"--size", "256"}, {"-o", "x.tga"}},
                             {"--rle"}},
                    LineCase{R"({"input": "a.jpg", "allow-damaged": false, "center": "-3,4"})",
                             "",
                             {{"--center", "-3,4"}},
                             {},
                             {"--allow-damaged"}},
                    LineCase{R"(  {"input": "a.jpg"}  )", ""},
                    LineCase{"not json", "not a line of JSON: parse error"},
                    LineCase{R"({"input": "a.jpg", "size": "8")", "not a line of JSON"},
                    LineCase{R"([{"input": "a.jpg"}])", "not a JSON object"},
                    LineCase{R"("a.jpg")", "not a JSON object"},
                    LineCase{R"({"size": "8"})", "the line names no \"input\""},
                    LineCase{R"({"input": ""})", "\"input\" needs a picture's file name"},
                    LineCase{R"({"input": 5})", "\"input\" needs a picture's file name"},
                    LineCase{R"({"input": "a.jpg", "sise": "8"})", "unknown name \"sise\""},
                    LineCase{R"({"input": "a.jpg", "--size": "8"})", "unknown name \"--size\""},
                    LineCase{R"({"input": "a.jpg", "o": "x.tga"})", "unknown name \"o\""},
                    LineCase{R"({"input": "a.jpg", "memory": "1M"})", "\"memory\" holds for the whole run"},
                    LineCase{R"({"input": "a.jpg", "shard": "1/2"})", "\"shard\" holds for the whole run"},
                    LineCase{R"({"input": "a.jpg", "quiet": true})", "\"quiet\" holds for the whole run"},
                    LineCase{R"({"input": "a.jpg", "rle": "yes"})", "\"rle\" is true or false"},
                    LineCase{R"({"input": "a.jpg", "size": 1.5})", "\"size\" needs a text"},
                    LineCase{R"({"input": "a.jpg", "size": true})", "\"size\" needs a text"},
                    LineCase{R"({"input": "a.jpg", "size": null})", "\"size\" needs a text"}));

TEST(Manifest, CountsBlankLinesAndLeavesThemOut) {
  std::istringstream text("{\"input\": \"a\"}\n\n   \r\n{\"input\": \"b\"}\nnope");
  const std::vector<ManifestLine> lines = Manifest::Read(text);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].number, 1u);
  EXPECT_EQ(lines[1].number, 4u);
  EXPECT_EQ(lines[1].input, "b");
  EXPECT_EQ(lines[2].number, 5u);
  EXPECT_NE(lines[2].refusal, "");
}

namespace {

struct JobCase {
  Args defaults;
  std::string line;
  // Part of the UsageError; empty for a job that runs.
  std::string refused = {};
  int32_t width = 0;
  Placement placement = Placement::Center;
  bool whole = false;
  std::string outputFile = {};
  std::string outputDir = {};
  int32_t quality = kDefaultJpegQuality;
  int64_t maxBytes = 0;
  bool rle = false;
};

class ManifestJobs : public testing::TestWithParam<JobCase> {};

const Args kFrom = {"crop", "--from", "jobs.jsonl"};

Args With(Args more) {
  Args args = kFrom;
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

}  // namespace

TEST_P(ManifestJobs, TakeTheCommandLinesOptionsAsDefaults) {
  const JobCase& c = GetParam();
  const CropRequest run = Crop(c.defaults);
  const ManifestLine line = Manifest::Parse(1, c.line);
  ASSERT_EQ(line.refusal, "");
  if (!c.refused.empty()) {
    try {
      CommandLine::ParseJob(run.lineDefaults, line.options);
      FAIL() << "no UsageError";
    } catch (const UsageError& e) {
      EXPECT_NE(std::string(e.what()).find(c.refused), std::string::npos) << e.what();
    }
    return;
  }
  const CropRequest job = CommandLine::ParseJob(run.lineDefaults, line.options);
  EXPECT_EQ(job.pictures, Args{"a.jpg"});
  EXPECT_EQ(job.width, c.width);
  EXPECT_EQ(job.region.whole, c.whole);
  if (!c.whole) {
    EXPECT_EQ(job.placement.mode, c.placement);
  }
  EXPECT_EQ(job.outputFile, c.outputFile);
  EXPECT_EQ(job.outputDir, c.outputDir);
  EXPECT_EQ(job.write.quality, c.quality);
  EXPECT_EQ(job.write.maxBytes, c.maxBytes);
  EXPECT_EQ(job.write.rle, c.rle);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, ManifestJobs,
    testing::Values(
        // The command line's options hold where the line says nothing.
        JobCase{With({"--size", "64", "--center", "1,2", "--out-dir", "d", "--rle"}), R"({"input": "a.jpg"})",
                "", 64, Placement::Center, false, "", "d", kDefaultJpegQuality, 0, true},
        JobCase{With({"--size", "64", "--center", "1,2"}), R"({"input": "a.jpg", "size": "32"})", "", 32,
                Placement::Center, false, "", "."},
        // Options that stand for each other: the line's replaces the default.
        JobCase{With({"--size", "8", "--center", "1,2"}), R"({"input": "a.jpg", "origin": "0,0"})", "", 8,
                Placement::Origin, false, "", "."},
        JobCase{With({"--size", "8", "--center", "1,2"}), R"({"input": "a.jpg", "region": "all"})", "", 8,
                Placement::Center, true, "", "."},
        JobCase{With({"--size", "8", "--region", "all"}), R"({"input": "a.jpg", "center": "5,5"})", "", 8,
                Placement::Center, false, "", "."},
        JobCase{With({"--size", "8", "--region", "all", "--out-dir", "d", "--name", "{n}"}),
                R"({"input": "a.jpg", "output": "x.jpg"})", "", 8, Placement::Center, true, "x.jpg", ""},
        JobCase{With({"--size", "8", "--region", "all", "-o", "x.jpg", "--quality", "70"}),
                R"({"input": "a.jpg", "max-bytes": "2k"})", "", 8, Placement::Center, true, "x.jpg", "",
                kDefaultJpegQuality, 2048},
        JobCase{With({"--size", "8", "--region", "all", "-o", "x.jpg", "--max-bytes", "2k"}),
                R"({"input": "a.jpg", "quality": 40})", "", 8, Placement::Center, true, "x.jpg", "", 40},
        JobCase{With({"--size", "8", "--region", "all", "--rle"}), R"({"input": "a.jpg", "rle": false})", "",
                8, Placement::Center, true, "", "."},
        // What the command line refuses, a line is refused.
        JobCase{With({"--size", "8", "--region", "all"}), R"({"input": "a.jpg", "size": "0"})", "bad size"},
        JobCase{With({"--region", "all"}), R"({"input": "a.jpg"})", "crop needs --size"},
        JobCase{With({"--size", "8", "--region", "all"}), R"({"input": "a.jpg", "quality": 50})",
                "--quality applies to JPEG output only"},
        JobCase{With({"--size", "8", "--region", "all"}),
                R"({"input": "a.jpg", "region": "all", "origin": "1,1"})",
                "--region all centres the region itself"},
        JobCase{With({"--size", "8", "--region", "all"}), R"({"input": "a.jpg", "name": "{nope}"})",
                "--name knows no {nope}"},
        JobCase{With({"--size", "8", "--region", "all"}), R"({"input": "a.jpg", "format": "webp"})",
                "unknown --format \"webp\""}));

namespace {

struct NameCase {
  std::string pattern;
  std::string input;
  RegionSize region;
  OutputFormat format;
  std::string name;
};

class OutputNames : public testing::TestWithParam<NameCase> {};

}  // namespace

TEST_P(OutputNames, FillTheTemplatesFields) {
  const NameCase& c = GetParam();
  EXPECT_NO_THROW(OutputName::Check(c.pattern.empty() ? "{stem}" : c.pattern));
  EXPECT_EQ(OutputName::Expand(c.pattern, {c.input, 7, 256, 128, c.region}, c.format), c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Names, OutputNames,
    testing::Values(
        NameCase{"", "maps/photo.jpg", {}, OutputFormat::Targa, "photo.tga"},
        // The picture's own name never chooses the format.
        NameCase{"", "photo.jpg.bmp", {}, OutputFormat::Targa, "photo.jpg.tga"},
        NameCase{"{stem}", "photo.jpg.bmp", {}, OutputFormat::Jpeg, "photo.jpg.jpg"},
        NameCase{"{stem}-{ext}", "a.bmp", {}, OutputFormat::Jpeg, "a-bmp.jpg"},
        NameCase{"{stem}.{ext}", "noext", {}, OutputFormat::Targa, "noext..tga"},
        NameCase{"{n}_{size}_{region}.jpg", "a.bmp", {true, 0, 0}, OutputFormat::Targa, "7_256x128_all.jpg"},
        NameCase{"{region}", "a.bmp", {false, 512, 256}, OutputFormat::Targa, "512x256.tga"},
        NameCase{"{region}", "a.bmp", {false, 0, 0}, OutputFormat::Targa, "256x128.tga"},
        NameCase{"{stem}", "-", {}, OutputFormat::Targa, "stdin.tga"},
        NameCase{"map {n}.TGA", "a.bmp", {}, OutputFormat::Jpeg, "map 7.TGA"}));

TEST(OutputName, RefusesWhatItCantFill) {
  for (const std::string pattern : {"", "{foo}", "{stem", "stem}", "{}", "d/{stem}", "{Stem}"}) {
    EXPECT_THROW(OutputName::Check(pattern), UsageError) << pattern;
  }
}

namespace {

struct ShardCase {
  std::string text;
  // The jobs of 1 to 10 it takes; empty when it is refused.
  std::vector<size_t> taken;
};

class Shards : public testing::TestWithParam<ShardCase> {};

}  // namespace

TEST_P(Shards, TakeEveryMthJobFromTheNth) {
  const ShardCase& c = GetParam();
  const Args args = {"crop", "a.jpg", "--size", "8", "--origin", "0,0", "--shard", c.text};
  if (c.taken.empty()) {
    EXPECT_THROW(Crop(args), UsageError);
    return;
  }
  const Shard shard = Crop(args).shard;
  std::vector<size_t> taken;
  for (size_t job = 1; job <= 10; ++job) {
    if (shard.Takes(job)) taken.push_back(job);
  }
  EXPECT_EQ(taken, c.taken);
}

INSTANTIATE_TEST_SUITE_P(Shards, Shards,
                         testing::Values(ShardCase{"1/1", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
                                         ShardCase{"1/4", {1, 5, 9}}, ShardCase{"2/4", {2, 6, 10}},
                                         ShardCase{"4/4", {4, 8}}, ShardCase{"3/20", {3}},
                                         ShardCase{"0/4", {}}, ShardCase{"5/4", {}}, ShardCase{"1/0", {}},
                                         ShardCase{"2", {}}, ShardCase{"/4", {}}, ShardCase{"1/4x", {}},
                                         ShardCase{"-1/4", {}}));

namespace {

std::vector<CropJob> Plan(const Args& args, const std::string& manifest) {
  std::istringstream text(manifest);
  return CropJobs::Plan(Crop(args), &text);
}

std::string RefusalOf(const std::vector<CropJob>& jobs, size_t number) {
  for (const CropJob& job : jobs) {
    if (job.number == number) return job.refusal;
  }
  return "no such job";
}

}  // namespace

TEST(CropJobs, AShardNamesAndChecksItsJobsAsTheWholeRunDoes) {
  std::string manifest;
  for (int i = 1; i <= 10; ++i) manifest += R"({"input": "p)" + std::to_string(i) + R"(.bmp"})" + "\n";
  const std::vector<CropJob> jobs = Plan(
      With({"--size", "8", "--region", "all", "--out-dir", "o", "--name", "{n}-{stem}", "--shard", "2/4"}),
      manifest);
  ASSERT_EQ(jobs.size(), 3u);
  EXPECT_EQ(jobs[0].output, "o/2-p2.tga");
  EXPECT_EQ(jobs[1].output, "o/6-p6.tga");
  EXPECT_EQ(jobs[2].output, "o/10-p10.tga");
  // A clash between jobs of other shards is still refused by this one.
  EXPECT_THROW(Plan(With({"--size", "8", "--region", "all", "--name", "same", "--shard", "2/4"}), manifest),
               UsageError);
}

TEST(CropJobs, OneJobAtMostReadsOrWritesEachStandardStream) {
  const std::string manifest = R"({"input": "-", "output": "-"})"
                               "\n"
                               R"({"input": "-", "output": "b.tga"})"
                               "\n"
                               R"({"input": "c.bmp", "output": "-"})"
                               "\n";
  const std::vector<CropJob> jobs =
      Plan(With({"--size", "8", "--region", "all", "--format", "tga"}), manifest);
  EXPECT_EQ(RefusalOf(jobs, 1), "");
  EXPECT_EQ(RefusalOf(jobs, 2), "standard input is read by line 1 (-) already");
  EXPECT_EQ(RefusalOf(jobs, 3), "standard output is written by line 1 (-) already");

  const std::vector<CropJob> fromStdin =
      Plan({"crop", "--from", "-", "--size", "8", "--region", "all", "--format", "tga", "--results", "-"},
           manifest);
  EXPECT_NE(RefusalOf(fromStdin, 1).find("standard input holds the jobs' list"), std::string::npos);
  EXPECT_NE(RefusalOf(fromStdin, 3).find("standard output takes the results"), std::string::npos);
}

TEST(CropJobs, WithoutANameTheLaterOfTwoJobsOnOneOutputIsRefused) {
  const std::vector<CropJob> jobs =
      Plan(With({"--size", "8", "--region", "all"}), R"({"input": "a/x.bmp"})"
                                                     "\n"
                                                     R"({"input": "b/x.jpg"})"
                                                     "\n"
                                                     R"({"input": "c.bmp", "output": "d.tga"})"
                                                     "\n"
                                                     R"({"input": "d.tga", "output": "e.tga"})");
  EXPECT_EQ(RefusalOf(jobs, 1), "");
  EXPECT_EQ(RefusalOf(jobs, 2), "its crop would replace that of a/x.bmp in ./x.tga");
  EXPECT_EQ(RefusalOf(jobs, 3), "the output d.tga is one of the pictures being cropped");
  EXPECT_EQ(RefusalOf(jobs, 4), "");
}

TEST(JobResult, IsOneJsonLineWithNullForWhatIsNotKnown) {
  JobResult failed;
  failed.number = 3;
  failed.input = std::string("caf\xe9\n.bmp");
  failed.reason = "not found";
  failed.milliseconds = 1.23456;
  const std::string line = failed.Json();
  EXPECT_EQ(line.find('\n'), std::string::npos);
  const nlohmann::json read = nlohmann::json::parse(line);
  EXPECT_EQ(read["line"], 3);
  EXPECT_EQ(read["input"], "caf\xef\xbf\xbd\n.bmp");
  EXPECT_TRUE(read["output"].is_null());
  EXPECT_EQ(read["status"], "failed");
  EXPECT_TRUE(read["width"].is_null());
  EXPECT_TRUE(read["quality"].is_null());
  EXPECT_DOUBLE_EQ(read["ms"].get<double>(), 1.235);

  JobResult written = failed;
  written.status = JobResult::Status::Written;
  written.reason.clear();
  written.width = 256;
  written.height = 128;
  written.bytes = 9000;
  written.quality = 85;
  const nlohmann::json back = nlohmann::json::parse(written.Json());
  EXPECT_EQ(back["status"], "written");
  EXPECT_TRUE(back["reason"].is_null());
  EXPECT_EQ(back["width"], 256);
  EXPECT_EQ(back["height"], 128);
  EXPECT_EQ(back["bytes"], 9000);
  EXPECT_EQ(back["quality"], 85);
}
