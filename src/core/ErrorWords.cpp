#include "core/ErrorWords.h"

#include <cctype>
#include <new>

#include "platform/base/AppError.h"
#include "platform/base/PrintableName.h"

namespace ErrorNumber = platform::ErrorNumber;

std::string ErrorWords::Of(const std::exception& error) {
  if (auto* appError = dynamic_cast<const platform::AppError*>(&error)) return appError->Reason();
  if (dynamic_cast<const std::bad_alloc*>(&error)) {
    return platform::StandardDescription(ErrorNumber::OutOfMemory);
  }
  return error.what();
}

std::string ErrorWords::Opening(const std::exception& error) {
  auto* appError = dynamic_cast<const platform::AppError*>(&error);
  if (!appError) return Of(error);
  const bool standard = appError->Reason() == platform::StandardDescription(appError->Number());
  switch (appError->Number()) {
    case ErrorNumber::FileNotFound:
    case ErrorNumber::PathNotFound:
      return "not found";
    case ErrorNumber::InvalidPicture:
      return standard ? "not a picture this program reads" : appError->Reason();
    case ErrorNumber::PathFileAccess:
      return standard ? "not a file that can be read" : appError->Reason();
    default:
      return appError->Reason();
  }
}

std::string ErrorWords::Named(const std::string& file, const std::string& words) {
  // Descriptions of file errors name the path themselves; once is enough.
  std::string text = words;
  const std::string named = ": " + file;
  if (!file.empty()) {
    if (size_t at = text.find(named); at != std::string::npos) text.erase(at, named.size());
  }
  return platform::PrintableName::Of(file) + ": " + platform::PrintableName::Line(AfterColon(text));
}

// A sentence of its own starts with a capital; after "file: " it reads on
// in small letters. A word in capitals ("JPEG") stays as it is.
std::string ErrorWords::AfterColon(std::string words) {
  if (words.size() >= 2 && std::isupper(static_cast<unsigned char>(words[0])) &&
      !std::isupper(static_cast<unsigned char>(words[1]))) {
    words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
  }
  return words;
}

std::string ErrorWords::Explained(const std::string& words, const std::string& why) {
  return why.empty() ? words : words + " (" + platform::PrintableName::Line(why) + ")";
}
