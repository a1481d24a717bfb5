#include "platform/ui/PictureBox.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/base/AppError.h"
#include "platform/base/Screen.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Twips.h"

namespace platform {
namespace {

std::unique_ptr<gdi::Bitmap> NewImage(int width, int height) {
  auto image = gdi::Bitmap::Create(width, height, false);
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

// Blue, green, red bytes to the screen's 0xFFRRGGBB.
__attribute__((target_clones("avx2", "default"))) void ToScreenPixels(const uint8_t* in, uint32_t* out,
                                                                      int count) {
  for (int x = 0; x < count; ++x) {
    out[x] = 0xFF000000u | static_cast<uint32_t>(in[3 * x + 2]) << 16 |
             static_cast<uint32_t>(in[3 * x + 1]) << 8 | in[3 * x];
  }
}

QColor ToQColor(gdi::COLORREF colour) {
  return QColor(gdi::RedOf(colour), gdi::GreenOf(colour), gdi::BlueOf(colour));
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), dc_(nullptr) {
  // Every paint covers its whole region from the kept image.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  dc_.SetChangeListener([this](const gdi::Rect& r) { RepaintChanged(r); });
  ReplaceImage(ImageFromPicture(width(), height()));
}

PictureBox::~PictureBox() = default;

void PictureBox::SetPicture(gdi::PicturePtr picture) {
  picture_ = std::move(picture);
  QSize target = size();
  if (autoSize_ && picture_ && !picture_->Empty()) target = QSize(picture_->Width(), picture_->Height());
  // The image is made at the final size first, so the resize finds nothing left to do.
  ReplaceImage(ImageFromPicture(target.width(), target.height()));
  if (target != size()) resize(target);
  update();
}

void PictureBox::Refresh() {
  FitImageToSize();
  repaint();
}

void PictureBox::SetBackColor(gdi::COLORREF colour) {
  backColor_ = colour;
  ReplaceImage(ImageFromPicture(width(), height()));
  update();
}

float PictureBox::Left() const { return Twips::Left(*this); }
float PictureBox::Top() const { return Twips::Top(*this); }
float PictureBox::Width() const { return Twips::Width(*this); }
float PictureBox::Height() const { return Twips::Height(*this); }

void PictureBox::SetLeft(float left) { Twips::SetLeft(*this, left); }
void PictureBox::SetTop(float top) { Twips::SetTop(*this, top); }

void PictureBox::SetWidth(float width) {
  Twips::SetWidth(*this, width);
  FitImageToSize();
}

void PictureBox::SetHeight(float height) {
  Twips::SetHeight(*this, height);
  FitImageToSize();
}

void PictureBox::Move(float left, float top, float width, float height) {
  Twips::Place(*this, left, top, width, height);
  FitImageToSize();
}

gdi::ScaleContainer& PictureBox::Parent() {
  if (auto* container = dynamic_cast<ScaleContainer*>(parentWidget())) return *container;
  return ownContainer_;
}

void PictureBox::SetScaleMode(int16_t mode) {
  if (mode != gdi::vbTwips && mode != gdi::vbPixels) throw AppError::Standard(ErrorNumber::InvalidArgument);
  scaleMode_ = mode;
}

float PictureBox::ScaleWidth() const {
  return scaleMode_ == gdi::vbPixels ? static_cast<float>(width()) : Twips::Width(*this);
}

float PictureBox::ScaleHeight() const {
  return scaleMode_ == gdi::vbPixels ? static_cast<float>(height()) : Twips::Height(*this);
}

gdi::HDC PictureBox::hDC() {
  EnsureImage();
  return &dc_;
}

const gdi::Bitmap& PictureBox::Image() {
  EnsureImage();
  return *image_;
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect imageRect = image_ ? QRect(0, 0, image_->Width(), image_->Height()) : QRect();
  for (const QRect& r : event->region()) {
    QRect shown = r.intersected(imageRect);
    if (!shown.isEmpty()) DrawImagePart(painter, shown);
  }
  for (const QRect& r : event->region().subtracted(imageRect)) painter.fillRect(r, ToQColor(backColor_));
}

// Qt converts 24-bit pixels for the screen one by one, several times slower
// than this loop; a strip at a time keeps the extra memory small.
void PictureBox::DrawImagePart(QPainter& painter, const QRect& part) {
  if (DrawImagePartDirectly(painter, part)) return;
  constexpr int kStripRows = 32;
  QImage strip(part.width(), std::min(kStripRows, part.height()), QImage::Format_RGB32);
  for (int top = part.top(); top <= part.bottom(); top += strip.height()) {
    const int rows = std::min(strip.height(), part.bottom() + 1 - top);
    for (int i = 0; i < rows; ++i) {
      ToScreenPixels(image_->Row(top + i) + 3 * static_cast<size_t>(part.left()),
                     reinterpret_cast<uint32_t*>(strip.scanLine(i)), part.width());
    }
    painter.drawImage(QPoint(part.left(), top), strip, QRect(0, 0, part.width(), rows));
  }
}

// Where the painter ends in a plain 32-bit image (the window's backing store,
// no scaling), the pixels are converted straight into it, within the area
// the toolkit lets this widget paint: no strip, no second pass over memory.
bool PictureBox::DrawImagePartDirectly(QPainter& painter, const QRect& part) {
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
      ToScreenPixels(image_->Row(y - offset.y()) + 3 * static_cast<size_t>(r.left() - offset.x()),
                     reinterpret_cast<uint32_t*>(target->scanLine(y)) + r.left(), r.width());
    }
  }
  return true;
}

void PictureBox::resizeEvent(QResizeEvent*) {
  HandlerGuard::Run([this] { FitImageToSize(); });
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved(ButtonsOf(event->buttons()), ShiftOf(event->modifiers()),
                  ToScaleX(static_cast<float>(event->position().x())),
                  ToScaleY(static_cast<float>(event->position().y())));
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) leftPressed_ = true;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !leftPressed_) return;
  leftPressed_ = false;
  if (!rect().contains(event->position().toPoint())) return;
  emit clicked(1, ShiftOf(event->modifiers()), ToScaleX(static_cast<float>(event->position().x())),
               ToScaleY(static_cast<float>(event->position().y())));
}

std::unique_ptr<gdi::Bitmap> PictureBox::ImageFromPicture(int width, int height) const {
  const gdi::Bitmap* source = picture_ ? picture_->Handle() : nullptr;
  // Plain background costs nothing until something draws on it.
  if (!source) return nullptr;
  if (source && source->Width() == width && source->Height() == height && !source->BottomUp()) {
    return source->ShareCopy();
  }
  auto image = NewImage(width, height);
  image->Fill(backColor_);
  if (source) CopyOverlap(*source, *image);
  return image;
}

void PictureBox::ReplaceImage(std::unique_ptr<gdi::Bitmap> image) {
  dc_.Rebind(image.get());
  image_ = std::move(image);
}

// Keeps what the old image and the new size have in common; the rest is background.
void PictureBox::FitImageToSize() {
  if (!image_ || (image_->Width() == width() && image_->Height() == height())) return;
  auto resized = NewImage(width(), height());
  resized->FillRect({image_->Width(), 0, width(), height()}, backColor_);
  resized->FillRect({0, image_->Height(), width(), height()}, backColor_);
  CopyOverlap(*image_, *resized);
  ReplaceImage(std::move(resized));
  update();
}

void PictureBox::EnsureImage() {
  FitImageToSize();
  if (image_) return;
  auto image = NewImage(width(), height());
  image->Fill(backColor_);
  ReplaceImage(std::move(image));
}

void PictureBox::RepaintChanged(const gdi::Rect& r) {
  update(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
}

float PictureBox::ToScaleX(float pixels) const {
  return scaleMode_ == gdi::vbPixels ? pixels : pixels * Screen::TwipsPerPixelX();
}

float PictureBox::ToScaleY(float pixels) const {
  return scaleMode_ == gdi::vbPixels ? pixels : pixels * Screen::TwipsPerPixelY();
}

}  // namespace platform
