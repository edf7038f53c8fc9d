// The program's customisation: its title, icon and custom settings file on top of the shell's
// customisation manager.
#pragma once

#include "Platform/AppShell/CustomizationManager.h"

#include <QPixmap>

#include <string>

namespace Zentor {
namespace Glimra {

class CustomizationGlimra : public App::CustomizationManager {
 public:
  // The executable name is the first command-line word without its folders.
  CustomizationGlimra(int argc, char** argv);

  // The localised "APP_TITLE", else the organisation and the full product name; a special
  // edition appends "SE_SUFFIX".
  std::string GetApplicationTitle() const override;
  QPixmap GetApplicationIcon() const override;
  std::string GetCustomSettingsFileName() const override;
};

}  // namespace Glimra
}  // namespace Zentor
