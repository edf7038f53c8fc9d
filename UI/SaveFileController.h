// The file-type choice of the save panel: the list of save formats from the format table, the
// entry of the current file's type, the Options button of the formats that have options, and
// the extension a chosen name must carry. Holds no widgets; the panel is reached through
// ISaveFileView.
#pragma once

#include "Core/Interfaces/Property.h"
#include "UI/ISaveFileView.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace Zentor {
namespace Glimra {

class SaveFileController {
 public:
  // settings: the save options the Options dialogs change; they must outlive the controller.
  SaveFileController(ISaveFileView& view, Core::Property& settings);

  // Fills the type list once the view exists.
  void OnViewLoaded();
  // extension: the current file's suffix (UTF-8, any case); one no save format holds starts on JPEG.
  void SetLabel(const QString& label, const std::string& extension, const QString& buttonTitle);
  void ItemSelected();
  void OptionButtonClicked();
  // ".jpg" and the like; empty before the list is filled.
  QString CurrentExtension() const;

  // path with the current extension appended unless its own suffix is one of the chosen type's.
  QString WithChosenExtension(const QString& path) const;

 private:
  // The chosen entry's extensions without dots, the usual one first; empty when none is chosen.
  QStringList ChosenExtensions() const;

  ISaveFileView& view;
  Core::Property& settings;
  QStringList extensions;
  std::vector<QStringList> entryExtensions;
};

}  // namespace Glimra
}  // namespace Zentor
