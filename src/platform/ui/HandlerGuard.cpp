#include "platform/ui/HandlerGuard.h"

#include <exception>
#include <new>

#include "platform/base/AppError.h"
#include "platform/base/AppInfo.h"
#include "platform/base/MessageBox.h"

namespace platform {
namespace {
// What the toolkit calls an error that is none of its own.
constexpr int kInternalError = 51;
}  // namespace

void HandlerGuard::Run(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const AppError& e) {
    Report(e.Number(), e.Description());
  } catch (const std::bad_alloc&) {
    Report(ErrorNumber::OutOfMemory, StandardDescription(ErrorNumber::OutOfMemory));
  } catch (const std::exception& e) {
    Report(kInternalError, std::string("Internal error: ") + e.what());
  } catch (...) {
    Report(kInternalError, "Internal error");
  }
}

void HandlerGuard::Report(int number, const std::string& description) {
  try {
    MessageBox::Show("Error " + std::to_string(number) + ": " + description, MsgStyle::Critical,
                     AppInfo::Title());
  } catch (...) {
    // A report that fails itself has nowhere left to go; the handler is over either way.
  }
}

}  // namespace platform
