#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/FormatTable.h"
#include "platform/gdi/MemorySurface.h"

class cDIBSection;

// The kinds written are those the format table marks so.
using OutputFormat = formats::FileKind;

// The JPEG quality when none is given, or none that can be read.
constexpr int32_t kDefaultJpegQuality = 90;

struct WriteOptions {
  bool rle = false;
  int32_t quality = kDefaultJpegQuality;
  // JPEG: above 0, the best quality whose file takes at most this many bytes instead.
  int64_t maxBytes = 0;
};

// Writes a finished picture with the window's own writers, the format chosen
// by the file's extension. Errors of the writers reach the caller unchanged.
// A file replaced gets the time of the write, JPEG too: the window's JPEG
// save alone keeps the old file's times.
class PictureWriter {
 public:
  // The written kind whose extension ends the name, in any case; nothing for any other name.
  static std::optional<OutputFormat> FormatFor(const std::string& path);
  // The name with ".tga" added unless it already ends in it.
  static std::string WithTargaExtension(const std::string& path);

  // One spelling for every way of naming the same file, so an output can be
  // told apart from the pictures read.
  static std::string FileIdentity(const std::string& path);

  // Both return what a byte budget chose, as "JPEG quality Q, N bytes", and
  // nothing otherwise.
  static std::string Write(gdi::MemorySurface& surface, const std::string& path, const WriteOptions& options);
  static std::string Write(cDIBSection& bitmap, const std::string& path, const WriteOptions& options);

 private:
  static OutputFormat RequireFormat(const std::string& path);
  static std::string WriteJpeg(cDIBSection& bitmap, const std::string& path, const WriteOptions& options);
};
