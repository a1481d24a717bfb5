#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/FileDialogRecord.h"

namespace platform {

// What the user chose in a file dialog: full paths, the 1-based filter index
// and the flags to report.
struct FileDialogChoice {
  std::vector<std::string> paths;
  uint32_t filterIndex = 0;
  uint32_t flags = 0;
};

// Writes a choice into the record as the system dialogs do and returns 1, or
// returns 0 and leaves the record as it was when the names do not fit the file
// buffer. Several names (open dialog with OFN_ALLOWMULTISELECT only) are stored
// as the folder, NUL, each name followed by NUL, and a closing NUL.
int StoreChosenFiles(OPENFILENAME& record, bool save, const FileDialogChoice& choice);

// The usable part of a record buffer: never more than the string really holds.
size_t BufferCapacity(const std::string& buffer, uint32_t declared);

}  // namespace platform
