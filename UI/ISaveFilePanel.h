// Asks for the file to save to. The program's one is Qt's (SaveFilePanel); tests give answers
// of their own.
#pragma once

#include "Core/Interfaces/Property.h"

#include <QString>

class QWidget;

namespace Zentor {
namespace Glimra {

class ISaveFilePanel {
 public:
  virtual ~ISaveFilePanel() = default;

  // The chosen path, empty when the user cancels. currentFile gives the start folder (unless one
  // is stored), the type and the name; options are the save options, changed in place by the
  // Options dialogs whatever the outcome.
  virtual QString Browse(const QString& caption, const QString& label, const QString& button,
                         const QString& currentFile, Core::Property& options, QWidget* parent) = 0;
};

}  // namespace Glimra
}  // namespace Zentor
