#include "UI/SaveFilePanel.h"

#include "UI/SaveFileDialog.h"

#include <QCoreApplication>

namespace Zentor {
namespace Glimra {

QString SaveFilePanel::Browse(const QString& caption, const QString& label, const QString& button,
                              const QString& currentFile, Core::Property& options, QWidget* parent) {
  SaveFileDialog dialog(caption, label, button, currentFile, options, parent);
  QCoreApplication::processEvents();
  return dialog.exec() == QDialog::Accepted ? dialog.ChosenPath() : QString();
}

}  // namespace Glimra
}  // namespace Zentor
