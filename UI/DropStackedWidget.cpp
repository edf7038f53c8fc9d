#include "UI/DropStackedWidget.h"

#include "Customization/ExtensionFormatHelper.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace Zentor {
namespace Glimra {

DropStackedWidget::DropStackedWidget(QWidget* parent) : QStackedWidget(parent) { setAcceptDrops(true); }

void DropStackedWidget::dragEnterEvent(QDragEnterEvent* event) {
  // The files are judged at the drop.
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  } else {
    QStackedWidget::dragEnterEvent(event);
  }
}

void DropStackedWidget::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) {
    QStackedWidget::dropEvent(event);
    return;
  }
  // Links dragged from a browser are no files here; they are skipped, not opened as paths.
  QString firstFile;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (path.isEmpty()) continue;
    if (ExtensionFormatHelper::CanOpenFile(path)) {
      emit openFile(path);
      event->acceptProposedAction();
      return;
    }
    if (firstFile.isEmpty()) firstFile = path;
  }
  // The open path tells the user why it can't open the file.
  event->ignore();
  if (!firstFile.isEmpty()) emit openFile(firstFile);
}

}  // namespace Glimra
}  // namespace Zentor
