#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/PictureCropper.h"
#include "core/PictureWriter.h"
#include "core/RegionScaler.h"
#include "formats/PictureDecoder.h"

// How pictures are read, by crop and resize alike.
struct ReadOptions {
  // What the libraries say while reading, each line as a note naming its picture.
  bool verbose = false;
  // Turned upright by their EXIF orientation; false keeps the stored order.
  bool autoOrient = true;
};

// Options as they were given, under their first spelling.
struct OptionValues {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  // Flags a manifest's line turns off (false) where the command line turned them on.
  std::set<std::string> cleared;
};

// Which of M equal shares of the jobs a run takes: every M-th one from the N-th (N from 1).
struct Shard {
  int64_t number = 1;
  int64_t count = 1;

  bool Takes(size_t job) const {
    return static_cast<int64_t>((job - 1) % static_cast<size_t>(count)) == number - 1;
  }
};

struct CropRequest {
  std::vector<std::string> pictures;
  int32_t width = 0;
  int32_t height = 0;
  // What is cut before it is resampled to width x height; the same size unless --region says otherwise.
  RegionSize region;
  BlockPlacement placement;
  // How a region of another size becomes the result.
  Reduction reduction;
  // Exactly one of the two is set: -o for a single picture, or the folder
  // every picture is written to as <stem> and the format's extension.
  std::string outputFile;
  std::string outputDir;
  // -o's extension, or --format for a folder or standard output.
  OutputFormat format = OutputFormat::Targa;
  WriteOptions write;
  // No progress counter, even on a terminal.
  bool quiet = false;
  formats::Damage damage = formats::Damage::Refuse;
  ReadOptions read;
  // The bytes the pictures decoded at once may take together; 0 for the default.
  uint64_t memory = 0;

  // The jobs' list, one JSON object a line ("-" for standard input), instead of pictures;
  // `lineDefaults` are the options every line starts from.
  std::string from;
  OptionValues lineDefaults;
  // Where one JSON line per job goes as it ends ("-" for standard output); none when empty.
  std::string results;
  bool skipExisting = false;
  // A JPEG region decoded at full size, for the window's very result.
  bool exact = false;
  // The output's name in the output folder, with {stem} {ext} {size} {n} {region}; empty for {stem}.tga.
  std::string name;
  Shard shard;
};

struct ResizeRequest {
  std::string picture;
  int32_t width = 0;
  // 0 when the height follows the width and none was given.
  int32_t height = 0;
  bool keepProportions = false;
  // No progress, even on a terminal.
  bool quiet = false;
  std::string outputFile;
  WriteOptions write;
  formats::Damage damage = formats::Damage::Refuse;
  ReadOptions read;
};

struct HelpRequest {};
struct VersionRequest {};

using Request = std::variant<HelpRequest, VersionRequest, CropRequest, ResizeRequest>;

// The arguments of the window-less commands, read and checked before any
// picture is touched. Every mistake is a UsageError with a one-line reason.
class CommandLine {
 public:
  // True when the arguments after the program's name are for the window: none,
  // or one picture as a file manager passes it. Anything else is a command line
  // to run or refuse.
  static bool OpensWindow(const std::vector<std::string>& args);

  // The arguments after the program's name.
  static Request Parse(const std::vector<std::string>& args);

  // One job of a manifest: `line`'s options over `defaults`, checked as the command line's are.
  static CropRequest ParseJob(const OptionValues& defaults, const OptionValues& line);
  // The crop option a manifest's name stands for ("size" for --size), or null for none.
  // `applies` is false for the options that hold for the whole run alone.
  static const char* JobOption(const std::string& name, bool& takesValue, bool& applies);

  static std::string Usage();
  // "quarvel" and the version it was built as.
  static std::string Version();

 private:
  // One option of a command, under its name and an optional second spelling.
  struct OptionSpec {
    std::string name;
    std::string alias;
    bool takesValue = false;
  };
  using OptionTable = std::vector<OptionSpec>;
  static const OptionTable kCropOptions;
  static const OptionTable kResizeOptions;

  using Options = OptionValues;

  static Options Split(const std::string& command, const std::vector<std::string>& args,
                       const OptionTable& table);
  static const OptionSpec* Find(const OptionTable& table, const std::string& name);
  static std::string Nearest(const OptionTable& table, const std::string& name);
  [[noreturn]] static void RefuseWithoutCommand(const std::vector<std::string>& args);
  static CropRequest ParseCrop(const std::vector<std::string>& args);
  static CropRequest ParseCropOptions(const Options& options);
  static void ParseBatchOptions(const Options& options, CropRequest& request);
  static Shard ParseShard(const std::string& text);
  static ResizeRequest ParseResize(const std::vector<std::string>& args);
  static WriteOptions ParseWriteOptions(const Options& options, OutputFormat format);
  static OutputFormat RequireOutputFormat(const std::string& path);
  static OutputFormat ParseFormat(const Options& options, const std::string& outputFile);
  static std::string OutputHelp();
  static std::string ReadHelp();
  static BlockPlacement ParsePlacement(const Options& options);
  static formats::Damage ParseDamage(const Options& options);
  static void ParseRegion(const Options& options, CropRequest& request);
  static Reduction ParseReduction(const Options& options);
  static ReadOptions ParseReadOptions(const Options& options);
  static int64_t ParseByteCount(const std::string& text, const std::string& option);
  static void ParseSize(const std::string& text, const std::string& what, bool square, int32_t& width,
                        int32_t& height);
  static int32_t ParseWidthAlone(const std::string& text);
  static int64_t ParseWhole(std::string_view text, int64_t min, int64_t max, bool& ok);
};
