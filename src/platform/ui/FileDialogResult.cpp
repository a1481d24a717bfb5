#include "platform/ui/FileDialogResult.h"

#include <algorithm>
#include <filesystem>

namespace platform {

namespace {

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

bool ListsSeveralNames(const OPENFILENAME& record, bool save, const FileDialogChoice& choice) {
  return !save && (record.Flags & OFN_ALLOWMULTISELECT) != 0 && choice.paths.size() > 1;
}

std::string FileListText(const std::vector<std::string>& paths) {
  std::string text = std::filesystem::path(paths.front()).parent_path().string();
  text.push_back('\0');
  for (const std::string& path : paths) {
    text += FileNameOf(path);
    text.push_back('\0');
  }
  return text;
}

// Cuts a UTF-8 text to at most maxBytes without splitting a character.
std::string CutUtf8(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) {
    return text;
  }
  size_t end = maxBytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
    --end;
  }
  return text.substr(0, end);
}

std::string Padded(const std::string& text, size_t size) {
  return text + std::string(size > text.size() ? size - text.size() : 0, '\0');
}

// The title is a courtesy copy of the name: cut to fit rather than fail.
void StoreFileTitle(OPENFILENAME& record, const std::string& title) {
  if (!record.lpstrFileTitle) {
    return;
  }
  size_t capacity = BufferCapacity(*record.lpstrFileTitle, record.nMaxFileTitle);
  if (capacity == 0) {
    return;
  }
  *record.lpstrFileTitle = Padded(CutUtf8(title, capacity - 1), record.lpstrFileTitle->size());
}

}  // namespace

size_t BufferCapacity(const std::string& buffer, uint32_t declared) {
  return std::min<size_t>(buffer.size(), declared);
}

int StoreChosenFiles(OPENFILENAME& record, bool save, const FileDialogChoice& choice) {
  if (choice.paths.empty() || choice.paths.front().empty()) {
    return 0;
  }
  bool several = ListsSeveralNames(record, save, choice);
  std::string text = several ? FileListText(choice.paths) : choice.paths.front();
  // One more NUL ends the text (for a list: the second of the closing pair).
  if (text.size() + 1 > BufferCapacity(record.lpstrFile, record.nMaxFile)) {
    return 0;
  }
  record.lpstrFile = Padded(text, record.lpstrFile.size());
  StoreFileTitle(record, several ? std::string() : FileNameOf(choice.paths.front()));
  record.nFilterIndex = choice.filterIndex;
  record.Flags = choice.flags;
  return 1;
}

}  // namespace platform
