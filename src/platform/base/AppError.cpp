#include "platform/base/AppError.h"

#include <cerrno>
#include <cstring>

#include "platform/base/AppInfo.h"

namespace platform {

AppError::AppError(int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

AppError AppError::WithReason(std::string reason) const {
  AppError error = *this;
  error.reason_ = std::move(reason);
  return error;
}

AppError AppError::Standard(int32_t number) {
  return AppError(number, AppInfo::Title(), StandardDescription(number));
}

AppError AppError::WithDescription(int32_t number, std::string description) {
  return AppError(number, AppInfo::Title(), std::move(description));
}

AppError AppError::FromErrno(int errnoValue, const std::string& path) {
  int32_t number = ErrorNumber::PathFileAccess;
  switch (errnoValue) {
    case EACCES:
    case EPERM:
    case EROFS:
      number = ErrorNumber::PermissionDenied;
      break;
    case ENOENT:
    case ENOTDIR:
      number = ErrorNumber::PathNotFound;
      break;
    default:
      break;
  }
  AppError error(number, AppInfo::Title(),
                 StandardDescription(number) + ": " + path + " (" + std::strerror(errnoValue) + ")");
  error.systemError_ = errnoValue;
  return error;
}

std::string StandardDescription(int32_t number) {
  switch (number) {
    case ErrorNumber::InvalidArgument:
      return "Invalid procedure call or argument";
    case ErrorNumber::Overflow:
      return "Overflow";
    case ErrorNumber::OutOfMemory:
      return "Out of memory";
    case ErrorNumber::SubscriptOutOfRange:
      return "Subscript out of range";
    case ErrorNumber::TypeMismatch:
      return "Type mismatch";
    case ErrorNumber::UserInterrupt:
      return "User interrupt occurred";
    case ErrorNumber::FileNotFound:
      return "File not found";
    case ErrorNumber::PermissionDenied:
      return "Permission denied";
    case ErrorNumber::PathFileAccess:
      return "Path/File access error";
    case ErrorNumber::PathNotFound:
      return "Path not found";
    case ErrorNumber::InvalidPicture:
      return "Invalid picture";
    default:
      return "Application-defined or object-defined error";
  }
}

}  // namespace platform
