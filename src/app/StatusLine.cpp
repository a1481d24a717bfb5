#include "app/StatusLine.h"

#include <QStringList>
#include <cmath>

namespace {

QString Size(PixelSize size) { return QStringLiteral("%1 x %2").arg(size.width).arg(size.height); }

}  // namespace

// One short string, as it is made on every mouse move.
QString StatusLine::Text(const StatusFacts& facts) {
  QStringList parts;
  if (facts.pointer) parts << QStringLiteral("%1, %2 px").arg(facts.pointer->x).arg(facts.pointer->y);
  if (facts.frame) {
    const StatusFacts::Frame& frame = *facts.frame;
    QString text = QStringLiteral("Frame at %1, %2, %3")
                       .arg(frame.corner.x)
                       .arg(frame.corner.y)
                       .arg(Size({frame.region.width, frame.region.height}));
    if (frame.result.width > 0 &&
        (frame.region.width != frame.result.width || frame.region.height != frame.result.height)) {
      text += QStringLiteral(" to %1 (x%2)")
                  .arg(Size(frame.result))
                  .arg(static_cast<double>(frame.region.width) / frame.result.width, 0, 'g', 3);
    }
    parts << text;
  } else {
    if (facts.cropSize) parts << QStringLiteral("Crop size %1").arg(Size(*facts.cropSize));
    if (facts.result) parts << QStringLiteral("Result %1").arg(Size(*facts.result));
  }
  if (facts.zoom) parts << QStringLiteral("Zoom %1 %").arg(std::lround(*facts.zoom * 100));
  // An empty line would lose its height, and the frames' area would move.
  return parts.isEmpty() ? QStringLiteral(" ") : parts.join(QStringLiteral("   "));
}
