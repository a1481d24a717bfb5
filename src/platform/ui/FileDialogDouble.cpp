#include "platform/ui/FileDialogDouble.h"

#include <stdexcept>

#include "platform/ui/FileDialogResult.h"

namespace platform {

namespace {
FileDialogDouble* installed = nullptr;
}

FileDialogDouble::FileDialogDouble() : previous_(installed) { installed = this; }

FileDialogDouble::~FileDialogDouble() { installed = previous_; }

FileDialogDouble* FileDialogDouble::Installed() { return installed; }

void FileDialogDouble::Choose(std::string path, std::optional<uint32_t> filterIndex,
                              std::optional<uint32_t> flags) {
  ChooseMany({std::move(path)}, filterIndex, flags);
}

void FileDialogDouble::ChooseMany(std::vector<std::string> paths, std::optional<uint32_t> filterIndex,
                                  std::optional<uint32_t> flags) {
  script_.push_back(Script{false, std::move(paths), filterIndex, flags});
}

void FileDialogDouble::Cancel() { script_.push_back(Script{}); }

const FileDialogDouble::Call& FileDialogDouble::LastCall() const {
  if (calls_.empty()) {
    throw std::logic_error("no file dialog was asked for");
  }
  return calls_.back();
}

int FileDialogDouble::Answer(Kind kind, OPENFILENAME& record) {
  calls_.push_back(Call{kind, record});
  if (script_.empty()) {
    return 0;
  }
  Script next = std::move(script_.front());
  script_.pop_front();
  if (next.cancel) {
    return 0;
  }
  FileDialogChoice choice{std::move(next.paths), next.filterIndex.value_or(record.nFilterIndex),
                          next.flags.value_or(record.Flags)};
  return StoreChosenFiles(record, kind == Kind::Save, choice);
}

}  // namespace platform
