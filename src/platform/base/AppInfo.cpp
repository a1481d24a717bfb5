#include "platform/base/AppInfo.h"

namespace platform {
namespace {
std::string& TitleStore() {
  static std::string title = "quarvel";
  return title;
}
std::string& ExeStore() {
  static std::string name = "quarvel";
  return name;
}
}  // namespace

const std::string& AppInfo::Title() { return TitleStore(); }
void AppInfo::SetTitle(std::string title) { TitleStore() = std::move(title); }
const std::string& AppInfo::ExeName() { return ExeStore(); }
void AppInfo::SetExeName(std::string name) { ExeStore() = std::move(name); }

}  // namespace platform
