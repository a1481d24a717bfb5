#include "platform/jpeg/Ijl.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <span>

#include "platform/base/AppError.h"
#include "platform/base/AtomicFile.h"

namespace jpeg {
namespace {

struct TjFree {
  void operator()(unsigned char* p) const { tjFree(p); }
};
using JpegBytes = std::unique_ptr<unsigned char, TjFree>;

bool ValidProperties(const JPEG_CORE_PROPERTIES& p) {
  const int64_t rows = std::abs(static_cast<int64_t>(p.DIBHeight));
  const int64_t pitch = 3 * static_cast<int64_t>(p.DIBWidth) + p.DIBPadBytes;
  return p.DIBBytes && p.DIBWidth > 0 && rows > 0 && p.DIBPadBytes >= 0 &&
         pitch <= std::numeric_limits<int>::max() && p.JPGWidth == p.DIBWidth && p.JPGHeight == rows;
}

int32_t Encode(JPEG_CORE_PROPERTIES& p, JpegBytes& out, unsigned long& size) {
  unsigned char* bytes = nullptr;
  const int pitch = 3 * p.DIBWidth + p.DIBPadBytes;
  const int quality = std::clamp(p.jquality, 1, 100);
  const int flags = p.DIBHeight < 0 ? TJFLAG_BOTTOMUP : 0;
  int result = tjCompress2(static_cast<tjhandle>(p.handle), p.DIBBytes, p.DIBWidth, pitch, p.JPGHeight,
                           TJPF_BGR, &bytes, &size, TJSAMP_420, quality, flags);
  out.reset(bytes);
  if (result == 0) return IJL_OK;
  p.JPGErrorText = tjGetErrorStr2(static_cast<tjhandle>(p.handle));
  return IJL_ENCODE_FAILED;
}

int32_t Store(JPEG_CORE_PROPERTIES& p, const JpegBytes& bytes, unsigned long size) {
  using Keep = platform::AtomicFile::Keep;
  try {
    platform::AtomicFile file(p.JPGFile, p.JPGKeepTimes ? Keep::PermissionsAndTimes : Keep::Permissions);
    file.Write(std::span<const uint8_t>(bytes.get(), size));
    file.Commit();
    return IJL_OK;
  } catch (const platform::AppError& e) {
    p.JPGFileError = e.SystemError();
    p.JPGErrorText = e.Reason();
    return IJL_FILE_ERROR;
  }
}

void ReleaseEncoded(JPEG_CORE_PROPERTIES& p) {
  tjFree(static_cast<unsigned char*>(p.encoded));
  p.encoded = nullptr;
  p.JPGBytes = nullptr;
  p.JPGSizeBytes = 0;
}

}  // namespace

int32_t ijlInit(JPEG_CORE_PROPERTIES* props) {
  if (!props) return IJL_INVALID_JPEG_PROPERTIES;
  if (props->handle) return IJL_ALREADY_INITIALISED;
  *props = JPEG_CORE_PROPERTIES{};
  props->jquality = IJL_DEFAULT_QUALITY;
  props->handle = tjInitCompress();
  if (props->handle) return IJL_OK;
  props->JPGErrorText = tjGetErrorStr2(nullptr);
  return IJL_INIT_FAILED;
}

int32_t ijlWrite(JPEG_CORE_PROPERTIES* props, int32_t mode) {
  if (!props || !props->handle) return IJL_NOT_INITIALISED;
  if (mode != IJL_JFILE_WRITEWHOLEIMAGE && mode != IJL_JBUFF_WRITEWHOLEIMAGE) return IJL_UNSUPPORTED_MODE;
  const bool toFile = mode == IJL_JFILE_WRITEWHOLEIMAGE;
  props->JPGFileError = 0;
  props->JPGErrorText.clear();
  if (toFile && (!props->JPGFile || !*props->JPGFile)) {
    props->JPGErrorText = "the file has no name";
    return IJL_INVALID_FILENAME;
  }
  if (!ValidProperties(*props)) {
    props->JPGErrorText =
        props->DIBBytes ? "the pixels and the picture's size disagree" : "there is no picture";
    return IJL_INVALID_JPEG_PROPERTIES;
  }
  ReleaseEncoded(*props);
  try {
    JpegBytes bytes;
    unsigned long size = 0;
    int32_t result = Encode(*props, bytes, size);
    if (result != IJL_OK || toFile) return result == IJL_OK ? Store(*props, bytes, size) : result;
    props->JPGSizeBytes = static_cast<int64_t>(size);
    props->JPGBytes = bytes.get();
    props->encoded = bytes.release();
    return IJL_OK;
  } catch (const std::bad_alloc&) {
    props->JPGErrorText = platform::StandardDescription(platform::ErrorNumber::OutOfMemory);
    return IJL_MEMORY_ERROR;
  }
}

int32_t ijlFree(JPEG_CORE_PROPERTIES* props) {
  if (!props || !props->handle) return IJL_NOT_INITIALISED;
  ReleaseEncoded(*props);
  tjDestroy(static_cast<tjhandle>(props->handle));
  props->handle = nullptr;
  return IJL_OK;
}

}  // namespace jpeg
