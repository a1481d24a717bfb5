#include "app/ResultSaves.h"

#include <filesystem>
#include <functional>

#include "app/SaveAsDialog.h"
#include "app/WholeNumber.h"
#include "core/ErrorWords.h"
#include "core/PictureWriter.h"
#include "dialogs/OpenSaveDLG.h"
#include "dialogs/mCommonDialog.h"
#include "formats/FormatTable.h"
#include "formats/jpeg/JpegBudget.h"
#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "formats/tga/SaveTGA.h"
#include "platform/base/AppInfo.h"
#include "platform/base/MessageBox.h"
#include "platform/base/PrintableName.h"
#include "platform/ui/ReplaceQuestion.h"
#include "platform/ui/WindowHandles.h"

namespace {

constexpr const char* kAllFiles = "All Files (*.*)|*.*";
const formats::FileFormat& kJpeg = formats::FormatTable::Of(formats::FileKind::Jpeg);
constexpr const char* kSaveFailed = "Failed to save the picture to the file: '";
constexpr const char* kNothingToSave =
    "There is nothing to save yet.\nMake a selection and click the picture to crop it (or resize the "
    "picture) first.";

void Warn(const std::string& text) {
  platform::MessageBox::Show(text, platform::MsgStyle::Exclamation, platform::AppInfo::Title());
}

std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

// A save that fails says so, naming the file; the writer's reason goes on a line of its own.
void SaveOrReport(const std::string& path, const std::function<bool()>& save) {
  std::string reason;
  try {
    if (save()) return;
  } catch (const std::exception& e) {
    reason = ErrorWords::Of(e);
  }
  Warn(kSaveFailed + platform::PrintableName::Line(path) + "'" +
       (reason.empty() ? "" : "\n" + platform::PrintableName::Line(reason)));
}

}  // namespace

// A blank result is the surface's background: written out it would pass for
// a crop, a light grey one as large as the picture.
bool ResultSaves::ResultToSave() {
  if (HasResult()) return true;
  Warn(kNothingToSave);
  return false;
}

void ResultSaves::SaveAs() {
  if (!ResultToSave() || !p_.pixels) return;
  const std::string shown = p_.fileName.text().toStdString();
  SaveAsDialog dialog(&p_.window, *p_.pixels, shown == "[file name]" ? "" : shown);
  SaveAsDialog::Choices choices{folder_, JpegQuality(), std::nullopt};
  if (auto limit = MaxJpegBytes()) choices.maxKilobytes = static_cast<int32_t>(*limit / 1024);
  if (!dialog.Run(choices)) return;
  folder_ = choices.folder;
  p_.quality.SetText(convert::ToText(choices.quality));
  p_.maxSize.SetText(choices.maxKilobytes ? convert::ToText(*choices.maxKilobytes) : "");
}

void ResultSaves::SaveTarga() {
  if (!ResultToSave()) return;
  OpenSaveDLG dialog;
  dialog.SetDialogTitle("Save-Filename");
  dialog.SetFilter(formats::FormatTable::SaveFilter(formats::FileKind::Targa, '\0'));
  if (!folder_.empty()) dialog.SetInitDir(folder_);
  std::string fileName;
  for (;;) {
    dialog.Show(1);
    const std::string chosen = dialog.ReturnPath();
    if (chosen.empty()) return;
    // The extension is added after the dialog, so the dialog can't ask about the file it names.
    fileName = PictureWriter::WithTargaExtension(chosen);
    if (platform::ReplaceQuestion::Allows(fileName)) break;
    // No goes back to the dialog, showing the name chosen.
    dialog.SetFileName(chosen);
  }
  folder_ = FolderOf(fileName);
  SaveOrReport(fileName, [&] {
    SaveTGA().SaveTGAinFile(fileName, p_.result, false);
    return true;
  });
}

void ResultSaves::SaveJpeg() {
  std::string fileName;
  std::string fileTitle;
  std::string filter = formats::FormatTable::SaveFilter(formats::FileKind::Jpeg, '|') + kAllFiles;
  int32_t filterIndex = 1;
  int32_t flags = 0;
  if (!mCommonDialog::ShowSaveDialog(fileName, fileTitle, true, filter, filterIndex, folder_, "",
                                     std::string(kJpeg.DialogExtension()),
                                     platform::WindowHandles::HandleOf(&p_.window), flags)) {
    return;
  }
  folder_ = FolderOf(fileName);
  if (!p_.pixels) p_.pixels = std::make_unique<cDIBSection>();
  const std::optional<int64_t> budget =
      kJpeg.Takes(formats::WriteOption::ByteBudget) ? MaxJpegBytes() : std::nullopt;
  if (budget) {
    SaveOrReport(fileName, [&] {
      p_.quality.SetText(convert::ToText(JpegBudget::Save(*p_.pixels, fileName, *budget).quality));
      return true;
    });
    return;
  }
  const int32_t quality = JpegQuality();
  SaveOrReport(fileName, [&] { return mIntelJPEGLibrary::SaveJPEGinFile(*p_.pixels, fileName, quality); });
}

std::optional<int64_t> ResultSaves::MaxJpegBytes() {
  if (p_.maxSize.Text().empty()) return std::nullopt;
  auto kilobytes = WholeNumber(p_.maxSize.Text());
  if (kilobytes && *kilobytes >= 1) return int64_t{*kilobytes} * 1024;
  p_.maxSize.SetText("");
  return std::nullopt;
}

int32_t ResultSaves::JpegQuality() {
  if (auto quality = WholeNumber(p_.quality.Text())) return *quality;
  p_.quality.SetText(convert::ToText(kDefaultJpegQuality));
  return kDefaultJpegQuality;
}
