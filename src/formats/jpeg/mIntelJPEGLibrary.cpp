#include "formats/jpeg/mIntelJPEGLibrary.h"

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

// The code alone says nothing to a user: the encoder's words go with it.
platform::AppError WithWords(const platform::AppError& error, const jpeg::JPEG_CORE_PROPERTIES& props) {
  return props.JPGErrorText.empty() ? error : error.WithReason(props.JPGErrorText);
}

platform::AppError SaveError(const jpeg::JPEG_CORE_PROPERTIES& props, int32_t code) {
  return WithWords(JpegError("Failed to save to JPG ", code), props);
}

// The encoder's resources go back on every way out, errors included.
class EncoderSession {
 public:
  EncoderSession() {
    int32_t r = jpeg::ijlInit(&props_);
    if (r != jpeg::IJL_OK) throw WithWords(JpegError("Failed to initialise the IJL library: ", r), props_);
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
  props.DIBBytes = bitmap.DIBSectionBits();
  props.DIBPadBytes = checked::Sub(bitmap.BytesPerScanLine(), checked::Mul(3, bitmap.Width()));
  props.JPGWidth = bitmap.Width();
  props.JPGHeight = bitmap.Height();
}

}  // namespace

bool SaveJPEGinFile(cDIBSection& bitmap, std::string path, int32_t quality) {
  EncoderSession session;
  // A file that can't be replaced gives the system's own error, as deleting it would.
  if (platform::FileAttributes::Of(path)) platform::AtomicFile::CheckReplaceable(path);

  jpeg::JPEG_CORE_PROPERTIES& props = session.Props();
  DescribeBitmap(props, bitmap);
  props.JPGFile = path.c_str();
  props.jquality = quality;
  // Linux keeps no creation time a program could set, so a replaced file
  // keeps its owner, permission bits and access and modification times only.
  props.JPGKeepTimes = true;

  int32_t r = jpeg::ijlWrite(&props, jpeg::IJL_JFILE_WRITEWHOLEIMAGE);
  if (r != jpeg::IJL_OK) throw SaveError(props, r);
  return true;
}

std::vector<uint8_t> EncodeJPEG(cDIBSection& bitmap, int32_t quality) {
  EncoderSession session;
  jpeg::JPEG_CORE_PROPERTIES& props = session.Props();
  DescribeBitmap(props, bitmap);
  props.jquality = quality;
  int32_t r = jpeg::ijlWrite(&props, jpeg::IJL_JBUFF_WRITEWHOLEIMAGE);
  if (r != jpeg::IJL_OK) throw SaveError(props, r);
  return {props.JPGBytes, props.JPGBytes + props.JPGSizeBytes};
}

// Kept as SaveJPEGinFile keeps them: on the new file's descriptor, before it takes the name.
void WriteJPEGFile(const std::string& path, std::span<const uint8_t> bytes, bool keepTimes) {
  platform::AtomicFile file(path, keepTimes ? platform::AtomicFile::Keep::PermissionsAndTimes
                                            : platform::AtomicFile::Keep::Permissions);
  file.Write(bytes);
  file.Commit();
}

}  // namespace mIntelJPEGLibrary
