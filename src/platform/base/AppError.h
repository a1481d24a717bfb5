#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

// Error numbers as the toolkit numbers them; callers and messages rely on them.
namespace ErrorNumber {
constexpr int32_t InvalidArgument = 5;
constexpr int32_t Overflow = 6;
constexpr int32_t OutOfMemory = 7;
constexpr int32_t SubscriptOutOfRange = 9;
constexpr int32_t TypeMismatch = 13;
constexpr int32_t UserInterrupt = 18;
constexpr int32_t FileNotFound = 53;
constexpr int32_t PermissionDenied = 70;
constexpr int32_t PathFileAccess = 75;
constexpr int32_t PathNotFound = 76;
constexpr int32_t InvalidPicture = 481;
}  // namespace ErrorNumber

// An error raised to the caller: a number, a source and a description.
class AppError : public std::runtime_error {
 public:
  AppError(int32_t number, std::string source, std::string description);

  int32_t Number() const { return number_; }
  const std::string& Source() const { return source_; }
  const std::string& Description() const { return description_; }
  // The C library's errno behind a failed file operation; 0 for other errors.
  int SystemError() const { return systemError_; }
  // What went wrong in words a user can act on: the description, unless the
  // place that raised the error knew more.
  const std::string& Reason() const { return reason_.empty() ? description_ : reason_; }
  // The same error with those words.
  AppError WithReason(std::string reason) const;

  // Errors with the toolkit's standard description and the program as source.
  static AppError Standard(int32_t number);
  static AppError WithDescription(int32_t number, std::string description);
  // The error for a failed file operation, from the C library's errno.
  static AppError FromErrno(int errnoValue, const std::string& path);

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
  std::string reason_;
  int systemError_ = 0;
};

std::string StandardDescription(int32_t number);

}  // namespace platform
