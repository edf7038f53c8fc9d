// Prints one picture on one page.
#pragma once

#include <QRectF>
#include <QSize>

class QImage;
class QPaintDevice;

namespace Zentor {
namespace Glimra {

class PicturePrinter {
 public:
  // Where the picture goes on a printable area of that size: at its top left corner, shrunk to
  // fit with its aspect kept, never enlarged. Empty for an empty picture or page.
  static QRectF FitIntoPage(const QSize& picture, const QSizeF& page);
  // On a printer (or any page-sized device, whose size is its printable area): false when it
  // cannot start.
  static bool Print(const QImage& picture, QPaintDevice& page);
};

}  // namespace Glimra
}  // namespace Zentor
