// What the save panel's file-type controller needs of the panel: the row under the file browser
// (label, type list, Options button) and the file types the browser accepts.
#pragma once

#include <QString>
#include <QStringList>

namespace Zentor {
namespace Glimra {

class ISaveFileView {
 public:
  virtual ~ISaveFileView() = default;

  virtual void SetLabelText(const QString& text) = 0;
  virtual void SetButtonTitle(const QString& title) = 0;
  virtual void SetButtonEnabled(bool enabled) = 0;

  virtual void RemoveAllItems() = 0;
  virtual void AddItems(const QStringList& titles) = 0;
  virtual void SelectItem(int index) = 0;
  // -1 when nothing is selected.
  virtual int SelectedIndex() const = 0;

  // Extensions without their dot, the one a name gets first.
  virtual void SetAllowedFileTypes(const QStringList& extensions) = 0;
};

}  // namespace Glimra
}  // namespace Zentor
