#include "core/MiniMapCommand.h"

#include <filesystem>

#include "core/ErrorWords.h"
#include "formats/PictureHeader.h"
#include "formats/PictureLimits.h"
#include "formats/PictureStream.h"
#include "platform/base/AppError.h"

std::string MiniMapCommand::Opening(const std::string& path, const std::exception& error) {
  auto* appError = dynamic_cast<const platform::AppError*>(&error);
  if (!appError || appError->Number() != platform::ErrorNumber::OutOfMemory)
    return ErrorWords::Opening(error);
  std::optional<formats::PictureHeader> header;
  try {
    header = formats::PictureHeader::Read(path);
  } catch (const std::exception&) {
  }
  const bool tooLarge = header && header->width * header->height > formats::kMaxPicturePixels;
  if (!tooLarge || !formats::Streams(path)) return ErrorWords::Opening(error);
  return "the picture is " + std::to_string(header->width) + " x " + std::to_string(header->height) +
         " pixels (" + std::to_string(header->width * header->height / 1'000'000) +
         " megapixels), more than the window can hold (" +
         std::to_string(formats::kMaxPicturePixels / 1'000'000) +
         " megapixels). The command line makes its mini-map, reading it a band at a time: " + For(path);
}

std::string MiniMapCommand::For(const std::string& path) {
  std::filesystem::path out(path);
  out.replace_filename(out.stem().string() + "-mini-map.tga");
  return "quarvel crop " + ShellQuoted(path) + " --size 256 --region all -o " + ShellQuoted(out.string());
}

std::string MiniMapCommand::ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
