#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Pen.h"

namespace gdi {

DeviceContext::DeviceContext() : bitmap_(Bitmap::Stock()), pen_(Pen::Stock()), surface_(false) {
  bitmap_->AddSelection();
  pen_->AddSelection();
}

DeviceContext::DeviceContext(Bitmap* surfaceImage)
    : bitmap_(surfaceImage ? surfaceImage : Bitmap::Stock()), pen_(Pen::Stock()), surface_(true) {
  bitmap_->AddSelection();
  pen_->AddSelection();
}

DeviceContext::~DeviceContext() {
  bitmap_->RemoveSelection();
  pen_->RemoveSelection();
}

GdiObject* DeviceContext::Select(GdiObject* object) {
  GdiObject* previous = nullptr;
  if (auto* bitmap = dynamic_cast<Bitmap*>(object)) {
    previous = bitmap_;
    bitmap_->RemoveSelection();
    bitmap_ = bitmap;
  } else if (auto* pen = dynamic_cast<Pen*>(object)) {
    previous = pen_;
    pen_->RemoveSelection();
    pen_ = pen;
  } else {
    return nullptr;
  }
  object->AddSelection();
  return previous;
}

void DeviceContext::Rebind(Bitmap* surfaceImage) { Select(surfaceImage ? surfaceImage : Bitmap::Stock()); }

}  // namespace gdi
