#include "Platform/QtGlue/HookerPrintScreen.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>

namespace Zentor {
namespace Core {

HookerPrintScreen::HookerPrintScreen(Callback callback) : callback_(callback) {
  if (QCoreApplication* application = QCoreApplication::instance()) application->installEventFilter(this);
}

HookerPrintScreen::~HookerPrintScreen() = default;

bool HookerPrintScreen::eventFilter(QObject* watched, QEvent* event) {
  // A key press reaches the filter once for the window and again for each widget it propagates
  // to; the window's delivery is the one that counts.
  if (event->type() == QEvent::KeyPress && qobject_cast<QWindow*>(watched)) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Print && !key->isAutoRepeat() && callback_) callback_();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace Core
}  // namespace Zentor
