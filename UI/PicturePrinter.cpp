#include "UI/PicturePrinter.h"

#include <QImage>
#include <QPainter>
#include <QPaintDevice>

#include <algorithm>

namespace Zentor {
namespace Glimra {

QRectF PicturePrinter::FitIntoPage(const QSize& picture, const QSizeF& page) {
  if (picture.isEmpty() || page.isEmpty()) return QRectF();
  const double scale = std::min({1.0, page.width() / picture.width(), page.height() / picture.height()});
  return QRectF(0.0, 0.0, picture.width() * scale, picture.height() * scale);
}

bool PicturePrinter::Print(const QImage& picture, QPaintDevice& page) {
  QPainter painter;
  if (!painter.begin(&page)) return false;
  // On a printer the painter's origin is the printable area's corner and the device's size is
  // that area.
  const QRectF target = FitIntoPage(picture.size(), QSizeF(page.width(), page.height()));
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!target.isEmpty()) painter.drawImage(target, picture);
  return painter.end();
}

}  // namespace Glimra
}  // namespace Zentor
