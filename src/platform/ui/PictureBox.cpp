#include "platform/ui/PictureBox.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/AreaAverager.h"
#include "imaging/ReducedCopies.h"
#include "platform/base/AppError.h"
#include "platform/base/Screen.h"
#include "platform/ui/EdgeScroller.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/ScreenPixels.h"
#include "platform/ui/Twips.h"

namespace platform {
namespace {

constexpr int kLineStep = 20;  // screen pixels an arrow key or a line of the wheel scrolls
constexpr int kWheelNotch = 120;
// Sub-pixel unit of the averaging: a picture pixel is this long, and a screen
// pixel's length in it is rounded once, so a view drifts from the mapping by
// less than a thousandth of a pixel per thousand screen pixels.
constexpr int64_t kAverageUnit = int64_t{1} << 16;

// Converts `count` pixels of kept-image row y, from column x on, for the screen.
using RowConverter = std::function<void(int y, int x, int count, uint32_t* out)>;

std::unique_ptr<gdi::Bitmap> NewImage(QSize size) {
  auto image = gdi::Bitmap::Create(size.width(), size.height(), false);
  if (!image) throw AppError::Standard(ErrorNumber::OutOfMemory);
  return image;
}

// Copies the top-left part both bitmaps have in common, row by row.
void CopyOverlap(const gdi::Bitmap& from, gdi::Bitmap& to) {
  int32_t rows = std::min(from.Height(), to.Height());
  size_t bytes = 3 * static_cast<size_t>(std::min(from.Width(), to.Width()));
  if (rows <= 0 || bytes == 0) return;
  uint8_t* base = to.MutableBits();
  for (int32_t y = 0; y < rows; ++y) std::memcpy(base + to.RowOffset(y), from.Row(y), bytes);
}

int ButtonsOf(Qt::MouseButtons buttons) {
  return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
         (buttons & Qt::MiddleButton ? 4 : 0);
}

int ShiftOf(Qt::KeyboardModifiers modifiers) {
  return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
         (modifiers & Qt::AltModifier ? 4 : 0);
}

QColor ToQColor(gdi::COLORREF colour) {
  return QColor(gdi::RedOf(colour), gdi::GreenOf(colour), gdi::BlueOf(colour));
}

// Where the painter ends in a plain 32-bit image (the window's backing store,
// no scaling), the pixels are converted straight into it, within the area
// the toolkit lets this widget paint: no strip, no second pass over memory.
bool PaintDirectly(QPainter& painter, const QRect& part, const RowConverter& convert) {
  QPaintEngine* engine = painter.paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice() ||
      engine->paintDevice()->devType() != QInternal::Image || painter.hasClipping()) {
    return false;
  }
  auto* target = static_cast<QImage*>(engine->paintDevice());
  const QTransform& transform = painter.deviceTransform();
  if ((target->format() != QImage::Format_RGB32 && target->format() != QImage::Format_ARGB32_Premultiplied) ||
      target->devicePixelRatio() != 1.0 || transform.type() > QTransform::TxTranslate ||
      transform.dx() != std::floor(transform.dx()) || transform.dy() != std::floor(transform.dy())) {
    return false;
  }
  const QPoint offset(static_cast<int>(transform.dx()), static_cast<int>(transform.dy()));
  QRegion allowed = QRegion(part.translated(offset)).intersected(target->rect());
  if (!engine->systemClip().isEmpty()) allowed = allowed.intersected(engine->systemClip());
  for (const QRect& r : allowed) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      convert(y - offset.y(), r.left() - offset.x(), r.width(),
              reinterpret_cast<uint32_t*>(target->scanLine(y)) + r.left());
    }
  }
  return true;
}

// Qt converts 24-bit pixels for the screen one by one, several times slower
// than our loop; a strip at a time keeps the extra memory small.
void PaintInStrips(QPainter& painter, const QRect& part, const RowConverter& convert) {
  constexpr int kStripRows = 32;
  QImage strip(part.width(), std::min(kStripRows, part.height()), QImage::Format_RGB32);
  for (int top = part.top(); top <= part.bottom(); top += strip.height()) {
    const int rows = std::min(strip.height(), part.bottom() + 1 - top);
    for (int i = 0; i < rows; ++i) {
      convert(top + i, part.left(), part.width(), reinterpret_cast<uint32_t*>(strip.scanLine(i)));
    }
    painter.drawImage(QPoint(part.left(), top), strip, QRect(0, 0, part.width(), rows));
  }
}

QRect ToQRect(const gdi::Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// The four one-pixel edges of an outline whose far corner is exclusive.
std::vector<QRect> EdgesOf(const gdi::Rect& r) {
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  return {QRect(r.left, r.top, width, 1), QRect(r.left, r.bottom - 1, width, 1),
          QRect(r.left, r.top, 1, height), QRect(r.right - 1, r.top, 1, height)};
}

// Light and dark in turns along every line, so that a line shows faintly on
// any picture; the tile is fixed to the image and scrolls with it.
QBrush GridBrush() {
  constexpr int kTile = 8;
  constexpr int kAlpha = 72;
  QImage tile(kTile, kTile, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < kTile; ++y) {
    for (int x = 0; x < kTile; ++x) {
      const bool light = ((x + y) % kTile) < kTile / 2;
      tile.setPixelColor(x, y, light ? QColor(255, 255, 255, kAlpha) : QColor(0, 0, 0, kAlpha));
    }
  }
  return QBrush(tile);
}

}  // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent),
      dc_(nullptr),
      content_(size()),
      edgeScroller_(new EdgeScroller([this](QPoint step) { FollowEdge(step); }, this)) {
  // Every paint covers its whole region from the kept image.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  dc_.SetChangeListener([this](const gdi::Rect& r) { RepaintChanged(r); });
  dc_.SetOutlineListener([this](const gdi::Rect& r, gdi::COLORREF colour) { KeepOutline(r, colour); });
  ReplaceImage(ImageFromPicture(content_));
}

PictureBox::~PictureBox() = default;

void PictureBox::SetPicture(gdi::PicturePtr picture) {
  picture_ = std::move(picture);
  QSize target = content_;
  if (autoSize_ && picture_ && !picture_->Empty()) target = QSize(picture_->Width(), picture_->Height());
  // The image is made at the final size first, so the resize finds nothing left to do.
  ReplaceImage(ImageFromPicture(target));
  content_ = target;
  ApplyView();
}

void PictureBox::Refresh() {
  FitImageToSize();
  repaint();
}

void PictureBox::SetBackColor(gdi::COLORREF colour) {
  backColor_ = colour;
  ReplaceImage(ImageFromPicture(content_));
  update();
}

float PictureBox::Left() const { return Twips::Left(*this); }
float PictureBox::Top() const { return Twips::Top(*this); }

float PictureBox::Width() const {
  if (content_.width() == contentTwipsPixels_.width()) return static_cast<float>(contentTwips_.width());
  return static_cast<float>(content_.width()) * Screen::TwipsPerPixelX();
}

float PictureBox::Height() const {
  if (content_.height() == contentTwipsPixels_.height()) return static_cast<float>(contentTwips_.height());
  return static_cast<float>(content_.height()) * Screen::TwipsPerPixelY();
}

void PictureBox::SetLeft(float left) { Move(left, Top(), Width(), Height()); }
void PictureBox::SetTop(float top) { Move(Left(), top, Width(), Height()); }
void PictureBox::SetWidth(float width) { Move(Left(), Top(), width, Height()); }
void PictureBox::SetHeight(float height) { Move(Left(), Top(), Width(), height); }

void PictureBox::Move(float left, float top, float width, float height) {
  const QSize pixels(std::max(0, Twips::ToPixelsX(width)), std::max(0, Twips::ToPixelsY(height)));
  contentTwips_ = QSizeF(width, height);
  contentTwipsPixels_ = pixels;
  if (Viewing()) {
    // Only the place: the widget keeps the size of its view.
    Twips::SetLeft(*this, left);
    Twips::SetTop(*this, top);
  } else {
    Twips::Place(*this, left, top, width, height);
  }
  SetContent(pixels);
}

// The nearest container that has a scale: the window, through any plain widget that groups its controls.
gdi::ScaleContainer& PictureBox::Parent() {
  for (QWidget* up = parentWidget(); up; up = up->parentWidget()) {
    if (auto* container = dynamic_cast<ScaleContainer*>(up)) return *container;
  }
  return ownContainer_;
}

void PictureBox::SetScaleMode(int16_t mode) {
  if (mode != gdi::vbTwips && mode != gdi::vbPixels) throw AppError::Standard(ErrorNumber::InvalidArgument);
  scaleMode_ = mode;
}

float PictureBox::ScaleWidth() const {
  return scaleMode_ == gdi::vbPixels ? static_cast<float>(content_.width()) : Width();
}

float PictureBox::ScaleHeight() const {
  return scaleMode_ == gdi::vbPixels ? static_cast<float>(content_.height()) : Height();
}

gdi::HDC PictureBox::hDC() {
  EnsureImage();
  return &dc_;
}

const gdi::Bitmap& PictureBox::Image() {
  EnsureImage();
  return *image_;
}

void PictureBox::TakeOwnPixels() {
  EnsureImage();
  image_->MutableBits();
}

void PictureBox::SetViewLimit(std::optional<QSize> limit) {
  if (limit == limit_) return;
  limit_ = limit;
  ApplyView();
}

void PictureBox::SetScrollable(bool scrollable) {
  scrollable_ = scrollable;
  ApplyView();
}

void PictureBox::SetZoom(double zoom, QPointF anchor) {
  const double before = view_.Zoom();
  view_.SetZoom(zoom, anchor);
  ApplyView();
  if (view_.Zoom() != before) emit zoomChanged();
}

double PictureBox::FitZoom() const { return view_.FitZoom(limit_.value_or(size())); }

void PictureBox::ScrollTo(QPoint position) {
  const QPoint before = view_.Scroll();
  view_.ScrollTo(position);
  const QPoint moved = before - view_.Scroll();
  if (moved.isNull()) return;
  scroll(moved.x(), moved.y(), Viewport());
  SyncBars();
}

void PictureBox::KeepInSight(const QRect& pixels) {
  const QRect shown = view_.ViewRectOf(pixels);
  const QRect viewport = Viewport();
  auto axis = [](int low, int high, int viewLow, int viewHigh) {
    if (high - low > viewHigh - viewLow || low < viewLow) return low - viewLow;
    return high > viewHigh ? high - viewHigh : 0;
  };
  ScrollTo(view_.Scroll() + QPoint(axis(shown.left(), shown.right(), viewport.left(), viewport.right()),
                                   axis(shown.top(), shown.bottom(), viewport.top(), viewport.bottom())));
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect shown = image_ ? QRect(-view_.Scroll(), view_.Shown()).intersected(Viewport()) : QRect();
  for (const QRect& r : event->region()) {
    QRect part = r.intersected(shown);
    if (!part.isEmpty()) DrawImagePart(painter, part);
  }
  for (const QRect& r : event->region().subtracted(shown)) painter.fillRect(r, ToQColor(backColor_));
  DrawGrid(painter, event->region());
  if (view_.Zoom() < 1.0) DrawOutlines(painter);
}

void PictureBox::DrawImagePart(QPainter& painter, const QRect& part) {
  const QPoint scroll = view_.Scroll();
  const gdi::Bitmap& image = *image_;
  if (view_.Zoom() == 1.0) {
    const RowConverter convert = [&](int y, int x, int count, uint32_t* out) {
      ScreenPixels::Convert(image.Row(y + scroll.y()) + 3 * static_cast<size_t>(x + scroll.x()), out, count);
    };
    if (!PaintDirectly(painter, part, convert)) PaintInStrips(painter, part, convert);
    return;
  }
  if (view_.Zoom() < 1.0) {
    const QRect averaged = DrawAveragedPart(painter, part);
    if (averaged.isEmpty()) {
      DrawSampledPart(painter, part);
      return;
    }
    // The far edges the averaging left, an L at most.
    if (averaged.right() < part.right())
      DrawSampledPart(painter, QRect(QPoint(averaged.right() + 1, part.top()), part.bottomRight()));
    if (averaged.bottom() < part.bottom())
      DrawSampledPart(painter, QRect(QPoint(part.left(), averaged.bottom() + 1),
                                     QPoint(averaged.right(), part.bottom())));
    return;
  }
  DrawSampledPart(painter, part);
}

void PictureBox::DrawSampledPart(QPainter& painter, const QRect& rest) {
  const gdi::Bitmap& image = *image_;
  std::vector<int32_t> offsets(static_cast<size_t>(rest.width()));
  for (int i = 0; i < rest.width(); ++i)
    offsets[static_cast<size_t>(i)] = 3 * view_.SourceColumn(rest.left() + i);
  const RowConverter convert = [&](int y, int x, int count, uint32_t* out) {
    ScreenPixels::ConvertSampled(image.Row(view_.SourceRow(y)), offsets.data() + (x - rest.left()), out,
                                 count);
  };
  if (!PaintDirectly(painter, rest, convert)) PaintInStrips(painter, rest, convert);
}

// Nearest-pixel drawing zoomed out skips whole rows and columns, and a line
// narrower than the step vanishes in parts. Averaged from the reduced copy
// just larger than the view, every pixel counts and a screen pixel costs a
// few reads however far the view is zoomed out. Gives the part drawn: the
// last screen row or column can reach past the image, and is left to
// nearest-pixel drawing.
QRect PictureBox::DrawAveragedPart(QPainter& painter, const QRect& part) {
  const double zoom = view_.Zoom();
  int k = 0;
  while (k < 24 && std::ldexp(zoom, k + 1) <= 1.0) ++k;
  const auto length =
      static_cast<int64_t>(std::llround(static_cast<double>(kAverageUnit) / std::ldexp(zoom, k)));
  const QPoint scroll = view_.Scroll();
  const int64_t levelWidth = (int64_t{image_->Width()} + (int64_t{1} << k) - 1) >> k;
  const int64_t levelHeight = (int64_t{image_->Height()} + (int64_t{1} << k) - 1) >> k;
  // Screen columns and rows whose footprint lies wholly on the copy.
  const auto inside = [&](int to, int offset, int64_t extent) {
    const int64_t last = extent * kAverageUnit / length - offset - 1;
    return static_cast<int>(std::min<int64_t>(to, last));
  };
  const int right = inside(part.right(), scroll.x(), levelWidth);
  const int bottom = inside(part.bottom(), scroll.y(), levelHeight);
  if (right < part.left() || bottom < part.top()) return QRect();
  const QRect averaged(QPoint(part.left(), part.top()), QPoint(right, bottom));
  const gdi::Bitmap* source = image_.get();
  if (k > 0) {
    if (!reductions_) reductions_ = std::make_unique<ReducedCopies>(*image_);
    const auto first = [&](int view, int offset) {
      return static_cast<int32_t>((view + offset) * length / kAverageUnit);
    };
    const auto end = [&](int view, int offset) {
      return static_cast<int32_t>(((view + offset + 1) * length + kAverageUnit - 1) / kAverageUnit);
    };
    source = &reductions_->Copy(k, {first(averaged.left(), scroll.x()), first(averaged.top(), scroll.y()),
                                    end(averaged.right(), scroll.x()), end(averaged.bottom(), scroll.y())});
  }
  const int width = averaged.width(), height = averaged.height();
  std::vector<uint8_t> pixels(3 * static_cast<size_t>(width) * static_cast<size_t>(height));
  const PixelRows<uint8_t> into{pixels.data(), 3 * ptrdiff_t{width}, width, height};
  AreaAverager(1).Fill(RowsOf(*source), {(averaged.left() + scroll.x()) * length, length, kAverageUnit},
                       {(averaged.top() + scroll.y()) * length, length, kAverageUnit}, into);
  const RowConverter convert = [&](int y, int x, int count, uint32_t* out) {
    ScreenPixels::Convert(pixels.data() + static_cast<size_t>(y - averaged.top()) * 3 * width +
                              3 * static_cast<size_t>(x - averaged.left()),
                          out, count);
  };
  if (!PaintDirectly(painter, averaged, convert)) PaintInStrips(painter, averaged, convert);
  return averaged;
}

// Zoomed out, a one-pixel line would fall between the pixels shown: each
// outline is drawn again, one screen pixel wide, on the pixels showing it.
void PictureBox::DrawOutlines(QPainter& painter) const {
  const QRect bounds(QPoint(0, 0), content_);
  for (const Outline& outline : outlines_) {
    const QRect whole = ToQRect(outline.rect);
    const QRect inside = whole.intersected(bounds);
    if (inside.isEmpty()) continue;
    const int left = view_.ViewColumnOf(inside.left());
    const int right = view_.ViewColumnOf(inside.right());
    const int top = view_.ViewRowOf(inside.top());
    const int bottom = view_.ViewRowOf(inside.bottom());
    const QColor colour = ToQColor(outline.colour);
    if (whole.top() == inside.top()) painter.fillRect(QRect(QPoint(left, top), QPoint(right, top)), colour);
    if (whole.bottom() == inside.bottom())
      painter.fillRect(QRect(QPoint(left, bottom), QPoint(right, bottom)), colour);
    if (whole.left() == inside.left())
      painter.fillRect(QRect(QPoint(left, top), QPoint(left, bottom)), colour);
    if (whole.right() == inside.right())
      painter.fillRect(QRect(QPoint(right, top), QPoint(right, bottom)), colour);
  }
}

void PictureBox::SetGrid(std::optional<Grid> grid) {
  if (grid == grid_) return;
  const QRect before = GridRect(grid_);
  const QRect after = GridRect(grid);
  const bool sameLines = grid && grid_ && grid->cell == grid_->cell;
  grid_ = grid;
  // Where both areas lie the same lines show: only what one covers and the other doesn't is drawn again.
  const QRegion changed = sameLines ? QRegion(before).xored(QRegion(after)) : QRegion(before).united(after);
  if (!changed.isEmpty()) update(changed);
}

QRect PictureBox::GridRect(const std::optional<Grid>& grid) const {
  if (!grid || !image_ || view_.Zoom() < 1.0 || grid->area.Empty()) return QRect();
  const gdi::Rect& a = grid->area;
  // The last line lies on the first view pixel past the area.
  const QRect lines(QPoint(view_.ViewColumnStarting(a.left), view_.ViewRowStarting(a.top)),
                    QPoint(view_.ViewColumnStarting(a.right), view_.ViewRowStarting(a.bottom)));
  return lines.intersected(QRect(-view_.Scroll(), view_.Shown())).intersected(Viewport());
}

void PictureBox::DrawGrid(QPainter& painter, const QRegion& region) const {
  const QRect bounds = GridRect(grid_);
  if (bounds.isEmpty()) return;
  // Under the outlines: the view pixels showing their pixels, and no more, so
  // a line beside an outline keeps its pixels at any zoom.
  const auto showing = [this](const QRect& pixels) {
    return QRect(QPoint(view_.ViewColumnStarting(pixels.left()), view_.ViewRowStarting(pixels.top())),
                 QPoint(view_.ViewColumnStarting(pixels.right() + 1) - 1,
                        view_.ViewRowStarting(pixels.bottom() + 1) - 1));
  };
  QRegion clip = region.intersected(bounds);
  for (const Outline& outline : outlines_) {
    for (const QRect& e : EdgesOf(outline.rect)) clip -= showing(e);
  }
  const int32_t cell = grid_->cell;
  const gdi::Rect& a = grid_->area;
  // The first line on or after both the area's edge and the pixel the painted part begins with.
  const auto firstLine = [cell](int32_t from, int pixel) {
    const int32_t start = std::max(from, pixel);
    return (start + cell - 1) / cell * cell;
  };
  const int32_t lastColumn = std::min(a.right, content_.width() - 1);
  const int32_t lastRow = std::min(a.bottom, content_.height() - 1);
  static const QBrush brush = GridBrush();
  painter.setBrushOrigin(-view_.Scroll());
  // Part by part, each line cut to the part: a clipped painter would walk
  // every line's whole length, and a move repaints only thin strips.
  for (const QRect& part : clip) {
    for (int32_t x = firstLine(a.left, view_.SourceColumn(part.left())); x <= lastColumn; x += cell) {
      const int column = view_.ViewColumnStarting(x);
      if (column > part.right()) break;
      if (column >= part.left()) painter.fillRect(QRect(column, part.top(), 1, part.height()), brush);
    }
    for (int32_t y = firstLine(a.top, view_.SourceRow(part.top())); y <= lastRow; y += cell) {
      const int row = view_.ViewRowStarting(y);
      if (row > part.bottom()) break;
      if (row >= part.top()) painter.fillRect(QRect(part.left(), row, part.width(), 1), brush);
    }
  }
  painter.setBrushOrigin(QPoint());
}

void PictureBox::resizeEvent(QResizeEvent*) {
  // Left alone the widget is the kept image, so a new size is a new inside.
  if (Viewing()) return;
  HandlerGuard::Run([this] {
    content_ = size();
    FitImageToSize();
  });
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  lastPointer_ = event->position().toPoint();
  if (scrollable_ && Following()) {
    edgeScroller_->PointerAt(lastPointer_, Viewport());
  } else {
    edgeScroller_->Stop();
  }
  EmitMove(event->position(), ButtonsOf(event->buttons()), ShiftOf(event->modifiers()));
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) leftPressed_ = true;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !leftPressed_) return;
  leftPressed_ = false;
  if (!Viewport().contains(event->position().toPoint())) return;
  const QPointF at = view_.PictureAt(event->position());
  emit clicked(1, ShiftOf(event->modifiers()), ToScaleX(at.x()), ToScaleY(at.y()));
}

void PictureBox::leaveEvent(QEvent*) { edgeScroller_->Stop(); }

void PictureBox::wheelEvent(QWheelEvent* event) {
  if (!scrollable_) {
    event->ignore();
    return;
  }
  const QPoint angle = event->angleDelta();
  if (event->modifiers() & Qt::ControlModifier) {
    wheelRemainder_ += angle.y() != 0 ? angle.y() : angle.x();
    const int steps = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ -= steps * kWheelNotch;
    if (steps != 0) emit zoomRequested(steps, event->position());
    return;
  }
  if (view_.MaxScroll().isNull()) {
    event->ignore();
    return;
  }
  // Shift turns the wheel sideways, as in most programs.
  const QPoint delta =
      (event->modifiers() & Qt::ShiftModifier) && angle.x() == 0 ? QPoint(angle.y(), 0) : angle;
  const int notch = QApplication::wheelScrollLines() * kLineStep;
  lastPointer_ = event->position().toPoint();
  ScrollBy(QPoint(-delta.x() * notch / kWheelNotch, -delta.y() * notch / kWheelNotch));
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
  const QSize page = view_.Viewport();
  QPoint delta;
  switch (event->key()) {
    case Qt::Key_Left:
      delta = QPoint(-kLineStep, 0);
      break;
    case Qt::Key_Right:
      delta = QPoint(kLineStep, 0);
      break;
    case Qt::Key_Up:
      delta = QPoint(0, -kLineStep);
      break;
    case Qt::Key_Down:
      delta = QPoint(0, kLineStep);
      break;
    case Qt::Key_PageUp:
      delta = QPoint(0, -page.height());
      break;
    case Qt::Key_PageDown:
      delta = QPoint(0, page.height());
      break;
    case Qt::Key_Home:
      delta = -view_.Scroll();
      break;
    case Qt::Key_End:
      delta = view_.MaxScroll() - view_.Scroll();
      break;
    default:
      break;
  }
  if (!scrollable_ || Following() || delta.isNull() || event->modifiers() != Qt::NoModifier) {
    event->ignore();
    return;
  }
  ScrollBy(delta);
}

std::unique_ptr<gdi::Bitmap> PictureBox::ImageFromPicture(QSize size) const {
  const gdi::Bitmap* source = picture_ ? picture_->Handle() : nullptr;
  // Plain background costs nothing until something draws on it.
  if (!source) return nullptr;
  if (source->Width() == size.width() && source->Height() == size.height()) return source->ShareCopy();
  auto image = NewImage(size);
  image->Fill(backColor_);
  CopyOverlap(*source, *image);
  return image;
}

void PictureBox::ReplaceImage(std::unique_ptr<gdi::Bitmap> image) {
  dc_.Rebind(image.get());
  reductions_.reset();
  image_ = std::move(image);
  outlines_.clear();
}

void PictureBox::SetContent(QSize pixels) {
  content_ = pixels;
  FitImageToSize();
  ApplyView();
}

// Keeps what the old image and the new size have in common; the rest is background.
void PictureBox::FitImageToSize() {
  if (!image_ || (image_->Width() == content_.width() && image_->Height() == content_.height())) return;
  auto resized = NewImage(content_);
  resized->FillRect({image_->Width(), 0, content_.width(), content_.height()}, backColor_);
  resized->FillRect({0, image_->Height(), content_.width(), content_.height()}, backColor_);
  CopyOverlap(*image_, *resized);
  ReplaceImage(std::move(resized));
  update();
}

void PictureBox::EnsureImage() {
  FitImageToSize();
  if (image_) return;
  auto image = NewImage(content_);
  image->Fill(backColor_);
  ReplaceImage(std::move(image));
}

void PictureBox::RepaintChanged(const gdi::Rect& r) {
  if (reductions_) reductions_->Forget(r);
  const QRect changed = ToQRect(r);
  // An outline drawn over is no longer one to keep in sight.
  auto covered = [&](const Outline& outline) {
    const std::vector<QRect> edges = EdgesOf(outline.rect);
    if (std::none_of(edges.begin(), edges.end(), [&](const QRect& e) { return e.intersects(changed); }))
      return false;
    for (const QRect& e : edges) update(view_.ViewRectOf(e));
    return true;
  };
  outlines_.erase(std::remove_if(outlines_.begin(), outlines_.end(), covered), outlines_.end());
  update(view_.ViewRectOf(changed).intersected(Viewport()));
}

void PictureBox::KeepOutline(const gdi::Rect& r, gdi::COLORREF colour) { outlines_.push_back({r, colour}); }

void PictureBox::ApplyView() {
  view_.SetContent(content_);
  const QSize shown = view_.Shown();
  const int thickness = scrollable_ ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
  bool horizontal = false;
  bool vertical = false;
  QSize widget = shown;
  if (limit_) {
    const QSize room = limit_->expandedTo(QSize(1, 1));
    if (scrollable_) {
      horizontal = shown.width() > room.width();
      vertical = shown.height() > room.height() || (horizontal && shown.height() > room.height() - thickness);
      horizontal = horizontal || (vertical && shown.width() > room.width() - thickness);
    }
    widget = QSize(std::min(shown.width() + (vertical ? thickness : 0), room.width()),
                   std::min(shown.height() + (horizontal ? thickness : 0), room.height()));
  }
  view_.SetViewport(QSize(std::max(0, widget.width() - (vertical ? thickness : 0)),
                          std::max(0, widget.height() - (horizontal ? thickness : 0))));
  LayOutBars(horizontal, vertical, thickness);
  if (widget != size()) resize(widget);
  update();
}

void PictureBox::LayOutBars(bool horizontal, bool vertical, int thickness) {
  if ((horizontal || vertical) && !horizontalBar_) {
    horizontalBar_ = new QScrollBar(Qt::Horizontal, this);
    verticalBar_ = new QScrollBar(Qt::Vertical, this);
    for (QScrollBar* bar : {horizontalBar_, verticalBar_}) {
      bar->setSingleStep(kLineStep);
      bar->setCursor(Qt::ArrowCursor);
    }
    connect(horizontalBar_, &QScrollBar::valueChanged, this,
            HandlerGuard::Wrap([this](int x) { ScrollTo(QPoint(x, view_.Scroll().y())); }));
    connect(verticalBar_, &QScrollBar::valueChanged, this,
            HandlerGuard::Wrap([this](int y) { ScrollTo(QPoint(view_.Scroll().x(), y)); }));
  }
  setFocusPolicy(horizontal || vertical ? Qt::ClickFocus : Qt::NoFocus);
  if (!horizontalBar_) return;
  const QSize viewport = view_.Viewport();
  horizontalBar_->setGeometry(0, viewport.height(), viewport.width(), thickness);
  verticalBar_->setGeometry(viewport.width(), 0, thickness, viewport.height());
  horizontalBar_->setVisible(horizontal);
  verticalBar_->setVisible(vertical);
  SyncBars();
}

void PictureBox::SyncBars() {
  if (!horizontalBar_) return;
  const QPoint most = view_.MaxScroll();
  const QSize page = view_.Viewport();
  const QSignalBlocker blockHorizontal(horizontalBar_);
  const QSignalBlocker blockVertical(verticalBar_);
  horizontalBar_->setRange(0, most.x());
  horizontalBar_->setPageStep(std::max(1, page.width()));
  horizontalBar_->setValue(view_.Scroll().x());
  verticalBar_->setRange(0, most.y());
  verticalBar_->setPageStep(std::max(1, page.height()));
  verticalBar_->setValue(view_.Scroll().y());
}

// A scroll the user asked for; while following, the pointer now lies over
// another part of the picture, and the frame goes with it.
void PictureBox::ScrollBy(QPoint delta) {
  const QPoint before = view_.Scroll();
  ScrollTo(before + delta);
  if (view_.Scroll() != before && Following()) EmitMove(lastPointer_, 0, 0);
}

void PictureBox::FollowEdge(QPoint step) {
  if (!Following()) {
    edgeScroller_->Stop();
    return;
  }
  ScrollBy(step);
}

void PictureBox::EmitMove(QPointF widgetPoint, int buttons, int shift) {
  const QPointF at = view_.PictureAt(widgetPoint);
  emit mouseMoved(buttons, shift, ToScaleX(at.x()), ToScaleY(at.y()));
}

float PictureBox::ToScaleX(double pixels) const {
  return static_cast<float>(scaleMode_ == gdi::vbPixels ? pixels : pixels * Screen::TwipsPerPixelX());
}

float PictureBox::ToScaleY(double pixels) const {
  return static_cast<float>(scaleMode_ == gdi::vbPixels ? pixels : pixels * Screen::TwipsPerPixelY());
}

}  // namespace platform
