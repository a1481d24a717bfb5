#include "dialogs/OpenSaveDLG.h"

#include <filesystem>
#include <system_error>

#include "platform/base/AppError.h"
#include "platform/ui/FileDialogRecord.h"
#include "platform/ui/FileDialogs.h"

namespace {

constexpr uint32_t kRecordSize = 76;
constexpr uint32_t kTitleBufferSize = 255;

std::string TrimSpaces(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    return "";
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void OpenSaveDLG::SetFilter(const std::string& sFilter) { filter_ = TrimSpaces(sFilter); }

void OpenSaveDLG::SetInitDir(const std::string& sInitDir) { initDir_ = TrimSpaces(sInitDir); }

void OpenSaveDLG::SetReturnPath(const std::string& sReturnPath) { returnPath_ = TrimSpaces(sReturnPath); }

void OpenSaveDLG::SetFileName(const std::string& sFileName) { fileName_ = TrimSpaces(sFileName); }

void OpenSaveDLG::SetDialogTitle(const std::string& sDialogTitle) { dialogTitle_ = TrimSpaces(sDialogTitle); }

std::string OpenSaveDLG::ReturnPath() const {
  return shortFileName_ ? GetShortPath(returnPath_) : TrimSpaces(returnPath_);
}

uint32_t OpenSaveDLG::DialogFlags() const {
  uint32_t flags = readOnly_ ? platform::OFN_READONLY : platform::OFN_ALLOWMULTISELECT;
  return flags | (oldStyle_ ? platform::OFN_ALLOWMULTISELECT : platform::OFN_EXPLORER);
}

bool OpenSaveDLG::Show(int32_t Variante) {
  // The name needs its closing NUL inside the buffer.
  if (fileName_.size() >= kFileBufferSize) {
    throw platform::AppError::Standard(platform::ErrorNumber::InvalidArgument);
  }
  platform::OPENFILENAME record;
  record.lStructSize = kRecordSize;
  record.hwndOwner = owner_;
  if (filter_) {
    record.lpstrFilter = *filter_ + '\0';
  }
  record.nFilterIndex = 1;
  record.lpstrFile = fileName_ + std::string(kFileBufferSize - fileName_.size(), '\0');
  record.nMaxFile = kFileBufferSize;
  record.lpstrFileTitle = std::string(kTitleBufferSize, '\0');
  record.nMaxFileTitle = kTitleBufferSize;
  record.lpstrInitialDir = initDir_;
  record.lpstrTitle = dialogTitle_;
  record.Flags = DialogFlags();

  int result = Variante != 0 ? platform::GetSaveFileNameA(record) : platform::GetOpenFileNameA(record);
  if (result == 1) {
    returnPath_ = record.lpstrFile.substr(0, record.lpstrFile.find('\0'));
    return true;
  }
  returnPath_.clear();
  if (result == 0 && cancelError_) {
    throw platform::AppError::Standard(platform::ErrorNumber::UserInterrupt);
  }
  return false;
}

// Every existing path is its own short form here; the path ends at a NUL as
// the system's would.
std::string OpenSaveDLG::GetShortPath(const std::string& sPath) {
  std::string path = sPath.substr(0, sPath.find('\0'));
  std::error_code error;
  return !path.empty() && std::filesystem::exists(path, error) ? path : "";
}
