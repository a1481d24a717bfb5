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

struct CropRequest {
  std::vector<std::string> pictures;
  int32_t width = 0;
  int32_t height = 0;
  // What is cut before it is resampled to width x height; the same size unless --region says otherwise.
  RegionSize region;
  BlockPlacement placement;
  // Exactly one of the two is set: -o for a single picture, or the folder
  // every picture is written to as <stem> and the format's extension.
  std::string outputFile;
  std::string outputDir;
  // -o's extension, or --format for a folder.
  OutputFormat format = OutputFormat::Targa;
  WriteOptions write;
  // No progress counter, even on a terminal.
  bool quiet = false;
  formats::Damage damage = formats::Damage::Refuse;
  ReadOptions read;
  // The bytes the pictures decoded at once may take together; 0 for the default.
  uint64_t memory = 0;
};

struct ResizeRequest {
  std::string picture;
  int32_t width = 0;
  // 0 when the height follows the width and none was given.
  int32_t height = 0;
  bool keepProportions = false;
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

  struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
  };

  static Options Split(const std::string& command, const std::vector<std::string>& args,
                       const OptionTable& table);
  static const OptionSpec* Find(const OptionTable& table, const std::string& name);
  static std::string Nearest(const OptionTable& table, const std::string& name);
  [[noreturn]] static void RefuseWithoutCommand(const std::vector<std::string>& args);
  static CropRequest ParseCrop(const std::vector<std::string>& args);
  static ResizeRequest ParseResize(const std::vector<std::string>& args);
  static WriteOptions ParseWriteOptions(const Options& options, OutputFormat format);
  static OutputFormat RequireOutputFormat(const std::string& path);
  static OutputFormat ParseFormat(const Options& options, const std::string& outputFile);
  static std::string OutputHelp();
  static std::string ReadHelp();
  static BlockPlacement ParsePlacement(const Options& options);
  static formats::Damage ParseDamage(const Options& options);
  static void ParseRegion(const Options& options, CropRequest& request);
  static ReadOptions ParseReadOptions(const Options& options);
  static int64_t ParseByteCount(const std::string& text, const std::string& option);
  static void ParseSize(const std::string& text, const std::string& what, bool square, int32_t& width,
                        int32_t& height);
  static int32_t ParseWidthAlone(const std::string& text);
  static int64_t ParseWhole(std::string_view text, int64_t min, int64_t max, bool& ok);
};
