#include "dialogs/mCommonDialog.h"

#include <optional>

#include "platform/base/AppError.h"
#include "platform/ui/FileDialogRecord.h"
#include "platform/ui/FileDialogs.h"

namespace mCommonDialog {

namespace {

constexpr uint32_t kRecordSize = 76;
constexpr size_t kBufferSize = 260;
// The hook and template bits would ask for code the dialogs cannot run.
constexpr int32_t kUnsupportedFlags = platform::OFN_ENABLEHOOK | platform::OFN_ENABLETEMPLATE;

std::optional<std::string> NullWhenEmpty(const std::string& text) {
  return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

// A text padded with NULs to the whole buffer; one that leaves no room for the
// closing NUL cannot be handed over.
std::string Buffer(const std::string& text) {
  if (text.size() >= kBufferSize) {
    throw platform::AppError::Standard(platform::ErrorNumber::InvalidArgument);
  }
  return text + std::string(kBufferSize - text.size(), '\0');
}

platform::OPENFILENAME Record(const std::string& FileName, const std::string& FileTitle,
                              const std::string& Filter, int32_t FilterIndex, const std::string& InitDir,
                              const std::string& DlgTitle, const std::string& DefaultExt, int32_t Owner,
                              int32_t flags) {
  platform::OPENFILENAME record;
  record.lStructSize = kRecordSize;
  record.Flags = static_cast<uint32_t>(flags);
  record.hwndOwner = Owner == -1 ? 0 : Owner;
  record.lpstrInitialDir = NullWhenEmpty(InitDir);
  record.lpstrDefExt = NullWhenEmpty(DefaultExt);
  record.lpstrTitle = NullWhenEmpty(DlgTitle);
  record.lpstrFilter = ConvertFilter(Filter);
  record.nFilterIndex = static_cast<uint32_t>(FilterIndex);
  record.lpstrFile = Buffer(FileName);
  record.nMaxFile = kBufferSize;
  record.lpstrFileTitle = Buffer(FileTitle);
  record.nMaxFileTitle = kBufferSize;
  return record;
}

void TakeChoice(const platform::OPENFILENAME& record, std::string& FileName, std::string& FileTitle,
                std::string& Filter, int32_t& FilterIndex, int32_t& Flags) {
  FileName = TrimAtNul(record.lpstrFile);
  FileTitle = TrimAtNul(record.lpstrFileTitle.value_or(""));
  Flags = static_cast<int32_t>(record.Flags);
  FilterIndex = static_cast<int32_t>(record.nFilterIndex);
  Filter = LookUpFilter(record.lpstrFilter.value_or(""), FilterIndex);
}

void ClearChoice(std::string& FileName, std::string& FileTitle, std::string& Filter, int32_t& FilterIndex,
                 int32_t cancelledIndex, int32_t& Flags) {
  FileName.clear();
  FileTitle.clear();
  Flags = 0;
  FilterIndex = cancelledIndex;
  Filter.clear();
}

}  // namespace

bool ShowOpenDialog(std::string& FileName, std::string& FileTitle, bool FileMustExist, bool MultiSelect,
                    bool& ReadOnly, bool HideReadOnly, std::string& Filter, int32_t& FilterIndex,
                    const std::string& InitDir, const std::string& DlgTitle, const std::string& DefaultExt,
                    int32_t Owner, int32_t& Flags) {
  platform::OPENFILENAME record =
      Record(FileName, FileTitle, Filter, FilterIndex, InitDir, DlgTitle, DefaultExt, Owner,
             OpenFlags(FileMustExist, MultiSelect, ReadOnly, HideReadOnly, Flags));
  if (platform::GetOpenFileNameA(record) != 1) {
    ClearChoice(FileName, FileTitle, Filter, FilterIndex, -1, Flags);
    return false;
  }
  TakeChoice(record, FileName, FileTitle, Filter, FilterIndex, Flags);
  if (record.Flags & platform::OFN_READONLY) {
    ReadOnly = true;
  }
  return true;
}

bool ShowSaveDialog(std::string& FileName, std::string& FileTitle, bool OverwritePrompt, std::string& Filter,
                    int32_t& FilterIndex, const std::string& InitDir, const std::string& DlgTitle,
                    const std::string& DefaultExt, int32_t Owner, int32_t& Flags) {
  platform::OPENFILENAME record = Record(FileName, FileTitle, Filter, FilterIndex, InitDir, DlgTitle,
                                         DefaultExt, Owner, SaveFlags(OverwritePrompt, Flags));
  if (platform::GetSaveFileNameA(record) != 1) {
    ClearChoice(FileName, FileTitle, Filter, FilterIndex, 0, Flags);
    return false;
  }
  TakeChoice(record, FileName, FileTitle, Filter, FilterIndex, Flags);
  return true;
}

std::string TrimAtNul(const std::string& buffer) { return buffer.substr(0, buffer.find('\0')); }

std::string LookUpFilter(const std::string& filter, int32_t index) {
  size_t start = 0;
  for (; index >= 1; --index) {
    size_t descriptionEnd = filter.find('\0', start);
    // Only the closing NULs left: no pair is left.
    if (descriptionEnd == std::string::npos || filter.find_first_not_of('\0', start) == std::string::npos) {
      return "";
    }
    size_t patternEnd = filter.find('\0', descriptionEnd + 1);
    if (index == 1) {
      return filter.substr(start, patternEnd == std::string::npos ? std::string::npos : patternEnd - start);
    }
    if (patternEnd == std::string::npos) {
      return "";
    }
    start = patternEnd + 1;
  }
  return "";
}

std::string ConvertFilter(const std::string& filter) {
  std::string converted = filter;
  for (char& c : converted) {
    if (c == '|' || c == ':') {
      c = '\0';
    }
  }
  return converted + std::string(2, '\0');
}

int32_t OpenFlags(bool FileMustExist, bool MultiSelect, bool ReadOnly, bool HideReadOnly, int32_t Flags) {
  return (FileMustExist ? platform::OFN_FILEMUSTEXIST : 0) |
         (MultiSelect ? platform::OFN_ALLOWMULTISELECT : 0) | (ReadOnly ? platform::OFN_READONLY : 0) |
         (HideReadOnly ? platform::OFN_HIDEREADONLY : 0) | (Flags & ~kUnsupportedFlags);
}

int32_t SaveFlags(bool OverwritePrompt, int32_t Flags) {
  return (OverwritePrompt ? platform::OFN_OVERWRITEPROMPT : 0) | (Flags & ~kUnsupportedFlags) |
         platform::OFN_HIDEREADONLY;
}

}  // namespace mCommonDialog
