#include "app/ClipboardCommands.h"

#include "platform/base/AppInfo.h"
#include "platform/base/MessageBox.h"
#include "platform/ui/QtClipboard.h"

namespace {

constexpr const char* kClipboardName = "Clipboard";
constexpr const char* kNoPictureOnClipboard = "The clipboard holds no picture.";
constexpr const char* kNothingToCopy =
    "There is nothing to copy yet.\nMake a selection and click the picture to crop it (or resize the "
    "picture) first.";

void Warn(const std::string& text) {
  platform::MessageBox::Show(text, platform::MsgStyle::Exclamation, platform::AppInfo::Title());
}

}  // namespace

// The fixed result, not a preview under way: the pixels hold it once a click or a resize made it.
void ClipboardCommands::CopyResult() {
  if (!p_.resultFixed() || !p_.pixels || p_.pixels->Width() < 1 || p_.pixels->Height() < 1) {
    Warn(kNothingToCopy);
    return;
  }
  if (!platform::QtClipboard::Put(*p_.pixels->hDib())) Warn("The result could not be put on the clipboard.");
}

// As if a file named "Clipboard" had been opened: the picture, its name and
// the layout, with no file behind it for Refresh.
void ClipboardCommands::OpenFromClipboard() {
  std::unique_ptr<gdi::Bitmap> bitmap = platform::QtClipboard::Take();
  if (!bitmap) {
    Warn(kNoPictureOnClipboard);
    return;
  }
  formats::PictureRegion region;
  region.width = bitmap->Width();
  region.height = bitmap->Height();
  region.picture = std::make_shared<const gdi::Picture>(std::move(bitmap));
  p_.open(std::move(region), kClipboardName);
}
