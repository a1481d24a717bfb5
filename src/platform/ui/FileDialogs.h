#pragma once

#include "platform/ui/FileDialogRecord.h"

namespace platform {

// The modal open and save dialogs. Each returns 1 when the user chose a file,
// with the record's outputs written, and 0 when the user cancelled or the
// choice does not fit the record's file buffer. While a FileDialogDouble is
// installed it answers instead, and no window is shown.
int GetOpenFileNameA(OPENFILENAME& record);
int GetSaveFileNameA(OPENFILENAME& record);

}  // namespace platform
