#pragma once

#include <cstdint>
#include <string>

// The JPEG encoder the writer calls, with the entry points and parameter record
// of the vendor library it was written against. Pixels are read in place.
namespace jpeg {

constexpr int32_t IJL_OK = 0;
constexpr int32_t IJL_JFILE_WRITEWHOLEIMAGE = 8;
constexpr int32_t IJL_JBUFF_WRITEWHOLEIMAGE = 9;

// Failure codes: always negative.
constexpr int32_t IJL_NOT_INITIALISED = -1;
constexpr int32_t IJL_ALREADY_INITIALISED = -2;
constexpr int32_t IJL_INIT_FAILED = -3;
constexpr int32_t IJL_UNSUPPORTED_MODE = -4;
constexpr int32_t IJL_INVALID_FILENAME = -5;
constexpr int32_t IJL_INVALID_JPEG_PROPERTIES = -6;
constexpr int32_t IJL_ENCODE_FAILED = -7;
constexpr int32_t IJL_FILE_ERROR = -8;
constexpr int32_t IJL_MEMORY_ERROR = -9;

constexpr int32_t IJL_DEFAULT_QUALITY = 75;

struct JPEG_CORE_PROPERTIES {
  // 24-bit pixels, blue, green, red; each row followed by DIBPadBytes bytes.
  const uint8_t* DIBBytes = nullptr;
  int32_t DIBWidth = 0;
  // Negative when the first row in memory is the picture's bottom row.
  int32_t DIBHeight = 0;
  int32_t DIBPadBytes = 0;
  // The file to write, a zero-ended path.
  const char* JPGFile = nullptr;
  // Must equal the pixels' size: the encoder does not scale.
  int32_t JPGWidth = 0;
  int32_t JPGHeight = 0;
  // 1 to 100; values outside are clamped.
  int32_t jquality = 0;
  // IJL_JBUFF_WRITEWHOLEIMAGE: the encoded file, owned by the encoder and
  // valid until the next ijlWrite or ijlFree.
  const uint8_t* JPGBytes = nullptr;
  int64_t JPGSizeBytes = 0;
  // A file replaced keeps its permission bits; with this, its times as well.
  bool JPGKeepTimes = false;
  // Out: the system's errno when the result is IJL_FILE_ERROR.
  int32_t JPGFileError = 0;
  // Out, with a failure: why, in words: the encoder's own text, or the
  // system's reason the file could not be written.
  std::string JPGErrorText;
  // The encoder's own state, from ijlInit to ijlFree.
  void* handle = nullptr;
  void* encoded = nullptr;
};

// Sets the defaults and takes the encoder's resources.
int32_t ijlInit(JPEG_CORE_PROPERTIES* props);
// IJL_JFILE_WRITEWHOLEIMAGE encodes the pixels and replaces JPGFile with the
// result whole, or leaves it as it was; IJL_JBUFF_WRITEWHOLEIMAGE encodes them
// into JPGBytes and JPGSizeBytes.
int32_t ijlWrite(JPEG_CORE_PROPERTIES* props, int32_t mode);
int32_t ijlFree(JPEG_CORE_PROPERTIES* props);

}  // namespace jpeg
