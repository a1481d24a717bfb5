#include "platform/ui/ReplaceQuestion.h"

#include <filesystem>
#include <system_error>

#include "platform/base/MessageBox.h"

namespace platform {

bool ReplaceQuestion::Allows(const std::string& path) {
  std::error_code error;
  // A link that leads nowhere is still something the save would replace.
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) return true;
  return MessageBox::Show(Text(path), MsgStyle::YesNo | MsgStyle::Exclamation | MsgStyle::DefaultButton2) ==
         vbYes;
}

std::string ReplaceQuestion::Text(const std::string& path) {
  return std::filesystem::path(path).filename().string() + " already exists.\nDo you want to replace it?";
}

}  // namespace platform
