#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/MapMakerAids.h"
#include "app/PixelSize.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/ui/TextBox.h"

class SelectionTool;

// For map makers. During a selection: G snaps the frame's corner to a grid
// (Shift+G asks for its cell size), R steps through the reductions of a
// region and L averages in linear light. At any time: Ctrl+Shift+C copies
// the command line of the crop fixed last, Ctrl+Shift+R repeats that crop
// on the picture now open, Ctrl+Shift+Delete forgets every remembered frame.
// A menu can offer these as they stand. During a selection the window's
// title says the keys and the choices they change.
class MapMakerCommands {
 public:
  struct Parts {
    QWidget& window;
    // The window's title outside a selection.
    QString title;
    SelectionTool& selection;
    // The selection size boxes, which a remembered frame's size goes into.
    platform::TextBox& selWidth;
    platform::TextBox& selHeight;
    // The picture open: its file, empty for none, and its size once loaded.
    const std::string& fileName;
    const std::optional<PixelSize>& pictureSize;
    // A selection can be begun now.
    std::function<bool()> canSelect;
    // Fixes the crop, as a click on the picture does.
    std::function<void()> fix;
  };

  explicit MapMakerCommands(Parts parts);

  MapMakerAids& Aids() { return aids_; }

  // "&Make Your Selection": the first selection on a picture cut before starts where its last crop was.
  void BeginSelection();
  // The crop just fixed: `region` of the picture made a result of `size`.
  void Fixed(const gdi::Rect& region, PixelSize size);
  // Selection mode began or ended.
  void ShowSelectionHint(bool selecting);

  void ToggleGridSnap();
  void ChooseGridSize();
  void NextReduction();
  void ToggleLinearLight();
  void CopyCropCommand();
  void RepeatLastCrop();
  void ForgetRememberedFrames();
  // The command line CopyCropCommand puts on the clipboard; empty before a crop.
  std::string CropCommandLine() const;

 private:
  // The grid and reduction chosen, given to the selection, which redraws.
  void ApplyMapChoices();
  void ShowMapHint();
  // Starts a selection at a crop: its size into the boxes, then its region.
  bool BeginAt(const std::optional<FixedCrop>& crop);

  Parts p_;
  MapMakerAids aids_;
  // The picture whose remembered frame its first selection started at.
  std::string frameRestoredFor_;
};
