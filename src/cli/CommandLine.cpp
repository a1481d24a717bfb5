#include "cli/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "cli/OutputName.h"
#include "cli/UsageError.h"
#include "core/ResultLimits.h"
#include "formats/FormatTable.h"
#include "formats/PictureLimits.h"

const CommandLine::OptionTable CommandLine::kCropOptions = {
    {"--size", "", true},       {"--center", "", true},          {"--origin", "", true},
    {"-o", "--output", true},   {"--out-dir", "", true},         {"--quality", "", true},
    {"--rle", "", false},       {"--quiet", "-q", false},        {"--region", "", true},
    {"--max-bytes", "", true},  {"--allow-damaged", "", false},  {"--memory", "", true},
    {"--verbose", "-v", false}, {"--no-auto-orient", "", false}, {"--from", "", true},
    {"--results", "", true},    {"--skip-existing", "", false},  {"--name", "", true},
    {"--shard", "", true},      {"--format", "", true},          {"--reduce", "", true},
    {"--linear", "", false},    {"--exact", "", false},
};
const CommandLine::OptionTable CommandLine::kResizeOptions = {
    {"-o", "--output", true},          {"--quality", "", true},         {"--rle", "", false},
    {"--keep-proportions", "", false}, {"--max-bytes", "", true},       {"--allow-damaged", "", false},
    {"--verbose", "-v", false},        {"--no-auto-orient", "", false}, {"--quiet", "-q", false},
};

namespace {

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }
bool IsVersion(std::string_view arg) { return arg == "--version" || arg == "-V"; }
bool IsCommand(std::string_view arg) { return arg == "crop" || arg == "resize"; }

bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

// What holds for the whole run, never for one job of a manifest.
const std::set<std::string> kRunOptions = {"--quiet", "--memory",  "--verbose", "--no-auto-orient",
                                           "--from",  "--results", "--shard",   "--skip-existing"};

// Options that stand for each other: a job that gives one drops the defaults' others.
const std::vector<std::set<std::string>> kEitherOr = {
    {"-o", "--out-dir"}, {"-o", "--name"}, {"--center", "--origin"}, {"--quality", "--max-bytes"}};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Letters to add, drop or change to turn one word into the other.
size_t Distance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

const std::string& RequireName(const std::string& picture) {
  if (picture.empty()) throw UsageError("a picture's file name is empty");
  return picture;
}

// True when `wanted` is among the arguments before the end of options.
bool AnyBeforeEnd(const std::vector<std::string>& args, bool (*wanted)(std::string_view)) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (wanted(arg)) return true;
  }
  return false;
}

}  // namespace

bool CommandLine::OpensWindow(const std::vector<std::string>& args) {
  return args.empty() || (args.size() == 1 && !LooksLikeOption(args[0]) && !IsCommand(args[0]));
}

Request CommandLine::Parse(const std::vector<std::string>& args) {
  if (AnyBeforeEnd(args, IsHelp)) return HelpRequest{};
  if (AnyBeforeEnd(args, IsVersion)) return VersionRequest{};
  if (args.empty()) throw UsageError("no command given; see quarvel --help");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "crop") return ParseCrop(rest);
  if (args[0] == "resize") return ParseResize(rest);
  RefuseWithoutCommand(args);
}

// Names the first thing that is wrong: an option out of place, or the word
// that is no command.
void CommandLine::RefuseWithoutCommand(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (!LooksLikeOption(arg)) continue;
    const std::string name = arg.substr(0, arg.find('='));
    if (Find(kCropOptions, name) || Find(kResizeOptions, name)) {
      throw UsageError(name + " goes after a command, crop or resize; see quarvel --help");
    }
    throw UsageError("unknown option " + Quoted(name) + "; see quarvel --help");
  }
  throw UsageError("unknown command " + Quoted(args[0]) +
                   " (the window opens one picture only); see quarvel --help");
}

// A slip of two letters or fewer away from one option: " (did you mean --quality?)".
std::string CommandLine::Nearest(const OptionTable& table, const std::string& name) {
  const OptionSpec* best = nullptr;
  size_t bestDistance = 3;
  for (const OptionSpec& option : table) {
    const size_t d = Distance(name, option.name);
    if (d < bestDistance) best = &option, bestDistance = d;
  }
  return best ? " (did you mean " + best->name + "?)" : "";
}

const CommandLine::OptionSpec* CommandLine::Find(const OptionTable& table, const std::string& name) {
  for (const OptionSpec& option : table) {
    if (option.name == name || option.alias == name) return &option;
  }
  return nullptr;
}

// Options may stand anywhere among the pictures, as "--name value" or
// "--name=value"; after "--" everything is a picture.
CommandLine::Options CommandLine::Split(const std::string& command, const std::vector<std::string>& args,
                                        const OptionTable& table) {
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
    const OptionSpec* option = Find(table, arg.substr(0, equals));
    if (!option) {
      throw UsageError("unknown option " + Quoted(arg.substr(0, equals)) + " for " + command +
                       Nearest(table, arg.substr(0, equals)) + "; see quarvel --help");
    }
    const std::string& name = option->name;
    if (option->takesValue) {
      if (options.values.count(name)) throw UsageError(name + " is given twice");
      if (equals != std::string::npos) {
        options.values[name] = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        options.values[name] = args[++i];
      } else {
        throw UsageError(name + " needs a value");
      }
    } else {
      if (equals != std::string::npos) throw UsageError(name + " takes no value");
      if (!options.flags.insert(name).second) throw UsageError(name + " is given twice");
    }
  }
  return options;
}

CropRequest CommandLine::ParseCrop(const std::vector<std::string>& args) {
  const Options options = Split("crop", args, kCropOptions);
  if (!options.values.count("--from")) {
    CropRequest request = ParseCropOptions(options);
    ParseBatchOptions(options, request);
    return request;
  }
  CropRequest request;
  request.from = options.values.at("--from");
  if (request.from.empty()) throw UsageError("--from needs a file, or - for standard input");
  if (!options.positional.empty()) {
    throw UsageError("--from takes the pictures from its lines; name no picture besides");
  }
  request.lineDefaults = options;
  for (const std::string& name : kRunOptions) {
    request.lineDefaults.values.erase(name);
    request.lineDefaults.flags.erase(name);
  }
  ParseBatchOptions(options, request);
  return request;
}

CropRequest CommandLine::ParseJob(const OptionValues& defaults, const OptionValues& line) {
  Options merged = defaults;
  // The defaults the line's own options stand in for go first, so none of the line's own is dropped.
  for (const auto& [name, value] : line.values) {
    for (const std::set<std::string>& group : kEitherOr) {
      if (!group.count(name)) continue;
      for (const std::string& other : group) merged.values.erase(other);
    }
    // A job's own block placement replaces a default of the whole picture, and the other way round.
    if (name == "--center" || name == "--origin") {
      auto region = merged.values.find("--region");
      if (region != merged.values.end() && region->second == "all") merged.values.erase(region);
    }
    if (name == "--region" && value == "all") {
      merged.values.erase("--center");
      merged.values.erase("--origin");
    }
  }
  for (const auto& [name, value] : line.values) merged.values[name] = value;
  for (const std::string& flag : line.flags) merged.flags.insert(flag);
  for (const std::string& flag : line.cleared) merged.flags.erase(flag);
  merged.positional = line.positional;
  return ParseCropOptions(merged);
}

const char* CommandLine::JobOption(const std::string& name, bool& takesValue, bool& applies) {
  if (name.empty() || name[0] == '-') return nullptr;
  const OptionSpec* option = Find(kCropOptions, "--" + name);
  if (!option) return nullptr;
  takesValue = option->takesValue;
  applies = kRunOptions.count(option->name) == 0;
  return option->name.c_str();
}

CropRequest CommandLine::ParseCropOptions(const Options& options) {
  CropRequest request;
  request.pictures = options.positional;
  if (request.pictures.empty()) throw UsageError("crop needs at least one picture");
  for (const std::string& picture : request.pictures) RequireName(picture);
  if (!options.values.count("--size")) throw UsageError("crop needs --size WxH");
  ParseSize(options.values.at("--size"), "--size", true, request.width, request.height);
  ParseRegion(options, request);
  request.reduction = ParseReduction(options);

  const bool toFile = options.values.count("-o") > 0;
  const bool toDir = options.values.count("--out-dir") > 0;
  if (toFile && toDir) throw UsageError("-o and --out-dir can't be used together");
  if (toFile && options.values.count("--name")) {
    throw UsageError("--name names the outputs in --out-dir; leave out -o");
  }
  if (toFile) {
    request.outputFile = options.values.at("-o");
    if (request.pictures.size() > 1) {
      throw UsageError("-o names one output file but " + std::to_string(request.pictures.size()) +
                       " pictures were given; use --out-dir DIR");
    }
  } else {
    request.outputDir = toDir ? options.values.at("--out-dir") : ".";
    if (request.outputDir.empty()) throw UsageError("--out-dir needs a folder");
    if (auto name = options.values.find("--name"); name != options.values.end()) {
      OutputName::Check(name->second);
      request.name = name->second;
    }
  }
  request.format = ParseFormat(options, request.outputFile);
  if (!toFile && !request.name.empty()) {
    if (auto named = PictureWriter::FormatFor(request.name);
        named && options.values.count("--format") && *named != request.format) {
      throw UsageError("--format " + options.values.at("--format") + " disagrees with the name " +
                       Quoted(request.name));
    } else if (named) {
      request.format = *named;
    }
  }
  request.write = ParseWriteOptions(options, request.format);
  request.damage = ParseDamage(options);
  return request;
}

// What holds for the whole run, read once from the command line itself.
void CommandLine::ParseBatchOptions(const Options& options, CropRequest& request) {
  request.quiet = options.flags.count("--quiet") > 0;
  request.read = ParseReadOptions(options);
  request.exact = options.flags.count("--exact") > 0;
  if (auto memory = options.values.find("--memory"); memory != options.values.end()) {
    request.memory = static_cast<uint64_t>(ParseByteCount(memory->second, "--memory"));
  }
  if (auto results = options.values.find("--results"); results != options.values.end()) {
    request.results = results->second;
    if (request.results.empty()) throw UsageError("--results needs a file, or - for standard output");
    if (request.results == "-" && request.outputFile == "-") {
      throw UsageError("-o - and --results - can't share standard output");
    }
  }
  request.skipExisting = options.flags.count("--skip-existing") > 0;
  if (auto shard = options.values.find("--shard"); shard != options.values.end()) {
    request.shard = ParseShard(shard->second);
  }
}

Shard CommandLine::ParseShard(const std::string& text) {
  constexpr int64_t kMostShards = 1'000'000;
  const size_t slash = text.find('/');
  bool okNumber = false, okCount = false;
  Shard shard;
  if (slash != std::string::npos) {
    std::string_view view(text);
    shard.count = ParseWhole(view.substr(slash + 1), 1, kMostShards, okCount);
    shard.number = ParseWhole(view.substr(0, slash), 1, okCount ? shard.count : 0, okNumber);
  }
  if (!okNumber || !okCount) {
    throw UsageError("bad shard " + Quoted(text) +
                     " for --shard: N/M, share N of M from 1 to M, such as 2/4");
  }
  return shard;
}

formats::Damage CommandLine::ParseDamage(const Options& options) {
  return options.flags.count("--allow-damaged") ? formats::Damage::Accept : formats::Damage::Refuse;
}

ResizeRequest CommandLine::ParseResize(const std::vector<std::string>& args) {
  const Options options = Split("resize", args, kResizeOptions);
  if (options.positional.size() != 2) {
    throw UsageError("resize needs one picture and one size: quarvel resize PICTURE WxH -o FILE");
  }
  ResizeRequest request;
  request.picture = RequireName(options.positional[0]);
  request.keepProportions = options.flags.count("--keep-proportions") > 0;
  request.quiet = options.flags.count("--quiet") > 0;
  request.damage = ParseDamage(options);
  const std::string& size = options.positional[1];
  if (request.keepProportions) {
    request.width = ParseWidthAlone(size);
  } else {
    ParseSize(size, "resize", false, request.width, request.height);
  }
  if (!options.values.count("-o")) throw UsageError("resize needs -o FILE");
  request.outputFile = options.values.at("-o");
  request.write = ParseWriteOptions(options, RequireOutputFormat(request.outputFile));
  request.read = ParseReadOptions(options);
  return request;
}

// With --keep-proportions the height follows the width, so a height typed as
// well would be dropped without a word: it is refused instead.
int32_t CommandLine::ParseWidthAlone(const std::string& text) {
  if (text.find_first_of("xX") != std::string::npos) {
    throw UsageError(
        "--keep-proportions works out the height itself: give the width alone, such as 640, not " +
        Quoted(text));
  }
  bool ok = false;
  const auto width = static_cast<int32_t>(ParseWhole(text, 1, ResultLimits::kMaxSide, ok));
  if (!ok) {
    throw UsageError("bad width " + Quoted(text) + ": a whole number of pixels from 1 to " +
                     std::to_string(ResultLimits::kMaxSide));
  }
  return width;
}

// With -o the file's extension chooses the kind, and a --format beside it
// must agree; a folder takes --format's kind, Targa when none is given, and
// standard output the kind --format must give.
OutputFormat CommandLine::ParseFormat(const Options& options, const std::string& outputFile) {
  auto name = options.values.find("--format");
  const formats::FileFormat* named = nullptr;
  if (name != options.values.end()) {
    named = formats::FormatTable::Named(name->second);
    if (!named) {
      throw UsageError("unknown --format " + Quoted(name->second) + ": use " +
                       formats::FormatTable::WrittenNames());
    }
  }
  if (outputFile.empty()) return named ? named->kind : OutputFormat::Targa;
  if (outputFile == "-") {
    if (!named) {
      throw UsageError("-o - writes to standard output: say as what with --format " +
                       formats::FormatTable::WrittenNames());
    }
    return named->kind;
  }
  const OutputFormat format = RequireOutputFormat(outputFile);
  if (named && named->kind != format) {
    throw UsageError("--format " + name->second + " and the output " + Quoted(outputFile) +
                     " name different kinds; with -o the extension is enough");
  }
  return format;
}

WriteOptions CommandLine::ParseWriteOptions(const Options& options, OutputFormat format) {
  using formats::WriteOption;
  const formats::FileFormat& kind = formats::FormatTable::Of(format);
  const auto refuse = [&kind](WriteOption option) {
    if (!kind.Takes(option)) throw UsageError(formats::FormatTable::WrongOption(option));
  };
  WriteOptions write;
  write.rle = options.flags.count("--rle") > 0;
  if (write.rle) refuse(WriteOption::RunLength);
  auto budget = options.values.find("--max-bytes");
  auto quality = options.values.find("--quality");
  if (budget != options.values.end()) {
    refuse(WriteOption::ByteBudget);
    if (quality != options.values.end()) {
      throw UsageError("--max-bytes chooses the quality itself; leave out --quality");
    }
    write.maxBytes = ParseByteCount(budget->second, "--max-bytes");
  }
  if (quality == options.values.end()) return write;
  refuse(WriteOption::Quality);
  bool ok = false;
  write.quality = static_cast<int32_t>(ParseWhole(quality->second, 1, 100, ok));
  if (!ok) throw UsageError("bad quality " + Quoted(quality->second) + ": a whole number from 1 to 100");
  return write;
}

ReadOptions CommandLine::ParseReadOptions(const Options& options) {
  return {options.flags.count("--verbose") > 0, options.flags.count("--no-auto-orient") == 0};
}

OutputFormat CommandLine::RequireOutputFormat(const std::string& path) {
  std::optional<OutputFormat> format = PictureWriter::FormatFor(path);
  if (!format) {
    throw UsageError("unknown output type " + Quoted(path) + ": use " +
                     formats::FormatTable::WrittenExtensions());
  }
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

// "WxH" (or N for a square) cut around --center or --origin, or "all": the
// largest region of the size's proportions, centred in each picture.
void CommandLine::ParseRegion(const Options& options, CropRequest& request) {
  auto region = options.values.find("--region");
  if (region == options.values.end()) {
    request.region = {false, request.width, request.height};
    request.placement = ParsePlacement(options);
    return;
  }
  if (region->second != "all") {
    ParseSize(region->second, "--region", true, request.region.width, request.region.height);
    request.placement = ParsePlacement(options);
    return;
  }
  if (options.values.count("--center") || options.values.count("--origin")) {
    throw UsageError("--region all centres the region itself; leave out --center and --origin");
  }
  request.region.whole = true;
}

// Only a region has anything to reduce, and only an average has light to measure.
Reduction CommandLine::ParseReduction(const Options& options) {
  Reduction reduction;
  reduction.linear = options.flags.count("--linear") > 0;
  auto method = options.values.find("--reduce");
  if (method != options.values.end()) {
    std::optional<ReduceMethod> named = Reduction::Named(method->second);
    if (!named) {
      throw UsageError("bad reduction " + Quoted(method->second) +
                       " for --reduce: area, majority or nearest");
    }
    reduction.method = *named;
  }
  if (!options.values.count("--region") && (reduction.linear || method != options.values.end())) {
    throw UsageError(std::string(reduction.linear ? "--linear" : "--reduce") +
                     " applies to a --region only; without one the block is cut as it is");
  }
  if (reduction.linear && reduction.method != ReduceMethod::Area) {
    throw UsageError("--linear averages light, and --reduce " +
                     std::string(Reduction::Name(reduction.method)) +
                     " averages nothing; leave out one of them");
  }
  return reduction;
}

// Whole bytes, or with k (1024), M (1024 k) or G (1024 M) after the number.
int64_t CommandLine::ParseByteCount(const std::string& text, const std::string& option) {
  constexpr int64_t kMost = int64_t{1} << 40;
  int64_t unit = 1;
  std::string_view digits(text);
  if (!digits.empty()) {
    const size_t power = std::string_view("kMG").find(digits.back());
    if (power != std::string_view::npos) {
      unit = int64_t{1} << (10 * (power + 1));
      digits.remove_suffix(1);
    }
  }
  bool ok = false;
  const int64_t count = ParseWhole(digits, 1, kMost / unit, ok);
  if (!ok) {
    throw UsageError("bad byte count " + Quoted(text) + " for " + option + ": a whole number of bytes, " +
                     "or of k (1024), M (1024 k) or G (1024 M) with the letter after it, such as 20k");
  }
  return count * unit;
}

// "WxH", or "N" for N x N where a square is allowed.
void CommandLine::ParseSize(const std::string& text, const std::string& what, bool square, int32_t& width,
                            int32_t& height) {
  const size_t cross = text.find_first_of("xX");
  const bool alone = cross == std::string::npos;
  std::string_view view(text);
  bool okWidth = false, okHeight = false;
  width = static_cast<int32_t>(ParseWhole(view.substr(0, cross), 1, ResultLimits::kMaxSide, okWidth));
  if (alone) {
    height = width;
    okHeight = okWidth && square;
  } else {
    height = static_cast<int32_t>(ParseWhole(view.substr(cross + 1), 1, ResultLimits::kMaxSide, okHeight));
  }
  if (!okWidth || !okHeight) {
    const std::string forms =
        square ? "WxH, or N for N x N," : "WxH (a width alone needs --keep-proportions)";
    throw UsageError("bad size " + Quoted(text) + " for " + what + ": " + forms +
                     " in whole pixels from 1 to " + std::to_string(ResultLimits::kMaxSide) + ", such as " +
                     (square ? "256x256 or 256" : "640x480"));
  }
  if (!ResultLimits::Fits(width, height)) {
    throw UsageError("size " + Quoted(text) + " is too large: at most " +
                     std::to_string(formats::kMaxPicturePixels) + " pixels");
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

std::string CommandLine::Version() { return std::string("quarvel ") + QUARVEL_VERSION; }

// One line a written kind: its extensions, what it is and the options it takes.
std::string CommandLine::OutputHelp() {
  std::string help = "Output: the extension of FILE, in any case, or --format chooses the format:\n";
  for (const formats::FileFormat* format : formats::FormatTable::Written()) {
    std::string line = "  ";
    for (std::string_view extension : format->extensions)
      line += (line.size() > 2 ? ", " : "") + std::string(extension);
    line.resize(std::max<size_t>(line.size() + 1, 22), ' ');
    line += format->description;
    for (size_t i = 0; i < format->options.size(); ++i)
      line +=
          (i == 0 ? "; takes " : ", ") + std::string(formats::FormatTable::OptionName(format->options[i]));
    help += line + "\n";
  }
  return help;
}

// Wrapped within 80 columns, as the rest of the help is.
std::string CommandLine::ReadHelp() {
  std::string text = "Pictures:";
  for (const formats::FileFormat* format : formats::FormatTable::Read())
    text += " " + std::string(format->title) + ",";
  text += " and the other kinds the system's image readers know.";
  std::string help;
  size_t lineStart = 0;
  for (size_t space = text.find(' '); space != std::string::npos;) {
    const size_t next = text.find(' ', space + 1);
    const size_t wordEnd = next == std::string::npos ? text.size() : next;
    if (wordEnd - lineStart > 80) {
      help += text.substr(lineStart, space - lineStart) + "\n";
      lineStart = space + 1;
    }
    space = next;
  }
  return help + text.substr(lineStart);
}

std::string CommandLine::Usage() {
  return R"(Usage:
  quarvel [PICTURE]
  quarvel crop PICTURE... --size WxH (--center X,Y | --origin X,Y)
               [--region WxH [--reduce area|majority|nearest] [--linear]]
               [-o FILE | --out-dir DIR [--format KIND]]
               [--rle] [--quality N | --max-bytes N] [-q] [--allow-damaged]
               [--memory N] [--exact] [--no-auto-orient] [-v]
  quarvel crop PICTURE... --size WxH --region all [-o FILE | --out-dir DIR] ...
  quarvel crop --from FILE [--results FILE] [--skip-existing] [--shard N/M]
               [--name TEMPLATE] [--format KIND] [crop options as defaults]
  quarvel resize PICTURE WxH -o FILE [--rle] [--quality N | --max-bytes N]
                 [-q] [--allow-damaged] [--no-auto-orient] [-v]
  quarvel resize PICTURE W --keep-proportions -o FILE [...]
  quarvel --help | --version

Without a command the window opens, with PICTURE loaded if one is named.
  -h, --help          this text
  -V, --version       the program's name and version

Options may stand anywhere among the pictures, as --size 256 or --size=256;
after -- every argument is a picture.

crop: cuts a block of W x H pixels out of each picture.
  --size WxH          the block's size, 1 to 32767 pixels each way, such as
                      256x128; a single number N is a square of N x N
  --region WxH        cut a region of this size instead and resample it to
                      the --size: a mini-map of a larger part of the picture.
                      Reductions by more than 2 x average the pixels each
                      result pixel covers; the rest blend as resize does
  --region all        the largest region of the --size's proportions, centred
                      in the picture; needs no --center or --origin
                      A region averaged from a JPEG, BMP or PNG is read
                      band by band, so pictures of any size take little
                      memory; a JPEG is decoded at 1/2, 1/4 or 1/8 of its
                      size where that stays at least twice the --size each
                      way
  --exact             decode a JPEG region at its full size: the very pixels
                      the window's mini-map has, at some cost in time
  --reduce METHOD     how a region becomes the --size: area (the default, as
                      above), majority (each result pixel takes the colour
                      that covers most of it, the smallest value 0xRRGGBB of
                      equal ones: a palette map keeps its palette) or nearest
                      (the pixel under each result pixel's middle)
  --linear            average in linear light: sRGB decoded, averaged, and
                      encoded again, so fine light and dark patterns keep
                      their brightness; every reduction then averages areas.
                      For photos and smooth maps, not with --reduce majority
                      or nearest
  --center X,Y        centre the block (or region) on pixel X,Y as the window
                      centres its selection on the pointer; one that would
                      reach past an edge is moved back inside the picture
  --origin X,Y        put the block's top-left corner on pixel X,Y; the block
                      must overlap the picture
                      Pixels of the block that lie outside the picture (a
                      block larger than the picture) are light grey.
  -o, --output FILE   the output file; only for a single picture
  --out-dir DIR       write each picture as DIR/NAME.EXT, NAME being the
                      picture's file name without its extension and EXT the
                      --format's (default: the current folder)
  --format KIND       what --out-dir writes: )" +
         formats::FormatTable::WrittenNames() + R"( (default tga),
                      and what -o - writes to standard output
  -q, --quiet         no progress counter; on a terminal, several pictures
                      otherwise show one line that counts the pictures done
                      and the failures so far, and a picture that takes
                      longer than a second shows how far it has got
  --memory N          the memory the pictures decoded side by side may take
                      together (default: half of what the system has
                      available); a picture starts only once the pixels its
                      header declares fit, and a larger one runs alone
  --from FILE         the jobs from FILE (- for standard input), one JSON
                      object a line: "input" names the picture, the other
                      names are crop's long options without --, such as
                      {"input": "a.jpg", "size": "256", "region": "all"};
                      the command line's options are every line's defaults.
                      A line that can't run fails alone, saying why
  --results FILE      one JSON line per job as it ends (- for standard
                      output): line, input, output, status (written, skipped
                      or failed), reason, width, height, bytes, quality, ms
  --skip-existing     skip a job whose output is newer than its picture, so
                      a run started again does only what is missing
  --name TEMPLATE     the output's name in --out-dir, from {stem} and {ext}
                      (the picture's name without and with its extension),
                      {size}, {region} and {n} (the line or picture number);
                      the format's extension follows unless the template
                      ends in one. Two jobs given one name are refused before
                      any work
  --shard N/M         only every M-th job from the N-th (N from 1 to M), so M
                      runs on as many machines share the jobs
A picture named - is read from standard input, and -o - writes to standard
output.

resize: resamples the whole picture to W x H pixels, smoothly (bilinear). A
JPEG, BMP or PNG reduced by more than 2 x is read band by band, so pictures of
any size take little memory.
  --keep-proportions  give the width W alone; the height follows it:
                      picture height x W / picture width, rounded down
  -q, --quiet         no progress; on a terminal, a picture that takes longer
                      than a second otherwise shows how far it has got

crop and resize:
  --no-auto-orient    keep a picture in the order its file stores it; by
                      default a photo whose EXIF data gives it an orientation
                      is turned upright first, as viewers show it, and the
                      size and positions are those of the upright picture
  -v, --verbose       also say, one line each and naming the picture, what
                      the picture libraries said while reading; otherwise
                      only a line that explains a failure is said, as part
                      of that failure's line

)" + OutputHelp() +
         R"(Folders missing on the way to FILE or DIR are made.
  --rle               run-length encode the Targa file
  --quality N         JPEG quality, 1 to 100 (default 90)
  --max-bytes N       JPEG: the best quality whose file takes at most N bytes
                      (20k = 20 x 1024, 1M = 1024 x 1024), said on standard
                      error; when even quality 1 is larger, nothing is written
                      and the exit status is 1

)" + ReadHelp() +
         R"(
A damaged picture (cut short, or with corrupt data) fails with a line saying
how it is damaged.
  --allow-damaged     use what could be read of a damaged picture instead;
                      the pixels that could not be read are black, or grey in
                      a JPEG
Several pictures are cut side by side on all processor cores; a picture that
fails does not stop the others. An existing output file is replaced only when
the new one is complete. An output that is a symbolic link is written through:
the file the link leads to is replaced, in its own folder, and the link stays;
a link that leads to a folder or to nothing is an error.

Exit status: 0 when every picture was written; 1 when any failed, each failure
reported as one line on standard error; 2 when the command line is wrong;
130 or 143 when SIGINT or SIGTERM stopped the work: the pictures under way
are finished, no other one is begun, and no temporary file is left behind.
)";
}
