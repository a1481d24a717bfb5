#pragma once

#include <QLabel>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "imaging/cDIBSection.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/TextBox.h"

// The result's saves: "&Save" writes what the result shows as a Targa file,
// the covered JPEG button writes its pixels at the quality or size limit the
// covered boxes hold, and Save As writes any kind the program writes. A
// failure names the file, with the writer's reason on a line of its own.
class ResultSaves {
 public:
  struct Parts {
    QWidget& window;
    // What the result shows; blank before a crop or a resize.
    platform::PictureBox& result;
    // The result's pixels, once a click or a resize made them.
    std::unique_ptr<cDIBSection>& pixels;
    // The picture's file name as shown, which Save As suggests a name from.
    const QLabel& fileName;
    platform::TextBox& quality;
    platform::TextBox& maxSize;
  };

  explicit ResultSaves(Parts parts) : p_(parts) {}

  void SaveTarga();
  void SaveJpeg();
  // One dialog for every kind written; the JPEG choices are those of the covered boxes.
  void SaveAs();
  // A crop or a resized picture is shown as the result; before one, the result is blank.
  bool HasResult() const { return !p_.result.Blank(); }
  // The quality in its box as a whole number; an unreadable one becomes 90, in the box too.
  int32_t JpegQuality();
  // The size limit in its box in bytes; none when the box is empty. A limit
  // that is no whole number of at least 1 KB empties the box.
  std::optional<int64_t> MaxJpegBytes();

  // The folder of the file saved last, kept in the settings between runs.
  const std::string& Folder() const { return folder_; }
  void SetFolder(std::string folder) { folder_ = std::move(folder); }

 private:
  // Says there is nothing to save yet when there is no result.
  bool ResultToSave();

  Parts p_;
  std::string folder_;
};
