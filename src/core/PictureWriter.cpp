#include "core/PictureWriter.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "formats/jpeg/JpegBudget.h"
#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "formats/png/PngWriter.h"
#include "formats/tga/SaveTGA.h"
#include "imaging/cDIBSection.h"
#include "platform/base/AppError.h"
#include "platform/base/AtomicFile.h"

using platform::AppError;
namespace ErrorNumber = platform::ErrorNumber;

std::optional<OutputFormat> PictureWriter::FormatFor(const std::string& path) {
  const formats::FileFormat* format = formats::FormatTable::WrittenAs(path);
  if (!format) return std::nullopt;
  return format->kind;
}

std::string PictureWriter::WithTargaExtension(const std::string& path) {
  return formats::FormatTable::WithExtension(path, OutputFormat::Targa);
}

std::string PictureWriter::FileIdentity(const std::string& path) {
  std::error_code ec;
  std::filesystem::path identity = std::filesystem::weakly_canonical(path, ec);
  if (ec) identity = std::filesystem::absolute(path, ec).lexically_normal();
  return identity.string();
}

std::string PictureWriter::Write(gdi::MemorySurface& surface, const std::string& path,
                                 const WriteOptions& options) {
  const OutputFormat format = RequireFormat(path);
  if (format == OutputFormat::Targa) {
    SaveTGA().SaveTGAinFile(path, surface, options.rle);
    return {};
  }
  if (format == OutputFormat::Png) {
    formats::PngWriter::Save(surface.Image(), path);
    return {};
  }
  cDIBSection bitmap;
  if (!bitmap.Create(surface.Image().Width(), surface.Image().Height())) {
    throw AppError::Standard(ErrorNumber::OutOfMemory);
  }
  bitmap.LoadPictureBlt(surface.hDC());
  return WriteJpeg(bitmap, path, options);
}

std::string PictureWriter::Write(cDIBSection& bitmap, const std::string& path, const WriteOptions& options) {
  const OutputFormat format = RequireFormat(path);
  if (format == OutputFormat::Jpeg) return WriteJpeg(bitmap, path, options);
  if (format == OutputFormat::Png) {
    if (!bitmap.hDib()) throw AppError::Standard(ErrorNumber::InvalidArgument);
    formats::PngWriter::Save(*bitmap.hDib(), path);
    return {};
  }
  // The writer reads the bitmap's own pixels through a surface sharing them.
  gdi::MemorySurface surface(bitmap.hDib()->ShareCopy());
  SaveTGA().SaveTGAinFile(path, surface, options.rle);
  return {};
}

OutputFormat PictureWriter::RequireFormat(const std::string& path) {
  std::optional<OutputFormat> format = FormatFor(path);
  if (!format) {
    throw AppError::WithDescription(
        ErrorNumber::InvalidArgument,
        "unknown output type (use " + formats::FormatTable::WrittenExtensions() + ")");
  }
  return *format;
}

std::string PictureWriter::WriteJpeg(cDIBSection& bitmap, const std::string& path,
                                     const WriteOptions& options) {
  // A replaced file gets the time of the write, as any command-line tool's does.
  if (options.maxBytes <= 0) {
    platform::AtomicFile::CheckReplaceable(path);
    mIntelJPEGLibrary::WriteJPEGFile(path, mIntelJPEGLibrary::EncodeJPEG(bitmap, options.quality), false);
    return {};
  }
  const BudgetedJpeg jpeg = JpegBudget::Save(bitmap, path, options.maxBytes, false);
  return "JPEG quality " + std::to_string(jpeg.quality) + ", " + std::to_string(jpeg.bytes.size()) + " bytes";
}
