#include "app/ZoomBar.h"

#include <QHBoxLayout>

#include "app/ZoomSteps.h"

namespace {

QPushButton* SmallButton(QWidget* parent, const QString& caption, const QString& tip, int width) {
  auto* button = new QPushButton(caption, parent);
  button->setToolTip(tip);
  button->setFixedWidth(width);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

ZoomBar::ZoomBar(QWidget* parent) : QWidget(parent) {
  cmdZoomOut = SmallButton(this, QStringLiteral("\u2212"), tr("Zoom out (Ctrl+minus, Ctrl+wheel)"), 28);
  lblZoom = new QLabel(this);
  lblZoom->setAlignment(Qt::AlignCenter);
  lblZoom->setFixedWidth(56);
  cmdZoomIn = SmallButton(this, QStringLiteral("+"), tr("Zoom in (Ctrl+plus, Ctrl+wheel)"), 28);
  cmdActualSize = SmallButton(this, tr("1:1"), tr("Actual size, 100 % (Ctrl+0)"), 40);
  cmdFit = SmallButton(this, tr("Fit"), tr("Show the whole picture (F)"), 48);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(4);
  for (QWidget* w : std::initializer_list<QWidget*>{cmdZoomOut, lblZoom, cmdZoomIn, cmdActualSize, cmdFit})
    row->addWidget(w);
  row->addStretch();
  ShowZoom(1.0);
  adjustSize();
}

void ZoomBar::ShowZoom(double zoom) { lblZoom->setText(QString::fromStdString(ZoomSteps::Format(zoom))); }
