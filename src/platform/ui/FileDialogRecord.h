#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

constexpr uint32_t OFN_READONLY = 0x1;
constexpr uint32_t OFN_OVERWRITEPROMPT = 0x2;
constexpr uint32_t OFN_HIDEREADONLY = 0x4;
constexpr uint32_t OFN_ENABLEHOOK = 0x20;
constexpr uint32_t OFN_ENABLETEMPLATE = 0x40;
constexpr uint32_t OFN_ALLOWMULTISELECT = 0x200;
constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;
constexpr uint32_t OFN_EXPLORER = 0x80000;

// The parameter record of the open and save dialogs. Text is UTF-8; the
// buffers are strings padded with NUL characters, and their capacity is the
// smaller of the n-field and the string's real length. A null text field is
// std::nullopt.
struct OPENFILENAME {
  uint32_t lStructSize = 0;
  int32_t hwndOwner = 0;
  // Description and pattern texts, each ending in NUL; an empty text ends the list.
  std::optional<std::string> lpstrFilter;
  uint32_t nFilterIndex = 0;
  std::string lpstrFile;
  uint32_t nMaxFile = 0;
  std::optional<std::string> lpstrFileTitle;
  uint32_t nMaxFileTitle = 0;
  std::optional<std::string> lpstrInitialDir;
  std::optional<std::string> lpstrTitle;
  uint32_t Flags = 0;
  std::optional<std::string> lpstrDefExt;

  bool operator==(const OPENFILENAME&) const = default;
};

}  // namespace platform
