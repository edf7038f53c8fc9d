#include "Engine/BusyCursor.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>

namespace Zentor {
namespace Glimra {

BusyCursor::BusyCursor() {
  QApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

BusyCursor::~BusyCursor() {
  QApplication::restoreOverrideCursor();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace Glimra
}  // namespace Zentor
