// The file and print dialogs of the document commands. The program's are Qt's (DocumentDialogs);
// tests give answers of their own.
#pragma once

#include <QFileDialog>
#include <QString>

class QPrinter;
class QWidget;

namespace Zentor {
namespace Glimra {

class IDocumentDialogs {
 public:
  virtual ~IDocumentDialogs() = default;

  // The chosen file, empty when the user cancels. selectedFilter is read and written.
  virtual QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                  const QString& filter, QString* selectedFilter, QFileDialog::Options options) = 0;
  // proposal: the folder and name the dialog starts with.
  virtual QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& proposal,
                                  const QString& filter, QString* selectedFilter, QFileDialog::Options options) = 0;
  // Whether the user chose to print; the printer carries the choices made.
  virtual bool ExecPrintDialog(QPrinter& printer, QWidget* parent) = 0;
};

}  // namespace Glimra
}  // namespace Zentor
