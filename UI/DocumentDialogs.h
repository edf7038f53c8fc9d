// Qt's own file and print dialogs, run modally.
#pragma once

#include "UI/IDocumentDialogs.h"

namespace Zentor {
namespace Glimra {

class DocumentDialogs : public IDocumentDialogs {
 public:
  QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder, const QString& filter,
                          QString* selectedFilter, QFileDialog::Options options) override;
  QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& proposal, const QString& filter,
                          QString* selectedFilter, QFileDialog::Options options) override;
  bool ExecPrintDialog(QPrinter& printer, QWidget* parent) override;
};

}  // namespace Glimra
}  // namespace Zentor
