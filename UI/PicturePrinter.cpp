#include "UI/PicturePrinter.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace Zentor {
namespace Glimra {

QRectF PicturePrinter::FitIntoPage(const QSize& picture, const QSizeF& page) {
  if (picture.isEmpty() || page.isEmpty()) return QRectF();
  const double scale = std::min({1.0, page.width() / picture.width(), page.height() / picture.height()});
  return QRectF(0.0, 0.0, picture.width() * scale, picture.height() * scale);
}

bool PicturePrinter::Print(const QImage& picture, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // The painter's origin is the printable area's corner; the device's size is that area.
  const QRectF target = FitIntoPage(picture.size(), QSizeF(printer.width(), printer.height()));
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!target.isEmpty()) painter.drawImage(target, picture);
  return painter.end();
}

}  // namespace Glimra
}  // namespace Zentor
