#include "Platform/AppShell/AboutBoxDialog.h"

#include "Platform/AppShell/AlertBox.h"

#include <QApplication>
#include <QIcon>

namespace Zentor {
namespace App {

void AboutBoxDialog::ShowAbout(const QString& fullApplicationName, const QString& link, QWidget* parent) {
  AlertBox box(AlertBox::LEVEL_NOTICE, tr("About %1").arg(fullApplicationName),
               QStringLiteral("<p><b>%1</b></p><p>%2</p><p><a href=\"%3\">%4</a></p>")
                   .arg(fullApplicationName.toHtmlEscaped(), tr("A photo retouching editor."), link.toHtmlEscaped(),
                        tr("Home page")),
               QMessageBox::Ok, parent);
  box.setTextFormat(Qt::RichText);
  box.setTextInteractionFlags(Qt::TextBrowserInteraction);
  const QIcon icon = QApplication::windowIcon();
  if (!icon.isNull()) box.setIconPixmap(icon.pixmap(64, 64));
  box.exec();
}

}  // namespace App
}  // namespace Zentor
