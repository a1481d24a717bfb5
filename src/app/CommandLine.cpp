#include "app/CommandLine.h"

#include <charconv>

#include "app/UsageError.h"
#include "platform/ui/PictureDecoder.h"

namespace {

const std::set<std::string> kCropValues = {"--size", "--center", "--origin", "-o", "--out-dir", "--quality"};
const std::set<std::string> kCropFlags = {"--rle"};
const std::set<std::string> kResizeValues = {"-o", "--quality"};
const std::set<std::string> kResizeFlags = {"--rle", "--keep-proportions"};

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

const std::string& RequireName(const std::string& picture) {
  if (picture.empty()) throw UsageError("a picture's file name is empty");
  return picture;
}

}  // namespace

bool CommandLine::IsCommand(std::string_view firstArgument) {
  return firstArgument == "crop" || firstArgument == "resize" || IsHelp(firstArgument);
}

Request CommandLine::Parse(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (IsHelp(arg)) return HelpRequest{};
  }
  if (args.empty()) throw UsageError("no command given; see quarvel --help");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "crop") return ParseCrop(rest);
  if (args[0] == "resize") return ParseResize(rest);
  throw UsageError("unknown command " + Quoted(args[0]) + "; see quarvel --help");
}

// Options may stand anywhere among the pictures, as "--name value" or
// "--name=value"; after "--" everything is a picture.
CommandLine::Options CommandLine::Split(const std::string& command, const std::vector<std::string>& args,
                                        const std::set<std::string>& valueNames,
                                        const std::set<std::string>& flagNames) {
  Options options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      options.positional.insert(options.positional.end(), args.begin() + static_cast<long>(i) + 1,
                                args.end());
      break;
    }
    if (!LooksLikeOption(arg)) {
      options.positional.push_back(arg);
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (valueNames.count(name)) {
      if (options.values.count(name)) throw UsageError(name + " is given twice");
      if (equals != std::string::npos) {
        options.values[name] = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        options.values[name] = args[++i];
      } else {
        throw UsageError(name + " needs a value");
      }
    } else if (flagNames.count(name)) {
      if (equals != std::string::npos) throw UsageError(name + " takes no value");
      if (!options.flags.insert(name).second) throw UsageError(name + " is given twice");
    } else {
      throw UsageError("unknown option " + Quoted(name) + " for " + command + "; see quarvel --help");
    }
  }
  return options;
}

CropRequest CommandLine::ParseCrop(const std::vector<std::string>& args) {
  const Options options = Split("crop", args, kCropValues, kCropFlags);
  CropRequest request;
  request.pictures = options.positional;
  if (request.pictures.empty()) throw UsageError("crop needs at least one picture");
  for (const std::string& picture : request.pictures) RequireName(picture);
  if (!options.values.count("--size")) throw UsageError("crop needs --size WxH");
  ParseSize(options.values.at("--size"), "--size", request.width, request.height);
  request.placement = ParsePlacement(options);

  const bool toFile = options.values.count("-o") > 0;
  const bool toDir = options.values.count("--out-dir") > 0;
  if (toFile && toDir) throw UsageError("-o and --out-dir can't be used together");
  if (toFile) {
    request.outputFile = options.values.at("-o");
    if (request.pictures.size() > 1) {
      throw UsageError("-o names one output file but " + std::to_string(request.pictures.size()) +
                       " pictures were given; use --out-dir DIR");
    }
  } else {
    request.outputDir = toDir ? options.values.at("--out-dir") : ".";
    if (request.outputDir.empty()) throw UsageError("--out-dir needs a folder");
  }
  const OutputFormat format = toFile ? RequireOutputFormat(request.outputFile) : OutputFormat::Targa;
  request.write = ParseWriteOptions(options, format);
  return request;
}

ResizeRequest CommandLine::ParseResize(const std::vector<std::string>& args) {
  const Options options = Split("resize", args, kResizeValues, kResizeFlags);
  if (options.positional.size() != 2) {
    throw UsageError("resize needs one picture and one size: quarvel resize PICTURE WxH -o FILE");
  }
  ResizeRequest request;
  request.picture = RequireName(options.positional[0]);
  request.keepProportions = options.flags.count("--keep-proportions") > 0;
  const std::string& size = options.positional[1];
  if (request.keepProportions && size.find_first_of("xX") == std::string::npos) {
    // The height follows the width, so the width alone will do.
    ParseSize(size + "x1", "the size", request.width, request.height);
    request.height = 0;
  } else {
    ParseSize(size, "the size", request.width, request.height);
  }
  if (!options.values.count("-o")) throw UsageError("resize needs -o FILE");
  request.outputFile = options.values.at("-o");
  request.write = ParseWriteOptions(options, RequireOutputFormat(request.outputFile));
  return request;
}

WriteOptions CommandLine::ParseWriteOptions(const Options& options, OutputFormat format) {
  WriteOptions write;
  write.rle = options.flags.count("--rle") > 0;
  if (write.rle && format != OutputFormat::Targa) throw UsageError("--rle applies to Targa output only");
  auto quality = options.values.find("--quality");
  if (quality == options.values.end()) return write;
  if (format != OutputFormat::Jpeg) throw UsageError("--quality applies to JPEG output only");
  bool ok = false;
  write.quality = static_cast<int32_t>(ParseWhole(quality->second, 1, 100, ok));
  if (!ok) throw UsageError("bad quality " + Quoted(quality->second) + ": a whole number from 1 to 100");
  return write;
}

OutputFormat CommandLine::RequireOutputFormat(const std::string& path) {
  std::optional<OutputFormat> format = PictureWriter::FormatFor(path);
  if (!format) throw UsageError("unknown output type " + Quoted(path) + ": use .tga, .jpg or .jpeg");
  return *format;
}

BlockPlacement CommandLine::ParsePlacement(const Options& options) {
  const bool center = options.values.count("--center") > 0;
  const bool origin = options.values.count("--origin") > 0;
  if (center == origin) {
    throw UsageError(center ? "--center and --origin can't be used together"
                            : "crop needs --center X,Y or --origin X,Y");
  }
  const std::string name = center ? "--center" : "--origin";
  const std::string& text = options.values.at(name);
  const size_t comma = text.find(',');
  bool okX = false, okY = false;
  BlockPlacement placement;
  placement.mode = center ? Placement::Center : Placement::Origin;
  if (comma != std::string::npos) {
    std::string_view view(text);
    placement.x = static_cast<int32_t>(ParseWhole(view.substr(0, comma), INT32_MIN, INT32_MAX, okX));
    placement.y = static_cast<int32_t>(ParseWhole(view.substr(comma + 1), INT32_MIN, INT32_MAX, okY));
  }
  if (!okX || !okY) {
    throw UsageError("bad position " + Quoted(text) + " for " + name +
                     ": X,Y in whole pixels, such as 320,240");
  }
  return placement;
}

void CommandLine::ParseSize(const std::string& text, const std::string& what, int32_t& width,
                            int32_t& height) {
  const size_t cross = text.find_first_of("xX");
  bool okWidth = false, okHeight = false;
  if (cross != std::string::npos) {
    std::string_view view(text);
    width = static_cast<int32_t>(ParseWhole(view.substr(0, cross), 1, kMaxSide, okWidth));
    height = static_cast<int32_t>(ParseWhole(view.substr(cross + 1), 1, kMaxSide, okHeight));
  }
  if (!okWidth || !okHeight) {
    throw UsageError("bad size " + Quoted(text) + " for " + what + ": WxH in whole pixels from 1 to " +
                     std::to_string(kMaxSide) + ", such as 256x256");
  }
  if (int64_t{width} * height > platform::kMaxPicturePixels) {
    throw UsageError("size " + Quoted(text) + " is too large: at most " +
                     std::to_string(platform::kMaxPicturePixels) + " pixels");
  }
}

// Plain decimal digits with an optional minus sign; nothing else, not even blanks.
int64_t CommandLine::ParseWhole(std::string_view text, int64_t min, int64_t max, bool& ok) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  auto [last, error] = std::from_chars(text.data(), end, value);
  ok = error == std::errc() && last == end && value >= min && value <= max;
  return value;
}

std::string CommandLine::Usage() {
  return R"(Usage:
  quarvel [PICTURE]
  quarvel crop PICTURE... --size WxH (--center X,Y | --origin X,Y)
               [-o FILE | --out-dir DIR] [--rle] [--quality N]
  quarvel resize PICTURE WxH -o FILE [--keep-proportions] [--rle] [--quality N]
  quarvel --help

Without a command the window opens, with PICTURE loaded if one is named.

crop: cuts a block of W x H pixels out of each picture.
  --size WxH          the block's size, 1 to 32767 pixels each way (e.g. 256x256)
  --center X,Y        centre the block on pixel X,Y as the window centres its
                      selection on the pointer; a block that would reach past
                      an edge is moved back inside the picture
  --origin X,Y        put the block's top-left corner on pixel X,Y; the block
                      must overlap the picture
                      Pixels of the block that lie outside the picture (a
                      block larger than the picture) are light grey.
  -o FILE             the output file; only for a single picture
  --out-dir DIR       write each picture as DIR/NAME.tga, NAME being the
                      picture's file name without its extension; the folder
                      is made if needed (default: the current folder)

resize: resamples the whole picture to W x H pixels, as "Resize Image" does.
  --keep-proportions  the height follows the width as in the window: picture
                      height x W / picture width, rounded down; H may be left
                      out (quarvel resize photo.jpg 640 -o small.jpg ...)

Output: the extension of FILE chooses the format, in any case:
  .tga (24-bit Targa) or .jpg / .jpeg (JPEG).
  --rle               run-length encode the Targa file
  --quality N         JPEG quality, 1 to 100 (default 90)

Pictures: JPEG, BMP, GIF, and the other kinds the system's image readers know.
Several pictures are cut side by side on all processor cores; a picture that
fails does not stop the others. An existing output file is replaced only when
the new one is complete.

Exit status: 0 when every picture was written; 1 when any failed, each failure
reported as one line on standard error; 2 when the command line is wrong.
)";
}
