#include "UI/DocumentDialogs.h"

#include <QPrintDialog>
#include <QPrinter>

namespace Zentor {
namespace Glimra {

QString DocumentDialogs::GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                         const QString& filter, QString* selectedFilter,
                                         QFileDialog::Options options) {
  return QFileDialog::getOpenFileName(parent, caption, folder, filter, selectedFilter, options);
}

QString DocumentDialogs::GetSaveFileName(QWidget* parent, const QString& caption, const QString& proposal,
                                         const QString& filter, QString* selectedFilter,
                                         QFileDialog::Options options) {
  return QFileDialog::getSaveFileName(parent, caption, proposal, filter, selectedFilter, options);
}

bool DocumentDialogs::ExecPrintDialog(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace Glimra
}  // namespace Zentor
