#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "TestPictures.h"
#include "ToolRun.h"
#include "support/pure/TempDir.h"

// Lists of jobs, their results, re-runs, shards and pipes, through the program itself.

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Spill(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::vector<Json> ResultLines(const std::string& text) {
  std::vector<Json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(Json::parse(line));
  return lines;
}

// Every file under `folder`, by its name there, with its bytes.
std::map<std::string, std::string> Files(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).string()] = Slurp(entry.path());
  }
  return files;
}

// The program's folder first on the PATH, as once it is installed.
std::string WithProgramOnPath(const std::string& command) {
  return "PATH=" + ToolRun::ShellQuoted(fs::path(QUARVEL_BINARY).parent_path().string()) + ":\"$PATH\"; " +
         command;
}

class CommandLineManifest : public testing::Test {
 protected:
  void Picture(const std::string& name, int width, int height, const char* format = "BMP") {
    TestPictures::Save(TestPictures::Pattern(width, height), dir / name, format);
  }

  TempDir dir;
};

struct LineCase {
  std::string line;
  // "written" or "failed", and part of the reason for a failure.
  std::string status;
  std::string reason;
  std::string output;
};

const std::vector<LineCase> kMixed = {
    {R"({"input": "p.bmp", "size": "16", "origin": "0,0"})", "written", "", "out/p.tga"},
    {R"({"input": "p.bmp", "size": 24, "output": "jpegs/p.jpg", "quality": 70})", "written", "",
     "jpegs/p.jpg"},
    {R"({"input": "missing.bmp"})", "failed", "missing.bmp: not found", ""},
    {R"({"input": "q.bmp", "name": "{stem}-{size}", "region": "64x64", "center": "10,10"})", "written", "",
     "out/q-32x32.tga"},
    {R"({"input": "q.bmp", "size": "0"})", "failed", "bad size \"0\"", ""},
    {R"({"input": "q.bmp", "sise": "8"})", "failed", "unknown name \"sise\"", ""},
    {R"({"input": "q.bmp", "memory": "1k"})", "failed", "holds for the whole run", ""},
    {R"({"input": "q.bmp")", "failed", "not a line of JSON", ""},
    {"", "", "", ""},
    {R"(["q.bmp"])", "failed", "not a JSON object", ""},
    {R"({"input": "q.bmp", "name": "{stem}.jpg", "max-bytes": "40k", "region": "all"})", "written", "",
     "out/q.jpg"},
};

}  // namespace

TEST_F(CommandLineManifest, EveryLineHasOneResultTheGoodOnesAreWrittenAndTheStatusIsOne) {
  Picture("p.bmp", 80, 60);
  Picture("q.bmp", 120, 90);
  std::string manifest;
  for (const LineCase& c : kMixed) manifest += c.line + "\n";
  Spill(dir / "jobs.jsonl", manifest);
  const ToolRun run = ToolRun::Binary({"crop", "--from", "jobs.jsonl", "--size", "32", "--center", "40,30",
                                       "--out-dir", "out", "--results", "r.jsonl"},
                                      dir.Path());
  EXPECT_EQ(run.status, 1) << run.err;

  std::map<size_t, Json> byLine;
  for (const Json& result : ResultLines(Slurp(dir / "r.jsonl"))) {
    const size_t line = result["line"].get<size_t>();
    EXPECT_TRUE(byLine.emplace(line, result).second) << "two results for line " << line;
  }
  size_t failures = 0;
  for (size_t i = 0; i < kMixed.size(); ++i) {
    const LineCase& c = kMixed[i];
    const size_t number = i + 1;
    if (c.status.empty()) {
      EXPECT_FALSE(byLine.count(number)) << "a blank line is no job";
      continue;
    }
    ASSERT_TRUE(byLine.count(number)) << "no result for line " << number;
    const Json& result = byLine.at(number);
    EXPECT_EQ(result["status"], c.status) << c.line;
    if (c.status == "failed") {
      ++failures;
      EXPECT_NE(result["reason"].get<std::string>().find(c.reason), std::string::npos) << result.dump();
      EXPECT_TRUE(result["bytes"].is_null());
      continue;
    }
    EXPECT_EQ(result["output"], c.output);
    ASSERT_TRUE(fs::exists(dir / c.output)) << c.output;
    EXPECT_EQ(result["bytes"].get<uint64_t>(), fs::file_size(dir / c.output));
    EXPECT_GE(result["ms"].get<double>(), 0.0);
  }
  EXPECT_EQ(byLine.size(), kMixed.size() - 1);
  EXPECT_EQ(byLine.at(1)["width"], 16);
  EXPECT_TRUE(byLine.at(1)["quality"].is_null());
  EXPECT_EQ(byLine.at(2)["quality"], 70);
  const int chosen = byLine.at(11)["quality"].get<int>();
  EXPECT_TRUE(chosen >= 1 && chosen <= 100) << chosen;
  // Standard error keeps one line per failure, and only those with --max-bytes' note beside them.
  size_t failureLines = 0;
  for (const std::string& line : run.ErrorLines())
    failureLines += line.find("JPEG quality") == std::string::npos;
  EXPECT_EQ(failureLines, failures) << run.err;
}

TEST_F(CommandLineManifest, SkipExistingAfterAnInterruptedRunWritesOnlyTheRest) {
  constexpr int kJobs = 150;
  Picture("big.bmp", 1200, 900);
  std::string manifest;
  for (int i = 0; i < kJobs; ++i)
    manifest += R"({"input": "big.bmp"})"
                "\n";
  Spill(dir / "jobs.jsonl", manifest);
  const std::string crop = ToolRun::ShellQuoted(QUARVEL_BINARY) +
                           " crop --from jobs.jsonl --size 64 --region all --out-dir out --name '{n}' -q";
  // Stopped as soon as the first job has ended; by SIGTERM, as a shell's background job ignores SIGINT.
  const ToolRun first = ToolRun::Shell("{ " + crop +
                                           " --results first.jsonl & pid=$!; "
                                           "until [ -s first.jsonl ]; do sleep 0.01; done; "
                                           "kill -TERM $pid; wait $pid; }",
                                       dir.Path());
  ASSERT_EQ(first.status, 143) << "the run ended before it could be stopped: " << first.err;
  std::map<std::string, fs::file_time_type> before;
  for (const Json& result : ResultLines(Slurp(dir / "first.jsonl"))) {
    ASSERT_EQ(result["status"], "written");
    before[result["output"]] = fs::last_write_time(dir / result["output"].get<std::string>());
  }
  ASSERT_LT(before.size(), static_cast<size_t>(kJobs));
  size_t leftover = 0;
  for (const auto& entry : fs::directory_iterator(dir / "out"))
    leftover += entry.path().extension() != ".tga";
  EXPECT_EQ(leftover, 0u) << "a temporary file was left behind";

  const ToolRun again = ToolRun::Shell(crop + " --results again.jsonl --skip-existing", dir.Path());
  EXPECT_EQ(again.status, 0) << again.err;
  const std::vector<Json> results = ResultLines(Slurp(dir / "again.jsonl"));
  EXPECT_EQ(results.size(), static_cast<size_t>(kJobs));
  size_t skipped = 0;
  for (const Json& result : results) {
    const std::string output = result["output"];
    const bool wasWritten = before.count(output) > 0;
    EXPECT_EQ(result["status"], wasWritten ? "skipped" : "written") << output;
    skipped += wasWritten;
    if (wasWritten) {
      EXPECT_EQ(fs::last_write_time(dir / output), before[output]) << output << " was written again";
    }
  }
  EXPECT_EQ(skipped, before.size());
  for (int n = 1; n <= kJobs; ++n) EXPECT_TRUE(fs::exists(dir / "out" / (std::to_string(n) + ".tga"))) << n;
}

TEST_F(CommandLineManifest, AnOutputOlderThanItsPictureIsMadeAgain) {
  Picture("p.bmp", 40, 30);
  Spill(dir / "jobs.jsonl", R"({"input": "p.bmp"})"
                            "\n");
  const std::vector<std::string> crop = {"crop",  "--from",          "jobs.jsonl", "--size",
                                         "8",     "--origin",        "0,0",        "-o",
                                         "p.tga", "--skip-existing", "--results",  "-"};
  EXPECT_EQ(ResultLines(ToolRun::Binary(crop, dir.Path()).out).at(0)["status"], "written");
  EXPECT_EQ(ResultLines(ToolRun::Binary(crop, dir.Path()).out).at(0)["status"], "skipped");
  fs::last_write_time(dir / "p.tga", fs::last_write_time(dir / "p.bmp") - std::chrono::seconds(5));
  EXPECT_EQ(ResultLines(ToolRun::Binary(crop, dir.Path()).out).at(0)["status"], "written");
}

TEST_F(CommandLineManifest, FourShardsUnderParallelWriteExactlyWhatOneRunWrites) {
  Picture("a.bmp", 90, 70);
  Picture("b.bmp", 50, 120);
  Picture("a.jpg", 64, 64, "JPG");
  std::string manifest;
  for (int i = 0; i < 5; ++i) {
    manifest += R"({"input": "a.bmp", "origin": ")" + std::to_string(i * 7) +
                R"(,3"})"
                "\n";
    manifest += R"({"input": "b.bmp", "region": "all", "format": "jpeg", "quality": )" +
                std::to_string(50 + i) + "}\n";
    manifest += R"({"input": "a.jpg", "size": ")" + std::to_string(8 + i) +
                R"(", "center": "30,30"})"
                "\n";
  }
  manifest += "bad line\n";
  Spill(dir / "jobs.jsonl", manifest);
  const std::string options = " --size 24 --center 20,20 --name '{n}-{stem}-{ext}' -q --from jobs.jsonl";
  const ToolRun one =
      ToolRun::Shell(ToolRun::ShellQuoted(QUARVEL_BINARY) + " crop --out-dir one" + options, dir.Path());
  EXPECT_EQ(one.status, 1) << one.err;
  const ToolRun four = ToolRun::Shell(
      WithProgramOnPath("parallel quarvel crop --out-dir four" + options + " --shard {}/4 ::: 1 2 3 4"),
      dir.Path());
  // GNU parallel's status is the number of jobs that failed: the one with the bad line.
  EXPECT_EQ(four.status, 1) << four.err;
  const auto written = Files(dir / "one");
  EXPECT_EQ(written.size(), 15u);
  EXPECT_EQ(Files(dir / "four"), written);
}

namespace {

struct PipeCase {
  std::string picture;
  const char* kind;
  std::vector<std::string> options;
  std::string output;
};

class CommandLinePipe : public testing::TestWithParam<PipeCase> {};

}  // namespace

TEST_P(CommandLinePipe, APictureThroughAPipeEqualsTheSameFromAFile) {
  const PipeCase& c = GetParam();
  TempDir dir;
  TestPictures::Save(TestPictures::Pattern(100, 80), dir / c.picture, c.kind);
  std::string options;
  for (const std::string& option : c.options) options += " " + ToolRun::ShellQuoted(option);
  const std::string crop = ToolRun::ShellQuoted(QUARVEL_BINARY) + " crop";
  const ToolRun file = ToolRun::Shell(crop + " " + c.picture + options + " -o " + c.output, dir.Path());
  ASSERT_EQ(file.status, 0) << file.err;
  const std::string format = c.output.ends_with(".jpg") ? "jpeg" : "tga";
  // Grouped, so the pipe and not the runner's /dev/null is its standard input.
  const ToolRun piped = ToolRun::Shell(
      "{ cat " + c.picture + " | " + crop + " -" + options + " -o - --format " + format + " > piped; }",
      dir.Path());
  ASSERT_EQ(piped.status, 0) << piped.err;
  const std::string written = Slurp(dir / c.output);
  EXPECT_FALSE(written.empty());
  EXPECT_TRUE(Slurp(dir / "piped") == written) << "the piped result differs from the file's";
}

INSTANTIATE_TEST_SUITE_P(
    Pipes, CommandLinePipe,
    testing::Values(PipeCase{"p.bmp", "BMP", {"--size", "32", "--origin", "5,6"}, "f.tga"},
                    PipeCase{"p.jpg", "JPG", {"--size", "40", "--region", "all"}, "f.jpg"},
                    PipeCase{"p.bmp", "BMP", {"--size", "16", "--center", "0,0", "--rle"}, "f.tga"},
                    PipeCase{
                        "p.png", "PNG", {"--size", "24", "--region", "all", "--max-bytes", "2k"}, "f.jpg"}));

TEST(CommandLinePipes, AnEmptyPipeFailsInOneLine) {
  TempDir dir;
  const ToolRun run = ToolRun::Shell(
      "{ printf '' | " + ToolRun::ShellQuoted(QUARVEL_BINARY) + " crop - --size 8 --origin 0,0 -o out.tga; }",
      dir.Path());
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(run.ErrorLines().size(), 1u) << run.err;
  EXPECT_EQ(run.ErrorLines()[0].rfind("quarvel: -: ", 0), 0u) << run.err;
  EXPECT_FALSE(fs::exists(dir / "out.tga"));
}

// The README's example, copied as it stands, then its results read back with jq.
TEST_F(CommandLineManifest, TheReadmesParallelExampleRunsAsItStands) {
  const std::string readme = Slurp(fs::path(QUARVEL_SOURCE_DIR) / "README.md");
  const std::string marker = "<!-- the example below is run as it stands by the tests -->\n```sh\n";
  const size_t start = readme.find(marker);
  ASSERT_NE(start, std::string::npos);
  const size_t from = start + marker.size();
  const std::string example = readme.substr(from, readme.find("```", from) - from);
  Spill(dir / "example.sh", example);

  Picture("a.bmp", 300, 200);
  Picture("b.bmp", 200, 300);
  std::string manifest;
  for (int i = 0; i < 9; ++i)
    manifest += R"({"input": ")" + std::string(i % 2 ? "a" : "b") + ".bmp\", \"name\": \"{stem}-{n}\"}\n";
  manifest += R"({"input": "missing.bmp"})"
              "\n";
  Spill(dir / "jobs.jsonl", manifest);

  const ToolRun run = ToolRun::Shell(WithProgramOnPath("sh example.sh"), dir.Path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "line 10: missing.bmp: not found\n{\n  \"failed\": 1,\n  \"written\": 9\n}\n");
  for (int n = 1; n <= 9; ++n) {
    const fs::path output =
        dir / "minimaps" / (std::string(n % 2 ? "b" : "a") + "-" + std::to_string(n) + ".tga");
    EXPECT_TRUE(fs::exists(output)) << output;
  }
  // Run again as a restarted shard would be: nothing is made twice.
  const ToolRun again = ToolRun::Shell(WithProgramOnPath("sh example.sh"), dir.Path());
  EXPECT_EQ(again.out, "line 10: missing.bmp: not found\n{\n  \"failed\": 1,\n  \"skipped\": 9\n}\n");
}
