// Prints one picture on one page.
#pragma once

#include <QRectF>
#include <QSize>

class QImage;
class QPrinter;

namespace Zentor {
namespace Glimra {

class PicturePrinter {
 public:
  // Where the picture goes on a printable area of that size: at its top left corner, shrunk to
  // fit with its aspect kept, never enlarged. Empty for an empty picture or page.
  static QRectF FitIntoPage(const QSize& picture, const QSizeF& page);
  // False when the printer cannot start.
  static bool Print(const QImage& picture, QPrinter& printer);
};

}  // namespace Glimra
}  // namespace Zentor
