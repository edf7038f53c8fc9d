#include "DrawingTools/BrushCursor.h"

#include <QPainter>
#include <QPixmap>

namespace Zentor {
namespace Glimra {

QCursor MakeBrushCursor(int size, bool plus) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  {
    QPainter painter(&pixmap);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::white);
    painter.drawEllipse(1, 1, size - 3, size - 3);
    painter.setPen(Qt::black);
    painter.drawEllipse(0, 0, size - 1, size - 1);
    const int c = (size - 1) / 2;
    painter.drawLine(c - 4, c, c + 4, c);
    if (plus) painter.drawLine(c, c - 4, c, c + 4);
  }
  return QCursor(pixmap, size / 2, size / 2);
}

}  // namespace Glimra
}  // namespace Zentor
