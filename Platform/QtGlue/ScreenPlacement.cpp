#include "Platform/QtGlue/ScreenPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace Zentor {
namespace Gui {

bool LiesOnScreens(int64_t left, int64_t top, int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return false;
  QRect bounds;
  for (const QScreen* screen : QGuiApplication::screens()) bounds |= screen->geometry();
  if (bounds.isNull()) return true;
  return left >= bounds.left() && top >= bounds.top() && width <= bounds.width() && height <= bounds.height() &&
         left + width <= int64_t(bounds.left()) + bounds.width() &&
         top + height <= int64_t(bounds.top()) + bounds.height();
}

}  // namespace Gui
}  // namespace Zentor
