#include "cli/ErrorLine.h"

#include "core/ErrorWords.h"
#include "platform/base/PrintableName.h"

std::string ErrorLine::For(const std::string& file, const std::string& description) {
  return Plain(ErrorWords::Named(file, description));
}

std::string ErrorLine::For(const std::string& file, const std::exception& error) {
  return For(file, ErrorWords::Of(error));
}

std::string ErrorLine::Plain(const std::string& description) { return OneLine("quarvel: " + description); }

// A file name may hold a line break or a terminal's control sequence; the
// message stays one line and prints as it reads.
std::string ErrorLine::OneLine(const std::string& text) { return platform::PrintableName::Line(text); }
