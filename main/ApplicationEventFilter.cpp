#include "main/ApplicationEventFilter.h"

#include "Customization/ExtensionFormatHelper.h"
#include "main/Mediator.h"

#include <QFileOpenEvent>

namespace Zentor {
namespace Glimra {

ApplicationEventFilter::ApplicationEventFilter(QObject* parent, Mediator& mediator)
    : QObject(parent), mediator_(mediator) {}

bool ApplicationEventFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::FileOpen) return QObject::eventFilter(watched, event);
  const QString path = static_cast<QFileOpenEvent*>(event)->file();
  // Queued: opening runs dialogs and event loops of its own, which must not run inside the
  // delivery of this event.
  if (ExtensionFormatHelper::CanOpenFile(path))
    QMetaObject::invokeMethod(
        &mediator_, [mediator = &mediator_, path] { mediator->AddFileToOpen(path); }, Qt::QueuedConnection);
  return true;
}

}  // namespace Glimra
}  // namespace Zentor
