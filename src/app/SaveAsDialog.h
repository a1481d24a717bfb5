#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/SaveKinds.h"

class cDIBSection;
class JpegOptionsDialog;

// Save As: one file dialog for every kind the program writes, the kind
// following the name's extension or else the chosen filter; for JPEG the
// quality and the size limit in one further step that shows the file's size
// first. The replace question, the atomic write and the words for failures
// are the other saves'.
class SaveAsDialog {
 public:
  struct Choices {
    std::string folder;                          // where the dialog opens; the folder saved to afterwards
    int32_t quality = 90;                        // the JPEG quality offered; the one written afterwards
    std::optional<int32_t> maxKilobytes;         // the JPEG limit offered; the one used afterwards
    SaveKinds::Kind kind = SaveKinds::kOffered;  // the kind offered; the one written afterwards
  };

  SaveAsDialog(QWidget* owner, cDIBSection& result, std::string pictureName);

  // True when a file was written; a cancel anywhere writes nothing and says nothing.
  bool Run(Choices& choices);

  // The path written last.
  const std::string& Written() const { return written_; }

  // For tests: runs with the JPEG step's dialog shown, instead of waiting for the user.
  static void SetJpegStepHook(std::function<void(JpegOptionsDialog&)> hook);

 private:
  // The name chosen, with its kind, after any replace question; none when cancelled.
  std::optional<std::string> ChooseName(Choices& choices, SaveKinds::Kind& kind);
  void Write(const std::string& path, SaveKinds::Kind kind);

  QWidget* owner_;
  cDIBSection& result_;
  std::string pictureName_;
  std::string written_;
  // The JPEG file the JPEG step measured, written as it is.
  std::vector<uint8_t> jpegBytes_;
};
