#include "app/SelectionTool.h"

#include <QCursor>
#include <algorithm>

#include "core/PictureCropper.h"
#include "core/PictureResizer.h"
#include "core/ResultLimits.h"
#include "core/SelectionGeometry.h"
#include "imaging/PixelRows.h"
#include "platform/base/Checked.h"
#include "platform/base/Convert.h"
#include "platform/base/Screen.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/MemorySurface.h"
#include "platform/ui/BusyCursor.h"

namespace {

// The four one-pixel edges an outline covers, clipped to `bounds`.
std::vector<gdi::Rect> EdgesOf(const gdi::Rect& frame, const gdi::Rect& bounds) {
  const gdi::Rect edges[4] = {{frame.left, frame.top, frame.right, frame.top + 1},
                              {frame.left, frame.bottom - 1, frame.right, frame.bottom},
                              {frame.left, frame.top, frame.left + 1, frame.bottom},
                              {frame.right - 1, frame.top, frame.right, frame.bottom}};
  std::vector<gdi::Rect> clipped;
  for (const gdi::Rect& e : edges) {
    gdi::Rect c{std::max(e.left, bounds.left), std::max(e.top, bounds.top), std::min(e.right, bounds.right),
                std::min(e.bottom, bounds.bottom)};
    if (!c.Empty()) clipped.push_back(c);
  }
  return clipped;
}

int32_t Whole(float pixels) { return convert::RoundToInt32(pixels); }

}  // namespace

SelectionTool::SelectionTool(Surfaces surfaces, Hooks hooks) : s_(surfaces), hooks_(std::move(hooks)) {}

SelectionTool::~SelectionTool() = default;

void SelectionTool::PictureLoaded(PixelSize picture) {
  if (selecting_) {
    // The load has emptied the result: nothing to bring back.
    if (resultBefore_) s_.dest.SetAutoRedraw(resultBefore_->autoRedraw);
    resultBefore_.reset();
    Leave();
  }
  // The new picture is clean: no frame is left on it to wipe.
  framesDrawn_.clear();
  roughPreview_.reset();
  selection_.reset();
  picture_ = picture;
}

// A size changed during a selection takes effect at once: the surfaces, the
// frame and the preview follow it, so the click fixes the size last shown.
void SelectionTool::SetResultSize(std::optional<PixelSize> size) {
  resultSize_ = size;
  if (!selecting_ || !size) return;
  if (*size == shownSize_) return;
  ++events_;
  SizeSurfaces(*size);
  if (hooks_.fitWindow) hooks_.fitWindow();
  if (pointer_) MoveTo(pointer_->x, pointer_->y);
}

RegionSize SelectionTool::Region() const {
  if (!resultSize_) return {};
  const auto [width, height] = *resultSize_;
  if (fits_ && picture_ && picture_->width > 0 && picture_->height > 0) {
    return RegionScaler::Largest(picture_->width, picture_->height, width, height);
  }
  return {false, static_cast<int32_t>(int64_t{width} * eighths_ / kEighths),
          static_cast<int32_t>(int64_t{height} * eighths_ / kEighths)};
}

bool SelectionTool::Begin() {
  if (!resultSize_ || selecting_) return false;
  {
    const platform::BusyCursor busy;
    s_.source.TakeOwnPixels();
  }
  ++events_;
  eighths_ = kEighths;
  fits_ = false;
  selection_.reset();
  KeepResultBefore();
  s_.dest.SetAutoRedraw(false);
  s_.source.SetAutoRedraw(false);
  selecting_ = true;
  frameColour_ = kWhite;
  if (hooks_.modeChanged) hooks_.modeChanged(true);
  SizeSurfaces(*resultSize_);
  if (hooks_.fitWindow) hooks_.fitWindow();
  return true;
}

void SelectionTool::SizeSurfaces(PixelSize size) {
  shownSize_ = size;
  SetPixelSize(s_.dest, size);
  s_.destBuffer.SetWidth(s_.dest.Width());
  s_.destBuffer.SetHeight(s_.dest.Height());
  // Where a block reaches outside the picture nothing is copied, so what
  // shows there is the surface's background, not an earlier selection.
  s_.destBuffer.SetBackColor(s_.destBuffer.BackColor());
  roughPreview_.reset();
}

// Products in floating point, kept in single precision as the box's size is.
void SelectionTool::SetPixelSize(platform::PictureBox& surface, PixelSize size) {
  surface.SetWidth(static_cast<float>(platform::Screen::TwipsPerPixelX() * static_cast<double>(size.width)));
  surface.SetHeight(
      static_cast<float>(platform::Screen::TwipsPerPixelY() * static_cast<double>(size.height)));
}

void SelectionTool::MoveTo(int32_t x, int32_t y) {
  if (!selecting_ || !resultSize_ || !picture_) return;
  const auto [W, H] = *resultSize_;
  const RegionSize region = Region();
  auto [left, top] = PictureCropper::CentredCorner(x, y, region.width, region.height, s_.source.ScaleWidth(),
                                                   s_.source.ScaleHeight());
  if (grid_) {
    left = grid_->Start(left, region.width, picture_->width);
    top = grid_->Start(top, region.height, picture_->height);
  }
  pointer_ = PixelPoint{x, y};
  centre_ = PixelPoint{checked::Add(left, region.width / 2), checked::Add(top, region.height / 2)};
  selection_ = gdi::Rect{left, top, checked::Add(left, region.width), checked::Add(top, region.height)};
  ShowGrid();
  frameColour_ = frameColour_ == kBlack ? kWhite : kBlack;
  const uint64_t thisMove = ++events_;
  WipeFrames({0, 0, picture_->width, picture_->height}, false);
  const gdi::Rect frame = SelectionGeometry::Frame(left, top, region.width, region.height);
  // Known before the drawing yields, so a move handled inside it wipes this frame too.
  framesDrawn_.push_back(frame);
  if (hooks_.drawFrame) {
    hooks_.drawFrame(frame, frameColour_);
  } else {
    DrawOutline(s_.source, frame, frameColour_);
  }
  // A later move or the click, handled while the frame was drawn, has had its
  // say: copying this block now would bring that frame into the result, or
  // change the result after the click fixed it.
  if (thisMove != events_) return;
  // Whatever this move shows is what the click fixes: a rough preview of an
  // earlier, larger region must not be sharpened over a plain block.
  roughPreview_.reset();
  if (region.width == W && region.height == H) {
    PictureCropper::CopyBlock(s_.destBuffer.hDC(), s_.source.hDC(), {left, top}, W, H);
  } else {
    // From the picture itself: the source surface carries the frame.
    const gdi::PicturePtr& clean = s_.source.Picture();
    if (!clean || clean->Empty()) return;
    PreviewRegion(
        {clean, {left, top, checked::Add(left, region.width), checked::Add(top, region.height)}, W, H});
  }
  gdi::BitBlt(s_.dest.hDC(), 0, 0, W, H, s_.destBuffer.hDC(), 0, 0, gdi::SRCCOPY);
}

// Averaging a large region on every move would lag behind the pointer: its
// preview comes from reduced copies, close to the result and many times
// quicker, and the click makes the result itself.
void SelectionTool::PreviewRegion(RegionShown shown) {
  // The reduced copies are averages: no palette or light survives them.
  if (reduction_.Special()) {
    BufferRegion(shown);
    return;
  }
  if (!reducedCopies_ || reducedCopies_->Picture() != shown.picture) {
    reducedCopies_ = std::make_unique<ReducedCopies>(shown.picture);
  }
  gdi::MemorySurface preview(shown.width, shown.height);
  if (reducedCopies_->Fill(shown.region, MutableRowsOf(preview.Image()))) {
    gdi::BitBlt(s_.destBuffer.hDC(), 0, 0, shown.width, shown.height, preview.hDC(), 0, 0, gdi::SRCCOPY);
    roughPreview_ = std::move(shown);
    return;
  }
  BufferRegion(shown);
}

void SelectionTool::BufferRegion(const RegionShown& shown) {
  const gdi::Rect& r = shown.region;
  auto result =
      RegionScaler::ScaleRegion(*shown.picture, {r.left, r.top}, {false, r.right - r.left, r.bottom - r.top},
                                shown.width, shown.height, reduction_);
  gdi::BitBlt(s_.destBuffer.hDC(), 0, 0, shown.width, shown.height, result->hDC(), 0, 0, gdi::SRCCOPY);
}

void SelectionTool::SharpenPreview() {
  if (!roughPreview_) return;
  BufferRegion(*roughPreview_);
  roughPreview_.reset();
}

void SelectionTool::Grow(int change) {
  if (!selecting_ || !resultSize_) return;
  const auto [width, height] = *resultSize_;
  // Steps go on from a fitted region's own size.
  const int32_t current = fits_ ? Region().width * kEighths / width : eighths_;
  const int32_t eighths = change == 0 ? kEighths : std::max(kEighths, current + change);
  if (!ResultLimits::Fits(int64_t{width} * eighths / kEighths, int64_t{height} * eighths / kEighths)) return;
  eighths_ = eighths;
  fits_ = false;
  Nudge(0, 0);
}

void SelectionTool::FitWholePicture() {
  if (!selecting_ || !picture_ || !resultSize_ || picture_->width < 1 || picture_->height < 1) return;
  const RegionSize whole =
      RegionScaler::Largest(picture_->width, picture_->height, resultSize_->width, resultSize_->height);
  PictureResizer::CheckBlendable(whole.width, whole.height, resultSize_->width, resultSize_->height);
  fits_ = true;
  MoveTo(picture_->width / 2, picture_->height / 2);
}

void SelectionTool::Nudge(int32_t dx, int32_t dy) {
  if (!selecting_) return;
  // On the grid a step is one cell.
  if (grid_) {
    dx = ((dx > 0) - (dx < 0)) * grid_->Cell();
    dy = ((dy > 0) - (dy < 0)) * grid_->Cell();
  }
  auto from = centre_ ? centre_ : PointerOverPicture();
  if (!from) {
    if (!picture_) return;
    from = PixelPoint{picture_->width / 2, picture_->height / 2};
  }
  MoveTo(checked::Add(from->x, dx), checked::Add(from->y, dy));
  // A frame steered off the view takes the view along.
  if (centre_ && resultSize_) {
    const RegionSize region = Region();
    s_.source.KeepInSight(
        QRect(centre_->x - region.width / 2, centre_->y - region.height / 2, region.width, region.height));
  }
}

void SelectionTool::PlaceRegion(const gdi::Rect& region) {
  if (!selecting_ || !picture_ || !resultSize_) return;
  const auto [width, height] = *resultSize_;
  const int64_t regionWidth = int64_t{region.right} - region.left;
  const int64_t regionHeight = int64_t{region.bottom} - region.top;
  const RegionSize largest = RegionScaler::Largest(picture_->width, picture_->height, width, height);
  const int64_t eighths = regionWidth * kEighths / width;
  fits_ = regionWidth == largest.width && regionHeight == largest.height;
  eighths_ = kEighths;
  if (!fits_ && eighths >= kEighths && width * eighths == regionWidth * kEighths &&
      height * eighths == regionHeight * kEighths && ResultLimits::Fits(regionWidth, regionHeight)) {
    eighths_ = static_cast<int32_t>(eighths);
  }
  const RegionSize placed = Region();
  MoveTo(checked::Add(region.left, placed.width / 2), checked::Add(region.top, placed.height / 2));
}

std::optional<PixelPoint> SelectionTool::PointerOverPicture() const {
  const QPoint at = s_.source.mapFromGlobal(QCursor::pos());
  if (!s_.source.Viewport().contains(at)) return std::nullopt;
  const QPointF pixel = s_.source.PictureAt(at);
  return PixelPoint{convert::RoundToInt32(pixel.x()), convert::RoundToInt32(pixel.y())};
}

// Over the whole picture, so the lines stay put as the frame moves: a move
// then draws them only where it repaints the frame anyway.
void SelectionTool::ShowGrid() {
  if (!selecting_ || !grid_ || !selection_ || !picture_) {
    s_.source.SetGrid(std::nullopt);
    return;
  }
  s_.source.SetGrid(platform::PictureBox::Grid{grid_->Cell(), {0, 0, picture_->width, picture_->height}});
}

void SelectionTool::Leave() {
  selecting_ = false;
  s_.source.SetGrid(std::nullopt);
  ++events_;
  pointer_.reset();
  centre_.reset();
  reducedCopies_.reset();
  if (hooks_.modeChanged) hooks_.modeChanged(false);
}

PixelSize SelectionTool::Fix() {
  Leave();
  resultBefore_.reset();
  SharpenPreview();
  WipeAllFrames();
  s_.dest.SetAutoRedraw(true);
  gdi::BitBlt(s_.dest.hDC(), 0, 0, shownSize_.width, shownSize_.height, s_.destBuffer.hDC(), 0, 0,
              gdi::SRCCOPY);
  s_.dest.Refresh();
  return shownSize_;
}

void SelectionTool::Cancel() {
  if (!selecting_) return;
  Leave();
  roughPreview_.reset();
  WipeAllFrames();
  RestoreResultBefore();
  if (hooks_.fitWindow) hooks_.fitWindow();
}

void SelectionTool::DrawOutline(platform::PictureBox& surface, const gdi::Rect& frame, gdi::COLORREF colour) {
  gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, colour);
  gdi::HDC dc = surface.hDC();
  gdi::HGDIOBJ previous = gdi::SelectObject(dc, pen);
  gdi::Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
  gdi::SelectObject(dc, previous);
  gdi::DeleteObject(pen);
}

void SelectionTool::WipeAllFrames() {
  WipeFrames({0, 0, Whole(s_.buffer.ScaleWidth()), Whole(s_.buffer.ScaleHeight())}, true);
}

void SelectionTool::WipeFrames(const gdi::Rect& bounds, bool lastWipe) {
  // In the middle of a load the buffer still holds the old picture: nothing to wipe from yet.
  if (s_.buffer.Picture() != s_.source.Picture()) return;
  std::vector<gdi::Rect> notWiped;
  for (const gdi::Rect& frame : framesDrawn_) {
    for (const gdi::Rect& e : EdgesOf(frame, bounds)) {
      gdi::BitBlt(s_.source.hDC(), e.left, e.top, e.right - e.left, e.bottom - e.top, s_.buffer.hDC(), e.left,
                  e.top, gdi::SRCCOPY);
    }
    // Edges outside the bounds stay, as they would under a wipe of the bounds,
    // until a later wipe with larger bounds takes them. Edges off the surface
    // were never drawn: a frame at the picture's edge is wiped all the same,
    // or every move along the edge would leave one more frame to wipe.
    const gdi::Rect drawn{std::max(frame.left, 0), std::max(frame.top, 0),
                          std::min(frame.right, static_cast<int32_t>(s_.source.ScaleWidth())),
                          std::min(frame.bottom, static_cast<int32_t>(s_.source.ScaleHeight()))};
    const bool inside = drawn.left >= bounds.left && drawn.top >= bounds.top && drawn.right <= bounds.right &&
                        drawn.bottom <= bounds.bottom;
    if (!lastWipe && !inside) notWiped.push_back(frame);
  }
  framesDrawn_.swap(notWiped);
}

// A blank result is kept as nothing: after a load it has the picture's size,
// and a copy of its background could be hundreds of megabytes.
void SelectionTool::KeepResultBefore() {
  resultBefore_ = ResultBefore{s_.dest.Width(), s_.dest.Height(), s_.dest.AutoRedraw(),
                               s_.dest.Blank() ? nullptr : s_.dest.Image().ShareCopy()};
}

void SelectionTool::RestoreResultBefore() {
  if (!resultBefore_) return;
  ResultBefore before = std::move(*resultBefore_);
  resultBefore_.reset();
  s_.dest.SetWidth(before.width);
  s_.dest.SetHeight(before.height);
  if (before.image) {
    gdi::HDC memory = gdi::CreateCompatibleDC(nullptr);
    gdi::HGDIOBJ previous = gdi::SelectObject(memory, before.image.get());
    gdi::BitBlt(s_.dest.hDC(), 0, 0, before.image->Width(), before.image->Height(), memory, 0, 0,
                gdi::SRCCOPY);
    gdi::SelectObject(memory, previous);
    gdi::DeleteDC(memory);
  } else {
    s_.dest.SetBackColor(s_.dest.BackColor());
  }
  s_.dest.SetAutoRedraw(before.autoRedraw);
  s_.dest.Refresh();
}
