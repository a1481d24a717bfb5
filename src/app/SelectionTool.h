#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/PixelSize.h"
#include "core/GridSnap.h"
#include "core/RegionScaler.h"
#include "imaging/ReducedCopies.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Picture.h"
#include "platform/ui/PictureBox.h"

// The crop: a frame of the result's size, or of a scaled region, follows the
// pointer over the picture with a live preview beside it, and a click fixes
// the result. It owns the selection as a rectangle in picture pixels, the
// result's size and the region's scale; the window hands it plain values
// (the size its boxes hold, the pointer in picture pixels) and shows it
// through four surfaces: the picture, its clean copy, the result and the
// result's buffer.
class SelectionTool {
 public:
  struct Surfaces {
    platform::PictureBox& source;
    platform::PictureBox& buffer;
    platform::PictureBox& dest;
    platform::PictureBox& destBuffer;
  };
  struct Hooks {
    // The window fits itself around the result after its size changed.
    std::function<void()> fitWindow;
    // Selection mode began or ended.
    std::function<void(bool selecting)> modeChanged;
    // Draws the frame on the picture, as DrawOutline does; it may let pending events run.
    std::function<void(const gdi::Rect& frame, gdi::COLORREF colour)> drawFrame;
  };

  static constexpr gdi::COLORREF kWhite = 0x00FFFFFF;
  static constexpr gdi::COLORREF kBlack = 0;
  static constexpr int32_t kEighths = 8;

  SelectionTool(Surfaces surfaces, Hooks hooks);
  ~SelectionTool();

  // The loaded picture's size; none before any picture. A new picture ends a
  // selection in progress: the surfaces it sized no longer fit it.
  void PictureLoaded(PixelSize picture);
  // The size the next result takes; none when the boxes hold no usable size.
  // During a selection the surfaces, the frame and the preview follow at once.
  void SetResultSize(std::optional<PixelSize> size);
  const std::optional<PixelSize>& ResultSize() const { return resultSize_; }

  bool Selecting() const { return selecting_; }
  // The colour of the frame drawn last; it alternates white and black.
  gdi::COLORREF FrameColour() const { return frameColour_; }
  // The part of the picture the frame holds, in picture pixels; none before a move.
  const std::optional<gdi::Rect>& Selection() const { return selection_; }
  // The part of the picture a result of the current size is made from.
  RegionSize Region() const;

  // Starts a selection; false, nothing changed, without a usable size.
  bool Begin();
  // The frame centred on (x, y) in picture pixels, clamped at the picture's edges.
  void MoveTo(int32_t x, int32_t y);
  // Moves the frame by whole picture pixels from where it is, or from the
  // pointer or the picture's centre before any move.
  void Nudge(int32_t dx, int32_t dy);
  // The region grows (+1) or shrinks (-1) by an eighth of the result's size,
  // never below it, or goes back to it (0).
  void Grow(int change);
  // The region becomes the largest of the result's proportions that fits in
  // the picture, centred. A picture a result can't be blended from is said
  // here, once, and not on every move.
  void FitWholePicture();
  // The frame's corner keeps to this grid from the next move on, and a nudge
  // moves whole cells; none places it freely.
  void SetGrid(std::optional<GridSnap> grid) { grid_ = grid; }
  const std::optional<GridSnap>& Grid() const { return grid_; }
  // How a region of another size becomes the result, from the next move on.
  void SetReduction(const Reduction& reduction) { reduction_ = reduction; }
  const Reduction& Reduce() const { return reduction_; }
  // The frame over `region` of the picture: its size a whole number of
  // eighths of the result's, or the largest the picture holds; else at 1:1.
  void PlaceRegion(const gdi::Rect& region);
  // Ends the selection and makes the preview the result in the dest surface;
  // gives the result's size.
  PixelSize Fix();
  // Ends the selection; the result shows what it showed before Begin.
  void Cancel();

  // A one-pixel outline with (x2, y2) exclusive; the pixels inside stay.
  static void DrawOutline(platform::PictureBox& surface, const gdi::Rect& frame, gdi::COLORREF colour);
  // Sizes a surface, placed in twips, to hold `size` pixels.
  static void SetPixelSize(platform::PictureBox& surface, PixelSize size);

 private:
  // A region of a picture resampled to width x height.
  struct RegionShown {
    gdi::PicturePtr picture;
    gdi::Rect region;
    int32_t width;
    int32_t height;
  };
  // What dest showed before Begin, for a cancel.
  struct ResultBefore {
    float width;
    float height;
    bool autoRedraw;
    std::unique_ptr<gdi::Bitmap> image;
  };

  void Leave();
  void ShowGrid();
  // The pointer's place over the picture; none when it is elsewhere.
  std::optional<PixelPoint> PointerOverPicture() const;
  void SizeSurfaces(PixelSize size);
  void PreviewRegion(RegionShown shown);
  void BufferRegion(const RegionShown& shown);
  void SharpenPreview();
  // Puts back the clean picture under every frame drawn since the last wipe,
  // within `bounds`: all a wipe of the whole picture would change. The last
  // wipe, when selection mode ends, forgets every frame.
  void WipeFrames(const gdi::Rect& bounds, bool lastWipe);
  void WipeAllFrames();
  void KeepResultBefore();
  void RestoreResultBefore();

  Surfaces s_;
  Hooks hooks_;
  std::optional<PixelSize> picture_;
  std::optional<PixelSize> resultSize_;
  // The size the result and its buffer were given for this selection: the
  // size the click fixes, kept as a number rather than read back from them.
  PixelSize shownSize_;
  bool selecting_ = false;
  gdi::COLORREF frameColour_ = kBlack;
  std::optional<gdi::Rect> selection_;
  // In picture pixels: the pointer place the frame drawn last was asked for,
  // where a new size puts the frame; and the place that frame would have
  // without clamping, where a nudge starts from.
  std::optional<PixelPoint> pointer_;
  std::optional<PixelPoint> centre_;
  // The region's size in eighths of the result's; or the whole picture's largest region.
  int32_t eighths_ = kEighths;
  bool fits_ = false;
  std::optional<GridSnap> grid_;
  Reduction reduction_;
  std::optional<ResultBefore> resultBefore_;
  // Frames drawn on the picture and not yet wiped.
  std::vector<gdi::Rect> framesDrawn_;
  // Reduced copies of the picture, for quick previews of large regions.
  std::unique_ptr<ReducedCopies> reducedCopies_;
  // What destBuffer shows when it came from them; the fix makes it exact.
  std::optional<RegionShown> roughPreview_;
  // Counts beginnings, moves and ends, so a move resumed after its drawing's
  // yield knows whether another one ran meanwhile.
  uint64_t events_ = 0;
};
