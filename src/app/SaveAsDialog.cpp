#include "app/SaveAsDialog.h"

#include <filesystem>

#include "app/JpegOptionsDialog.h"
#include "core/ErrorWords.h"
#include "core/PictureWriter.h"
#include "dialogs/mCommonDialog.h"
#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "formats/png/PngWriter.h"
#include "imaging/cDIBSection.h"
#include "platform/base/AppInfo.h"
#include "platform/base/MessageBox.h"
#include "platform/base/PrintableName.h"
#include "platform/ui/ReplaceQuestion.h"
#include "platform/ui/WindowHandles.h"

namespace {

constexpr const char* kSaveFailed = "Failed to save the picture to the file: '";

std::function<void(JpegOptionsDialog&)>& JpegStepHook() {
  static std::function<void(JpegOptionsDialog&)> hook;
  return hook;
}

}  // namespace

SaveAsDialog::SaveAsDialog(QWidget* owner, cDIBSection& result, std::string pictureName)
    : owner_(owner), result_(result), pictureName_(std::move(pictureName)) {}

void SaveAsDialog::SetJpegStepHook(std::function<void(JpegOptionsDialog&)> hook) {
  JpegStepHook() = std::move(hook);
}

bool SaveAsDialog::Run(Choices& choices) {
  SaveKinds::Kind kind = choices.kind;
  auto path = ChooseName(choices, kind);
  if (!path) return false;
  if (kind == SaveKinds::Kind::Jpeg) {
    JpegOptionsDialog step(result_, choices.quality, choices.maxKilobytes, owner_);
    if (JpegStepHook()) {
      JpegStepHook()(step);
    } else {
      step.exec();
    }
    if (step.result() != QDialog::Accepted || step.Bytes().empty()) return false;
    choices.quality = step.ChosenQuality();
    choices.maxKilobytes = step.MaxKilobytes();
    jpegBytes_ = step.Bytes();
  }
  choices.folder = std::filesystem::path(*path).parent_path().string();
  choices.kind = kind;
  std::string reason;
  try {
    Write(*path, kind);
    written_ = *path;
    return true;
  } catch (const std::exception& e) {
    reason = ErrorWords::Of(e);
  }
  platform::MessageBox::Show(kSaveFailed + platform::PrintableName::Line(*path) + "'" +
                                 (reason.empty() ? "" : "\n" + platform::PrintableName::Line(reason)),
                             platform::MsgStyle::Exclamation, platform::AppInfo::Title());
  return false;
}

std::optional<std::string> SaveAsDialog::ChooseName(Choices& choices, SaveKinds::Kind& kind) {
  const SaveKinds::Kind offered = choices.kind;
  std::string fileName = SaveKinds::SuggestedName(pictureName_, result_.Width(), result_.Height(), offered);
  int32_t filterIndex = SaveKinds::FilterIndexOf(offered);
  for (;;) {
    std::string fileTitle;
    std::string filter = SaveKinds::Filter();
    int32_t flags = 0;
    // The dialog doesn't ask about replacing: the name it gives may still get its extension.
    if (!mCommonDialog::ShowSaveDialog(fileName, fileTitle, false, filter, filterIndex, choices.folder,
                                       "Save As", "", platform::WindowHandles::HandleOf(owner_), flags)) {
      return std::nullopt;
    }
    const std::string path =
        SaveKinds::Resolve(fileName, SaveKinds::ForFilterIndex(filterIndex).value_or(offered), kind);
    if (platform::ReplaceQuestion::Allows(path)) return path;
    // No goes back to the dialog, showing the name chosen.
  }
}

void SaveAsDialog::Write(const std::string& path, SaveKinds::Kind kind) {
  switch (kind) {
    case SaveKinds::Kind::Jpeg:
      mIntelJPEGLibrary::WriteJPEGFile(path, jpegBytes_);
      return;
    case SaveKinds::Kind::Png:
      formats::PngWriter::Save(*result_.hDib(), path);
      return;
    default:
      PictureWriter::Write(result_, path, WriteOptions{});
      return;
  }
}
