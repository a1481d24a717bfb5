#include "platform/gdi/Pen.h"

namespace gdi {

Pen* Pen::Stock() {
  static Pen* stock = new Pen(PS_SOLID, 1, 0, true);
  return stock;
}

}  // namespace gdi
