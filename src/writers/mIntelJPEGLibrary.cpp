#include "writers/mIntelJPEGLibrary.h"

#include <optional>

#include "imaging/cDIBSection.h"
#include "platform/base/AppError.h"
#include "platform/base/AppInfo.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Checked.h"
#include "platform/base/FileAttributes.h"
#include "platform/jpeg/Ijl.h"

namespace mIntelJPEGLibrary {
namespace {

platform::AppError JpegError(const std::string& description, int32_t code) {
  return platform::AppError(kJpegErrorNumber, platform::AppInfo::ExeName() + ".mIntelJPEGLibrary",
                            description + std::to_string(code));
}

// The encoder's resources go back on every way out, errors included.
class EncoderSession {
 public:
  EncoderSession() {
    int32_t r = jpeg::ijlInit(&props_);
    if (r != jpeg::IJL_OK) throw JpegError("Failed to initialise the IJL library: ", r);
  }
  ~EncoderSession() { jpeg::ijlFree(&props_); }
  EncoderSession(const EncoderSession&) = delete;
  EncoderSession& operator=(const EncoderSession&) = delete;

  jpeg::JPEG_CORE_PROPERTIES& Props() { return props_; }

 private:
  jpeg::JPEG_CORE_PROPERTIES props_;
};

void DescribeBitmap(jpeg::JPEG_CORE_PROPERTIES& props, cDIBSection& bitmap) {
  props.DIBWidth = bitmap.Width();
  props.DIBHeight = checked::Sub(0, bitmap.Height());
  props.DIBBytes = bitmap.DIBSectionBitsPtr();
  props.DIBPadBytes = checked::Sub(bitmap.BytesPerScanLine(), checked::Mul(3, bitmap.Width()));
  props.JPGWidth = bitmap.Width();
  props.JPGHeight = bitmap.Height();
}

}  // namespace

bool SaveJPEGinFile(cDIBSection& bitmap, std::string path, int32_t quality) {
  EncoderSession session;
  // Linux keeps no creation time a program could set, so a replaced file
  // keeps its permission bits and access and modification times only.
  const std::optional<platform::FileAttributes> previous = platform::FileAttributes::Of(path);
  if (previous) platform::AtomicFile::CheckReplaceable(path);

  jpeg::JPEG_CORE_PROPERTIES& props = session.Props();
  DescribeBitmap(props, bitmap);
  props.JPGFile = path.c_str();
  props.jquality = quality;

  int32_t r = jpeg::ijlWrite(&props, jpeg::IJL_JFILE_WRITEWHOLEIMAGE);
  if (r != jpeg::IJL_OK) throw JpegError("Failed to save to JPG ", r);
  if (previous) previous->ApplyTo(path);
  return true;
}

std::vector<uint8_t> EncodeJPEG(cDIBSection& bitmap, int32_t quality) {
  EncoderSession session;
  jpeg::JPEG_CORE_PROPERTIES& props = session.Props();
  DescribeBitmap(props, bitmap);
  props.jquality = quality;
  int32_t r = jpeg::ijlWrite(&props, jpeg::IJL_JBUFF_WRITEWHOLEIMAGE);
  if (r != jpeg::IJL_OK) throw JpegError("Failed to save to JPG ", r);
  return {props.JPGBytes, props.JPGBytes + props.JPGSizeBytes};
}

void WriteJPEGFile(const std::string& path, std::span<const uint8_t> bytes) {
  const std::optional<platform::FileAttributes> previous = platform::FileAttributes::Of(path);
  platform::AtomicFile file(path);
  file.Write(bytes);
  file.Commit();
  if (previous) previous->ApplyTo(path);
}

}  // namespace mIntelJPEGLibrary
