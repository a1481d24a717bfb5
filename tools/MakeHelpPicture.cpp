// Draws the help window's picture: the main window with a picture loaded and
// a crop made, annotated in red. It drives the real window on the offscreen
// platform, so the picture can be made again whenever the window changes:
//   make_help_picture resources/help.png

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <iostream>

#include "app/Form1.h"
#include "formats/qt/QtPictureReader.h"
#include "platform/ui/Toolkit.h"

namespace {

constexpr int kWidth = 638;
constexpr int kHeight = 455;
const QColor kRed(220, 0, 0);

// A small map: sea, two islands with contour rings, a road and a grid.
QImage SampleMap() {
  QImage map(283, 212, QImage::Format_RGB32);
  for (int y = 0; y < map.height(); ++y) {
    for (int x = 0; x < map.width(); ++x) {
      double a = std::hypot(x - 80.0, y - 70.0) / 60.0;
      double b = std::hypot(x - 200.0, y - 140.0) / 75.0;
      double land = std::max(1.0 - a, 1.0 - b) + 0.06 * std::sin(x * 0.2) * std::cos(y * 0.17);
      QColor c = land < 0     ? QColor(40, 90, 170 + static_cast<int>(30 * land))
                 : land < .15 ? QColor(225, 210, 150)
                              : QColor::fromHsv(100 - static_cast<int>(60 * land), 150,
                                                200 - static_cast<int>(60 * land));
      if (land > 0 && std::fmod(land, 0.2) < 0.015) c = c.darker(140);
      if (x % 40 == 0 || y % 40 == 0) c = c.lighter(115);
      map.setPixel(x, y, c.rgb());
    }
  }
  QPainter p(&map);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(120, 60, 20), 3));
  p.drawLine(30, 190, 250, 30);
  return map;
}

// The window with Sample.jpg loaded and a 128 x 128 crop fixed in the result box.
QImage MainWindowWithCrop(Form1& form, const QString& folder) {
  QString sample = QDir(folder).filePath("Sample.jpg");
  SampleMap().save(sample, "JPG", 95);
  form.show();
  form.OpenPicture(sample.toStdString());
  form.Command3->click();
  form.picSource_MouseMove(0, 0, 150, 110);
  form.picSource_Click();
  QApplication::processEvents();
  return form.grab().toImage();
}

// Where a control of the window lies in the scaled screenshot.
QRectF Mapped(const QWidget& control, const QWidget& window, double scale, QPointF origin) {
  QRect r(control.mapTo(&window, QPoint(0, 0)), control.size());
  return QRectF(origin.x() + r.x() * scale, origin.y() + r.y() * scale, r.width() * scale,
                r.height() * scale);
}

// Rings the control and leads a line to its caption; returns where the caption ends.
double Annotate(QPainter& p, const QRectF& target, const QString& caption, double lowestTop) {
  QRectF ellipse = target.adjusted(-6, -4, 6, 4);
  double captionTop = std::max(ellipse.center().y() - 9, lowestTop);
  p.setPen(QPen(kRed, 2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(ellipse);
  QRectF text(452, captionTop, kWidth - 452 - 6, 48);
  QPointF from(ellipse.right(), ellipse.center().y());
  QPointF to(text.left() - 4, text.top() + 9);
  p.drawLine(from, QPointF(from.x() + 10, from.y()));
  p.drawLine(QPointF(from.x() + 10, from.y()), to);
  QRectF used;
  p.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, caption, &used);
  return used.bottom() + 8;
}

QImage HelpPicture(Form1& form, const QImage& shot) {
  QImage help(kWidth, kHeight, QImage::Format_RGB32);
  help.fill(QColor(255, 255, 255));
  QPainter p(&help);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  const double scale = 440.0 / shot.width();
  const QPointF origin(4, (kHeight - shot.height() * scale) / 2 + 10);
  p.drawImage(QRectF(origin, QSizeF(shot.width() * scale, shot.height() * scale)), shot);
  QFont font = p.font();
  font.setPixelSize(12);
  font.setBold(true);
  p.setFont(font);
  p.setPen(kRed);
  p.drawText(QRectF(4, 8, kWidth - 8, 24), Qt::AlignLeft, "Quarvel: four steps to a mini-map picture");
  double next = 0;
  next =
      Annotate(p, Mapped(*form.Command1, form, scale, origin), "1) Open a picture ( .JPG .BMP .GIF)", next);
  next = Annotate(p, Mapped(*form.Frame5, form, scale, origin), "2) Select the croping size", next);
  next = Annotate(p, Mapped(*form.Command3, form, scale, origin),
                  "3) Crop the selected size out of your picture", next);
  Annotate(p, Mapped(*form.Command6, form, scale, origin), "4) Save the new picture", next);
  return help;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: make_help_picture OUTPUT.png\n";
    return 2;
  }
  platform::Toolkit::Install();
  formats::QtPictureReader::Install();
  QTemporaryDir folder;
  Form1 form;
  QImage shot = MainWindowWithCrop(form, folder.path());
  QImage help = HelpPicture(form, shot);
  if (!help.save(QString::fromLocal8Bit(argv[1]))) {
    std::cerr << "make_help_picture: cannot write " << argv[1] << '\n';
    return 1;
  }
  form.close();
  return 0;
}
