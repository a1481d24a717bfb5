#pragma once

#include <functional>
#include <memory>
#include <string>

#include "formats/PictureRegion.h"
#include "imaging/cDIBSection.h"

// Copy and paste: Ctrl+C puts the fixed result on the clipboard as a
// picture; Ctrl+V opens the clipboard's picture as from a file named
// "Clipboard".
class ClipboardCommands {
 public:
  struct Parts {
    // A result is shown and no selection is under way to preview another.
    std::function<bool()> resultFixed;
    // The result's pixels, once a click or a resize made them.
    const std::unique_ptr<cDIBSection>& pixels;
    // Opens a picture read from elsewhere, under the name given.
    std::function<void(formats::PictureRegion picture, const std::string& name)> open;
  };

  explicit ClipboardCommands(Parts parts) : p_(std::move(parts)) {}

  void CopyResult();
  void OpenFromClipboard();

 private:
  Parts p_;
};
