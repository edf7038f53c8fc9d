#include "main/ApplicationEventFilter.h"

#include "Customization/ExtensionFormatHelper.h"
#include "main/Mediator.h"

#include <QFile>
#include <QFileOpenEvent>
#include <QUrl>

namespace Zentor {
namespace Glimra {

ApplicationEventFilter::ApplicationEventFilter(QObject* parent, Mediator& mediator)
    : QObject(parent), mediator_(mediator) {}

bool ApplicationEventFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::FileOpen) return QObject::eventFilter(watched, event);
  const auto* open = static_cast<QFileOpenEvent*>(event);
  // The URL keeps the name's bytes where they are no valid UTF-8; the file() text has lost them.
  const QByteArray path = open->url().isLocalFile()
                              ? QByteArray::fromPercentEncoding(open->url().path(QUrl::FullyEncoded).toLatin1())
                              : QFile::encodeName(open->file());
  // Queued: opening runs dialogs and event loops of its own, which must not run inside the
  // delivery of this event.
  if (ExtensionFormatHelper::CanOpenFile(QFile::decodeName(path)))
    QMetaObject::invokeMethod(
        &mediator_, [mediator = &mediator_, path] { mediator->AddNativeFileToOpen(path); }, Qt::QueuedConnection);
  return true;
}

}  // namespace Glimra
}  // namespace Zentor
