#include "cli/OutputName.h"

#include <filesystem>

#include "cli/UsageError.h"
#include "formats/FormatTable.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFields[] = {"stem", "ext", "size", "n", "region"};

std::string Size(int32_t width, int32_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

// The stem of standard input's picture: "-" itself would read as an option.
constexpr const char* kStdinStem = "stdin";

}  // namespace

void OutputName::Check(const std::string& pattern) {
  if (pattern.empty()) throw UsageError("--name needs a name, such as {stem}-{size}");
  if (pattern.find('/') != std::string::npos) {
    throw UsageError("--name gives a file name, without folders: the folder is --out-dir's");
  }
  for (size_t at = 0; at < pattern.size(); ++at) {
    if (pattern[at] == '}') throw UsageError("--name " + pattern + " closes a brace it never opened");
    if (pattern[at] != '{') continue;
    const size_t close = pattern.find('}', at);
    if (close == std::string::npos) throw UsageError("--name " + pattern + " leaves a brace open");
    const std::string field = pattern.substr(at + 1, close - at - 1);
    bool known = false;
    for (const char* name : kFields) known = known || field == name;
    if (!known) {
      throw UsageError("--name knows no {" + field + "}: use {stem}, {ext}, {size}, {n} or {region}");
    }
    at = close;
  }
}

std::string OutputName::Expand(const std::string& pattern, const Fields& fields, OutputFormat format) {
  const std::string& from = pattern.empty() ? std::string("{stem}") : pattern;
  std::string name;
  for (size_t at = 0; at < from.size(); ++at) {
    const size_t close = from[at] == '{' ? from.find('}', at) : std::string::npos;
    if (close == std::string::npos) {
      name += from[at];
      continue;
    }
    name += Field(from.substr(at + 1, close - at - 1), fields);
    at = close;
  }
  // Decided by the pattern alone: a stem such as "a.jpg" of "a.jpg.bmp" says nothing of the output.
  if (!pattern.empty() && PictureWriter::FormatFor(pattern)) return name;
  return name + std::string(formats::FormatTable::Of(format).DefaultExtension());
}

std::string OutputName::Field(const std::string& field, const Fields& fields) {
  const fs::path file = fs::path(fields.input).filename();
  if (field == "stem") return fields.input == "-" ? kStdinStem : file.stem().string();
  if (field == "ext") {
    const std::string ext = file.extension().string();
    return ext.empty() ? ext : ext.substr(1);
  }
  if (field == "size") return Size(fields.width, fields.height);
  if (field == "n") return std::to_string(fields.number);
  if (fields.region.whole) return "all";
  return fields.region.width ? Size(fields.region.width, fields.region.height)
                             : Size(fields.width, fields.height);
}
