// The save panel: Qt's own file browser for saving, with the row of file types and the Options
// button under it. The browser's name gets the chosen type's extension before anything is
// checked, so the replace question is asked about the file that will really be written.
#pragma once

#include "Core/Interfaces/Property.h"
#include "UI/ISaveFileView.h"
#include "UI/SaveFileController.h"

#include <QDialog>

#include <memory>

class QFileDialog;
class Ui_SaveFileDialog;

namespace Zentor {
namespace Glimra {

class SaveFileDialog : public QDialog, private ISaveFileView {
  Q_OBJECT

 public:
  // Opens in the stored save folder (else currentFile's), on currentFile's type, with its base
  // name. options: the save options the Options dialogs change; they must outlive the dialog.
  SaveFileDialog(const QString& caption, const QString& label, const QString& button, const QString& currentFile,
                 Core::Property& options, QWidget* parent = nullptr);
  ~SaveFileDialog() override;

  // Empty unless a name was accepted.
  QString ChosenPath() const { return chosenPath; }

 private:
  // Whether the browser may close with result.
  bool BrowserFinishing(int result);
  void FitFileListColumns();

  void SetLabelText(const QString& text) override;
  void SetButtonTitle(const QString& title) override;
  void SetButtonEnabled(bool enabled) override;
  void RemoveAllItems() override;
  void AddItems(const QStringList& titles) override;
  void SelectItem(int index) override;
  int SelectedIndex() const override;
  void SetAllowedFileTypes(const QStringList& extensions) override;

  std::unique_ptr<Ui_SaveFileDialog> ui;
  QFileDialog* browser;
  SaveFileController controller;
  QString chosenPath;
};

}  // namespace Glimra
}  // namespace Zentor
