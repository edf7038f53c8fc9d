// The save panel run modally.
#pragma once

#include "UI/ISaveFilePanel.h"

namespace Zentor {
namespace Glimra {

class SaveFilePanel : public ISaveFilePanel {
 public:
  QString Browse(const QString& caption, const QString& label, const QString& button, const QString& currentFile,
                 Core::Property& options, QWidget* parent) override;
};

}  // namespace Glimra
}  // namespace Zentor
